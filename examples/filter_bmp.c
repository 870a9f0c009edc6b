/*
 * filter_bmp: one BMPFilters call from a C program.
 *
 *   filter_bmp INPUT OUTPUT FILTER-CODE
 *
 * The library takes zero-terminated UTF-16 paths, while a C program receives
 * its arguments as UTF-8 here, so the two paths are converted first. The call
 * returns 999 whatever happens; success shows only in the output file, so the
 * program reports the output's size as well (54 bytes: the input was missing
 * or refused).
 *
 * Build with   cc filter_bmp.c $(pkg-config --cflags --libs tamrovibmpfilters)
 * or with the CMake package (see CMakeLists.txt beside this file).
 */
#include <errno.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <tamrovibmpfilters.h>

/*
 * Decodes the UTF-8 sequence that starts at `text` into `codePoint` and
 * returns its length in bytes, or 0 when the bytes are not well-formed UTF-8:
 * a stray continuation byte, a sequence cut short (by the terminator too), an
 * overlong form, a surrogate or a value past U+10FFFF. Never reads past the
 * terminator, since it stops at the first byte that is not a continuation.
 */
static size_t DecodeUtf8(const unsigned char* text, uint32_t* codePoint) {
  const unsigned char lead = text[0];
  size_t length;
  uint32_t value;
  uint32_t smallest;
  if (lead < 0x80) {
    *codePoint = lead;
    return 1;
  }
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    value = lead & 0x1Fu;
    smallest = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    value = lead & 0x0Fu;
    smallest = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    value = lead & 0x07u;
    smallest = 0x10000;
  } else {
    return 0;
  }
  for (size_t i = 1; i < length; ++i) {
    if ((text[i] & 0xC0u) != 0x80u) return 0;
    value = (value << 6) | (text[i] & 0x3Fu);
  }
  if (value < smallest || value > 0x10FFFFu || (value >= 0xD800u && value <= 0xDFFFu)) return 0;
  *codePoint = value;
  return length;
}

/*
 * Returns `text` as a zero-terminated UTF-16 string in a block the caller
 * frees, or null when the text is not UTF-8 or memory runs out (the reason is
 * then in `error`). No UTF-8 sequence gives more UTF-16 units than it has
 * bytes, so strlen(text) + 1 units always suffice.
 */
static TamroviChar16* Utf8ToUtf16(const char* text, const char** error) {
  const size_t bytes = strlen(text);
  if (bytes >= SIZE_MAX / sizeof(TamroviChar16)) {
    *error = "it is too long";
    return NULL;
  }
  TamroviChar16* wide = malloc((bytes + 1) * sizeof(TamroviChar16));
  if (wide == NULL) {
    *error = "there is not enough memory to convert it";
    return NULL;
  }
  const unsigned char* next = (const unsigned char*)text;
  size_t units = 0;
  while (*next != 0) {
    uint32_t codePoint;
    const size_t length = DecodeUtf8(next, &codePoint);
    if (length == 0) {
      free(wide);
      *error = "it is not valid UTF-8 text";
      return NULL;
    }
    next += length;
    if (codePoint >= 0x10000u) {
      codePoint -= 0x10000u;
      wide[units++] = (TamroviChar16)(0xD800u + (codePoint >> 10));
      wide[units++] = (TamroviChar16)(0xDC00u + (codePoint & 0x3FFu));
    } else {
      wide[units++] = (TamroviChar16)codePoint;
    }
  }
  wide[units] = 0;
  return wide;
}

/* Reads a filter code: a whole decimal number that fits in 32 bits. */
static int ParseFilterCode(const char* text, int32_t* code) {
  char* end = NULL;
  errno = 0;
  const long long value = strtoll(text, &end, 10);
  if (end == text || *end != '\0' || errno == ERANGE || value < INT32_MIN || value > INT32_MAX) return 0;
  *code = (int32_t)value;
  return 1;
}

/* The size of the file at `path` in bytes, or -1 when it cannot be read. */
static long FileSize(const char* path) {
  FILE* file = fopen(path, "rb");
  if (file == NULL) return -1;
  long size = -1;
  if (fseek(file, 0, SEEK_END) == 0) size = ftell(file);
  fclose(file);
  return size;
}

int main(int argc, char** argv) {
  if (argc != 4) {
    fprintf(stderr, "usage: %s INPUT OUTPUT FILTER-CODE\n", argc > 0 ? argv[0] : "filter_bmp");
    return 2;
  }
  int32_t code = 0;
  if (!ParseFilterCode(argv[3], &code)) {
    fprintf(stderr, "filter_bmp: the filter code '%s' is not a whole number from %ld to %ld\n", argv[3],
            (long)INT32_MIN, (long)INT32_MAX);
    return 2;
  }
  const char* error = NULL;
  TamroviChar16* input = Utf8ToUtf16(argv[1], &error);
  if (input == NULL) {
    fprintf(stderr, "filter_bmp: cannot use the input path: %s\n", error);
    return 2;
  }
  TamroviChar16* output = Utf8ToUtf16(argv[2], &error);
  if (output == NULL) {
    fprintf(stderr, "filter_bmp: cannot use the output path: %s\n", error);
    free(input);
    return 2;
  }

  const int32_t result = BMPFilters(input, output, code);
  free(input);
  free(output);

  printf("BMPFilters returned %ld\n", (long)result);
  const long size = FileSize(argv[2]);
  if (size < 0) {
    printf("the output '%s' was not written\n", argv[2]);
  } else {
    printf("%s: %ld bytes%s\n", argv[2], size, size == 54 ? " (headers only: the input was missing or refused)" : "");
  }
  return result == TAMROVI_BMPFILTERS_DONE ? 0 : 1;
}
