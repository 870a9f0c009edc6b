/*
 * A host program as a Windows application would be one: it loads the module
 * with LoadLibraryW, finds BMPFilters by name and by ordinal 1, and filters a
 * picture stored under a non-ASCII name through every filter code.
 *
 * Usage: DllHost MODULE FOLDER. Reads FOLDER\<name>.bmp and writes
 * FOLDER\<name>-<code>.bmp for codes 0 to 8; host_test.sh then compares them
 * with what the native build writes. Exits 0 when every check passed.
 */
#include <stdint.h>
#include <stdio.h>
#include <wchar.h>
#include <windows.h>

#include "tamrovibmpfilters.h"

typedef int32_t (*BmpFiltersFunction)(const TamroviChar16*, const TamroviChar16*, int32_t);
typedef void (*AnyFunction)(void); /* the cast GCC accepts between function types */

/* German, Japanese and an emoji outside the basic plane (a surrogate pair). */
static const wchar_t kName[] = L"bild-\u00e4-\u65e5\u672c-\U0001F600";

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
