/*
 * libtamrovi: BMP pictures in memory, their filters, histogram and smoothing.
 *
 * The library behind the bmpfilters tool, as a C interface: a picture is an
 * opaque handle, read from a BMP file or from bytes in memory, or made from
 * pixels the caller has; a filter, the gray histogram or a Gaussian smoothing
 * is applied to it with exactly the results the tool gives; and it is written
 * as a BMP file or into memory.
 *
 * Every call returns a tamrovi_status: TAMROVI_OK, or the reason it failed,
 * which tamrovi_status_text() puts in words. Calls that open files also give
 * the system's error number (errno) through `system_error` where the system
 * gave one, 0 otherwise; it may be NULL. Nothing is printed and nothing is
 * kept between calls: calls on different pictures may run on many threads at
 * once; one picture is used by one thread at a time.
 *
 * Pixels in memory are rows from the top down, `stride` bytes from the start
 * of one row to the start of the next: one byte a pixel (a gray level) or
 * three (red, green, blue).
 *
 * Paths are zero-terminated UTF-8, on Windows too.
 */
#ifndef TAMROVI_H
#define TAMROVI_H

#include <stddef.h>
#include <stdint.h>

#if defined(__cplusplus)
extern "C" {
#endif

#if defined(_WIN32) && defined(TAMROVI_BUILDING_TAMROVI)
#define TAMROVI_LIB_API __declspec(dllexport)
#elif defined(_WIN32)
#define TAMROVI_LIB_API __declspec(dllimport)
#elif defined(TAMROVI_BUILDING_TAMROVI)
#define TAMROVI_LIB_API __attribute__((visibility("default")))
#else
#define TAMROVI_LIB_API
#endif

/* Why a call failed. The values never change between versions. */
typedef enum tamrovi_status {
  TAMROVI_OK = 0,
  /* The caller's part. */
  TAMROVI_INVALID_ARGUMENT = 1,     /* a null pointer, a size or stride that does not fit */
  TAMROVI_UNKNOWN_FILTER = 2,       /* a filter code or name the library does not have */
  TAMROVI_INVALID_SIGMA = 3,        /* a sigma outside 1e-150 to 100000, or not a number */
  TAMROVI_OUT_OF_MEMORY = 4,
  /* Files. */
  TAMROVI_CANNOT_OPEN = 10,         /* missing, unreadable, or not a valid path */
  TAMROVI_NOT_REGULAR_FILE = 11,    /* a directory, FIFO or device */
  TAMROVI_READ_FAILED = 12,         /* the system gave fewer bytes than the file holds */
  TAMROVI_CANNOT_WRITE = 13,        /* the output could not be created or written; what was there is kept */
  TAMROVI_FILE_TOO_LARGE = 14,      /* 2 GiB or more */
  /* Not a BMP file. */
  TAMROVI_NOT_BMP = 20,             /* no B, M signature */
  TAMROVI_PNG_FILE = 21,
  TAMROVI_JPEG_FILE = 22,
  TAMROVI_GIF_FILE = 23,
  /* A BMP file the library does not read. */
  TAMROVI_TRUNCATED = 30,           /* the file ends inside its headers or colour table */
  TAMROVI_UNSUPPORTED_HEADER = 31,  /* an info header of a size no BMP variant has */
  TAMROVI_UNSUPPORTED_COMPRESSION = 32, /* unknown, embedded JPEG or PNG, CMYK, OS/2 Huffman or RLE24 */
  TAMROVI_UNSUPPORTED_BIT_COUNT = 33,   /* not 1, 2, 4, 8, 16, 24 or 32 bits per pixel */
  TAMROVI_INVALID_FILE = 34,        /* fields that contradict each other or the file's length */
  TAMROVI_INVALID_MASKS = 35,       /* bit-field masks that are empty, overlap, have gaps or reach too far */
  TAMROVI_NO_PIXELS = 36,           /* width or height 0 */
  /* Beyond the read's limits (tamrovi_read_options). */
  TAMROVI_TOO_WIDE = 40,
  TAMROVI_TOO_TALL = 41,
  TAMROVI_TOO_MANY_PIXELS = 42,
  /* The file ends before its last row, and the read was strict. */
  TAMROVI_MISSING_ROWS = 43
} tamrovi_status;

/* A picture in memory. The read and make calls below store a new one in
 * *picture (NULL when they fail), whatever it held before; each is released
 * with tamrovi_free_picture. */
typedef struct tamrovi_picture tamrovi_picture;

/* How large a picture a read accepts, and what it does with a file that
 * ends before its last row. A picture beyond a limit is refused from its
 * headers, before its pixels are allocated or read. */
typedef struct tamrovi_read_options {
  int32_t max_rows;    /* default: any */
  int32_t max_columns; /* default: any */
  int64_t max_pixels;  /* rows times columns; default 2^30, at most 2^31 - 1 */
  /* 0 (default): a file that ends early is read with its missing rows
   * black, and tamrovi_missing_rows says how many; 1: it is refused with
   * TAMROVI_MISSING_ROWS. */
  int strict;
} tamrovi_read_options;

/* How tamrovi_write_file and tamrovi_write_memory write a picture. */
typedef enum tamrovi_format {
  /* An uncompressed 24-bit BMP with a 54-byte header, as the tool writes. */
  TAMROVI_FORMAT_24BIT = 0,
  /* As the tool's --keep-format: a picture read from a colour-table file
   * (1, 2, 4 or 8 bits) or made from gray pixels is written as an 8-bit
   * file showing the same pixels (a gray picture with its own header and
   * gray ramp, any other with a table of its own colours; more than 256
   * colours go out 24-bit); any other picture as TAMROVI_FORMAT_24BIT. */
  TAMROVI_FORMAT_KEEP = 1
} tamrovi_format;

/* A sentence fragment naming `status`, e.g. "a PNG file, not a BMP file".
 * Never NULL; an unknown value gives "unknown status". */
TAMROVI_LIB_API const char* tamrovi_status_text(tamrovi_status status);

/* Fills `options` with the defaults: any rows and columns, 2^30 pixels,
 * not strict. A NULL options pointer in a read call means the same. */
TAMROVI_LIB_API void tamrovi_default_read_options(tamrovi_read_options* options);

/* Reads the BMP file at `path` into a new picture, stored in *picture
 * (NULL on failure). Every BMP variant the tool reads is read. */
TAMROVI_LIB_API tamrovi_status tamrovi_read_file(const char* path, const tamrovi_read_options* options,
                                                 tamrovi_picture** picture, int* system_error);

/* Reads a BMP file held in memory, `length` bytes at `bytes`, exactly as
 * tamrovi_read_file reads a file of those bytes. The bytes are copied. */
TAMROVI_LIB_API tamrovi_status tamrovi_read_memory(const void* bytes, size_t length,
                                                   const tamrovi_read_options* options,
                                                   tamrovi_picture** picture);

/* Makes a picture of `width` x `height` pixels (each 1 or more, at most
 * 2^31 - 1 pixels in all) from `pixels`: `channels` 1 for gray levels, 3 for
 * red, green, blue; rows from the top, `stride` bytes apart (at least
 * width x channels). The picture is the one a BMP file of these pixels
 * gives when read: gray levels as an 8-bit file with the gray ramp, colours
 * as a 24-bit file. */
TAMROVI_LIB_API tamrovi_status tamrovi_make_picture(int32_t width, int32_t height, int channels,
                                                    const uint8_t* pixels, size_t stride,
                                                    tamrovi_picture** picture);

/* Releases a picture and everything it holds. NULL is allowed. */
TAMROVI_LIB_API void tamrovi_free_picture(tamrovi_picture* picture);

/* The picture's size in pixels. */
TAMROVI_LIB_API int32_t tamrovi_width(const tamrovi_picture* picture);
TAMROVI_LIB_API int32_t tamrovi_height(const tamrovi_picture* picture);

/* 1 when the picture is held as gray levels (an 8-bit file with the gray
 * ramp, or gray pixels made into a picture), 3 when as colours: the
 * channels tamrovi_get_pixels gives. */
TAMROVI_LIB_API int tamrovi_channels(const tamrovi_picture* picture);

/* Rows the file ended before, read as black; 0 for a whole file. */
TAMROVI_LIB_API int32_t tamrovi_missing_rows(const tamrovi_picture* picture);

/* Copies the pixels to `pixels`: tamrovi_height rows from the top,
 * `stride` bytes apart (at least width x tamrovi_channels), each pixel a
 * gray level or red, green, blue. */
TAMROVI_LIB_API tamrovi_status tamrovi_get_pixels(const tamrovi_picture* picture, uint8_t* pixels, size_t stride);

/* The filter code of the tool's filter name ("outline", "roberts",
 * "laplace", "whiten-dark", "flip", "window", "none"), or -1. */
TAMROVI_LIB_API int32_t tamrovi_filter_code(const char* name);

/* Applies filter `code` (0 to 7, as the tool's codes) to the picture in
 * place. On failure the picture is as it was. */
TAMROVI_LIB_API tamrovi_status tamrovi_filter(tamrovi_picture* picture, int32_t code);

/* Counts the picture's pixels per gray level (the mean of red, green and
 * blue, rounded down; a gray picture's own levels) into counts[0..255]. */
TAMROVI_LIB_API tamrovi_status tamrovi_histogram(const tamrovi_picture* picture, uint32_t counts[256]);

/* Smooths the picture in place with a Gaussian of standard deviation
 * `sigma` pixels (1e-150 to 100000), as the tool's smooth. On failure the
 * picture is as it was. */
TAMROVI_LIB_API tamrovi_status tamrovi_smooth(tamrovi_picture* picture, double sigma);

/* Writes the picture as a BMP file at `path` in `format`. The file is
 * replaced whole or not at all: on failure what was there is kept, or the
 * path stays absent. */
TAMROVI_LIB_API tamrovi_status tamrovi_write_file(const tamrovi_picture* picture, const char* path,
                                                  tamrovi_format format, int* system_error);

/* Writes the picture as the bytes of a BMP file in `format`, the very bytes
 * tamrovi_write_file writes, into a new buffer: *bytes (release it with
 * tamrovi_free) and *length. On failure *bytes is NULL and *length 0. */
TAMROVI_LIB_API tamrovi_status tamrovi_write_memory(const tamrovi_picture* picture, tamrovi_format format,
                                                    uint8_t** bytes, size_t* length);

/* Releases a buffer of tamrovi_write_memory. NULL is allowed. */
TAMROVI_LIB_API void tamrovi_free(void* bytes);

#if defined(__cplusplus)
}
#endif

#endif /* TAMROVI_H */
