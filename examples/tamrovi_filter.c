/*
 * tamrovi_filter: a filter applied through libtamrovi from a C program.
 *
 *   tamrovi_filter INPUT OUTPUT FILTER
 *
 * FILTER is a name (outline, roberts, laplace, whiten-dark, flip, window,
 * none) or a code 0 to 7. An INPUT of - is read from standard input into
 * memory and an OUTPUT of - written from memory to standard output, so a
 * picture can pass through without a file. Any failure is said on standard
 * error with its reason, and the program exits with 1.
 *
 * Build with   cc tamrovi_filter.c $(pkg-config --cflags --libs tamrovi)
 * or with the CMake package (see CMakeLists.txt beside this file).
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <tamrovi.h>

/* Says why `name` failed, with the system's reason when it gave one. */
static int Fail(const char* name, tamrovi_status status, int systemError) {
  if (systemError != 0) {
    fprintf(stderr, "%s: %s (%s)\n", name, tamrovi_status_text(status), strerror(systemError));
  } else {
    fprintf(stderr, "%s: %s\n", name, tamrovi_status_text(status));
  }
  return 1;
}

/* All of standard input in one buffer; NULL when it could not be read. */
static unsigned char* ReadAll(FILE* stream, size_t* length) {
  size_t capacity = 1 << 16;
  unsigned char* bytes = malloc(capacity);
  *length = 0;
  while (bytes != NULL) {
    size_t got = fread(bytes + *length, 1, capacity - *length, stream);
    unsigned char* larger;
    *length += got;
    if (got == 0) return ferror(stream) ? (free(bytes), NULL) : bytes;
    if (*length < capacity) continue;
    capacity *= 2;
    larger = realloc(bytes, capacity);
    if (larger == NULL) free(bytes);
    bytes = larger;
  }
  return NULL;
}

static tamrovi_status ReadInput(const char* input, tamrovi_picture** picture, int* systemError) {
  unsigned char* bytes;
  size_t length;
  tamrovi_status status;
  if (strcmp(input, "-") != 0) return tamrovi_read_file(input, NULL, picture, systemError);
  *systemError = 0;
  bytes = ReadAll(stdin, &length);
  if (bytes == NULL) return TAMROVI_READ_FAILED;
  status = tamrovi_read_memory(bytes, length, NULL, picture);
  free(bytes);
  return status;
}

static tamrovi_status WriteOutput(const tamrovi_picture* picture, const char* output, int* systemError) {
  uint8_t* bytes;
  size_t length;
  tamrovi_status status;
  if (strcmp(output, "-") != 0) return tamrovi_write_file(picture, output, TAMROVI_FORMAT_24BIT, systemError);
  *systemError = 0;
  status = tamrovi_write_memory(picture, TAMROVI_FORMAT_24BIT, &bytes, &length);
  if (status != TAMROVI_OK) return status;
  if (fwrite(bytes, 1, length, stdout) != length || fflush(stdout) != 0) status = TAMROVI_CANNOT_WRITE;
  tamrovi_free(bytes);
  return status;
}

int main(int argc, char** argv) {
  tamrovi_picture* picture = NULL;
  tamrovi_status status;
  int systemError = 0;
  int32_t code;
  char* end;
  if (argc != 4) {
    fprintf(stderr, "usage: %s INPUT OUTPUT FILTER\n", argv[0]);
    return 2;
  }
  code = tamrovi_filter_code(argv[3]);
  if (code < 0) {
    long value = strtol(argv[3], &end, 10);
    if (end == argv[3] || *end != '\0' || value < 0 || value > 7) return Fail(argv[3], TAMROVI_UNKNOWN_FILTER, 0);
    code = (int32_t)value;
  }

  status = ReadInput(argv[1], &picture, &systemError);
  if (status != TAMROVI_OK) return Fail(argv[1], status, systemError);
  if (tamrovi_missing_rows(picture) > 0) {
    fprintf(stderr, "%s: the file ends early: %ld rows are missing (read as black)\n", argv[1],
            (long)tamrovi_missing_rows(picture));
  }
  status = tamrovi_filter(picture, code);
  if (status == TAMROVI_OK) status = WriteOutput(picture, argv[2], &systemError);
  tamrovi_free_picture(picture);
  if (status != TAMROVI_OK) return Fail(argv[2], status, systemError);
  return 0;
}
