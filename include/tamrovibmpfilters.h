/*
 * TamroviBMPFilters: read a BMP file, apply one filter, write a 24-bit BMP.
 *
 * This is the library's whole public interface: one function with C linkage.
 */
#ifndef TAMROVIBMPFILTERS_H
#define TAMROVIBMPFILTERS_H

#include <stddef.h>
#include <stdint.h>

#if defined(__cplusplus)
extern "C" {
#endif

/* A UTF-16 code unit. On Windows it is wchar_t, so that wide literals and
 * the system's own wide strings pass straight in: BMPFilters(L"in.bmp", ...). */
#if defined(_WIN32)
typedef wchar_t TamroviChar16;
#elif defined(__cplusplus)
typedef char16_t TamroviChar16;
#else
typedef uint_least16_t TamroviChar16;
#endif

/* On Windows the module-definition file names the one export instead. */
#if defined(TAMROVI_BUILDING_LIBRARY) && !defined(_WIN32)
#define TAMROVI_API __attribute__((visibility("default")))
#else
#define TAMROVI_API
#endif

/* The value every call returns, whatever happened. */
#define TAMROVI_BMPFILTERS_DONE 999

/*
 * Reads the BMP file at inputPath, applies the filter that filterCode selects
 * and writes the result to outputPath as an uncompressed 24-bit BMP.
 *
 * Paths are zero-terminated UTF-16; either may be null. On Linux a lone
 * surrogate from U+DC80 to U+DCFF stands for the byte (its value less 0xDC00)
 * of a file name that is not UTF-8; any other unpaired surrogate names no
 * file. Filter codes:
 *   1 outline, 2 Roberts edges, 3 Laplacian edges, 4 and 6 whiten dark pixels,
 *   5 vertical flip, 7 centre window; any other code writes the picture as read.
 * An input that is missing or refused, or a filter that ran out of memory,
 * gives an output of the 54-byte headers only (width and height 0). A null
 * output path writes nothing. The output is replaced whole or not at all:
 * a write that fails leaves the file that was there, or none.
 * Returns 999 in every case.
 */
TAMROVI_API int32_t BMPFilters(const TamroviChar16* inputPath, const TamroviChar16* outputPath,
                               int32_t filterCode);

#if defined(__cplusplus)
}
#endif

#endif /* TAMROVIBMPFILTERS_H */
