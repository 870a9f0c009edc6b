/*
 * A host program as a Windows application would be one: it loads the module
 * with LoadLibraryW, finds BMPFilters by name and by ordinal 1, and filters a
 * picture stored under a non-ASCII name through every filter code.
 *
 * Usage: DllHost MODULE FOLDER. Writes FOLDER\<name>.bmp, the input, and
 * FOLDER\<name>-<code>.bmp for codes 0 to 8; host_test.sh then compares them
 * with what the native build writes. Exits 0 when every check passed.
 */
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <wchar.h>
#include <windows.h>

#include "tamrovibmpfilters.h"

typedef int32_t (*BmpFiltersFunction)(const TamroviChar16*, const TamroviChar16*, int32_t);
typedef void (*AnyFunction)(void); /* the cast GCC accepts between function types */

/* German, Japanese and an emoji outside the basic plane (a surrogate pair). */
static const wchar_t kName[] = L"bild-\u00e4-\u65e5\u672c-\U0001F600";

enum { kWidth = 13, kHeight = 9, kRowBytes = (3 * kWidth + 3) / 4 * 4 };

static void PutLittleEndian(unsigned char* at, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) at[i] = (unsigned char)(value >> (8 * i));
}

/* A 24-bit picture with dark and light regions, so every filter has work. */
static int WritePicture(const wchar_t* path) {
  static unsigned char file[54 + kRowBytes * kHeight];
  memset(file, 0, sizeof file);
  file[0] = 'B';
  file[1] = 'M';
  PutLittleEndian(file + 2, sizeof file, 4);
  PutLittleEndian(file + 10, 54, 4);
  PutLittleEndian(file + 14, 40, 4);
  PutLittleEndian(file + 18, kWidth, 4);
  PutLittleEndian(file + 22, kHeight, 4);
  PutLittleEndian(file + 26, 1, 2);
  PutLittleEndian(file + 28, 24, 2);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      unsigned char* pixel = file + 54 + y * kRowBytes + 3 * x;
      const int dark = (x - 6) * (x - 6) + (y - 4) * (y - 4) < 10;
      pixel[0] = (unsigned char)(dark ? 10 + x : 200 + y);
      pixel[1] = (unsigned char)(dark ? 20 + y : 180 + x);
      pixel[2] = (unsigned char)(dark ? 5 * x : 255 - 3 * y);
    }
  }
  FILE* out = _wfopen(path, L"wb");
  if (out == NULL) return 0;
  const int written = fwrite(file, 1, sizeof file, out) == sizeof file;
  return fclose(out) == 0 && written;
}

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    fwprintf(stderr, L"usage: DllHost MODULE FOLDER\n");
    return 2;
  }
  HMODULE module = LoadLibraryW(argv[1]);
  if (module == NULL) {
    fwprintf(stderr, L"%ls: cannot load the module (error %lu)\n", argv[1], GetLastError());
    return 1;
  }
  BmpFiltersFunction byName = (BmpFiltersFunction)(AnyFunction)GetProcAddress(module, "BMPFilters");
  BmpFiltersFunction byOrdinal = (BmpFiltersFunction)(AnyFunction)GetProcAddress(module, MAKEINTRESOURCEA(1));
  if (byName == NULL || byName != byOrdinal) {
    fwprintf(stderr, L"BMPFilters is not exported by name as ordinal 1\n");
    return 1;
  }
  if (GetProcAddress(module, MAKEINTRESOURCEA(2)) != NULL) {
    fwprintf(stderr, L"the module exports more than one function\n");
    return 1;
  }
  wchar_t input[MAX_PATH], output[MAX_PATH];
  swprintf(input, MAX_PATH, L"%ls\\%ls.bmp", argv[2], kName);
  if (!WritePicture(input)) {
    fwprintf(stderr, L"cannot write the input picture\n");
    return 1;
  }
  int failures = 0;
  for (int32_t code = 0; code <= 8; ++code) {
    swprintf(output, MAX_PATH, L"%ls\\%ls-%d.bmp", argv[2], kName, (int)code);
    if (byOrdinal(input, output, code) != TAMROVI_BMPFILTERS_DONE || GetFileAttributesW(output) == INVALID_FILE_ATTRIBUTES) {
      fwprintf(stderr, L"code %d: no output\n", (int)code);
      ++failures;
    }
  }
  /* The header's own example: wide literals pass straight in. */
  if (BMPFilters(L"missing-input.bmp", NULL, 1) != TAMROVI_BMPFILTERS_DONE) ++failures;
  FreeLibrary(module);
  return failures == 0 ? 0 : 1;
}
