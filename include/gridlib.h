/* gridlib: read gridded data in fourteen grid formats, reduce it to a working
 * grid of 32-bit reals, and draw it as an 8-bit palette BMP image.
 *
 * Calling conventions, shared by every routine below:
 * - Every argument is passed by reference. A text argument is a fixed-length,
 *   blank-padded character buffer followed by a pointer to its int32 length;
 *   a file name ends at its first NUL character, or else at its last
 *   non-blank character.
 * - The grid descriptor travels as three arrays: IHEAD (GRIDLIB_IHEAD_SIZE
 *   int32), RHEAD (GRIDLIB_RHEAD_SIZE float) and CHEAD (GRIDLIB_BAND_NAMES
 *   band names, each of the element length passed after it). Entries a format
 *   does not set keep the caller's values.
 * - Routines with a status argument set it to 0 on success and to a negative
 *   code on failure; nothing is ever printed and no routine keeps a file open
 *   between calls. The routines are not re-entrant: calls must not overlap.
 */
#ifndef GRIDLIB_H
#define GRIDLIB_H

#include <stdint.h>

#if defined(GRIDLIB_BUILDING)
#define GRIDLIB_API __attribute__((visibility("default")))
#else
#define GRIDLIB_API
#endif

#ifdef __cplusplus
#define GRIDLIB_NOEXCEPT noexcept
extern "C" {
#else
#define GRIDLIB_NOEXCEPT
#endif

#define GRIDLIB_IHEAD_SIZE 15
#define GRIDLIB_RHEAD_SIZE 22
#define GRIDLIB_BAND_NAMES 16
#define GRIDLIB_LEVELS 4096
#define GRIDLIB_COLOURS 256

/* The null value of the working grid: the float nearest to -1.0e32. Values
 * at or below -1.0e30 count as null. */
#define GRIDLIB_NULL_VALUE (-1.0e32f)

/* Recognises the grid format of a file by its extension or its first 120
 * bytes and reads its header into the descriptor. On entry IHEAD(1) may hold
 * a fallback format code (0 = none). Status: 0, or a negative code:
 * -1000 name starts with NUL, -1001 name shorter than 2 characters,
 * -1002 file does not exist, -1005 format not recognised, -1006 file shorter
 * than 120 bytes, -2018 a binary grid shorter than its header states, -2019
 * no positive column and row count or a bad Surfer 7 section chain, -2021 more
 * than 16 bands, other -20xx and -27xx codes: a text header ended early. */
GRIDLIB_API void GRDRDH(const char *name, const int32_t *name_length, int32_t *ihead, float *rhead,
                        char *chead, const int32_t *band_name_length, int32_t *status) GRIDLIB_NOEXCEPT;

/* Reads the grid described by the descriptor, within the map window and with
 * the column and row steps, into the working grid file, and rewrites the
 * descriptor to describe the working grid. The window arguments may point into
 * RHEAD itself: they are read once at the start. Status: 0, -1 refused
 * (byte-image format, window outside the grid, bad names, sizes that cannot
 * be allocated, data file missing, a row decoder failed), -2 the working grid
 * file could not be created or written, -11 format not handled, -27 GXF
 * without "#GRID", -28 the file ends within its header lines, -1000-k row k
 * could not be read (it is missing, short or not a number), -101 or -3000
 * positioning failed. */
GRIDLIB_API void GRDRDG(const char *input_name, const int32_t *input_name_length,
                        const char *working_name, const int32_t *working_name_length,
                        int32_t *ihead, float *rhead, const float *west_x, const float *east_x,
                        const int32_t *column_step, const float *south_y, const float *north_y,
                        const int32_t *row_step, int32_t *status) GRIDLIB_NOEXCEPT;

/* Decodes 8 bytes holding an IEEE double; byte_order 1 = most significant
 * byte first, any other value = least significant byte first. */
GRIDLIB_API double DECODE_VULCAN_BINARY(const char *bytes, const int32_t *length,
                                        const int32_t *byte_order) GRIDLIB_NOEXCEPT;

/* Counts the working grid's values into 4096 bins between RHEAD(14) and
 * RHEAD(15); open limits (RHEAD(14) >= RHEAD(15)) start from the data range
 * and are narrowed to cut thin tails. Status: 0, -1 refused, -2 fewer than 2
 * columns or rows, -3 the working grid file could not be read. */
GRIDLIB_API void GRDHST(const char *working_name, const int32_t *working_name_length,
                        const int32_t *ihead, float *rhead, const float *tail_fraction,
                        int32_t *levels, int32_t *status) GRIDLIB_NOEXCEPT;

/* Builds the colour table (GRIDLIB_COLOURS x 3 int32, the red column first):
 * entry 1 white, entry 2 black, then the colours of the scheme. */
GRIDLIB_API void COLORMAP(const int32_t *scheme, const float *light_azimuth,
                          const float *light_elevation, const int32_t *packed_colours,
                          const int32_t *user_colour_count, const float *user_colour_table,
                          int32_t *colour_count, int32_t *colour_table) GRIDLIB_NOEXCEPT;

/* One colour, components 0..1, for a fraction 0..1 of a colour scheme. */
GRIDLIB_API void CLCRGB(const float *fraction, const float *tint, const float *tint_exponent,
                        const int32_t *scheme, const int32_t *user_colour_count,
                        const float *user_colour_table, float *red, float *green, float *blue) GRIDLIB_NOEXCEPT;

/* Colour-space conversions. RGBHSV clamps its inputs to 0..1 in place. */
GRIDLIB_API void RGBHSV(float *red, float *green, float *blue, float *hue, float *saturation,
                        float *value) GRIDLIB_NOEXCEPT;
GRIDLIB_API void HSVRGB(const float *hue, const float *saturation, const float *value, float *red,
                        float *green, float *blue) GRIDLIB_NOEXCEPT;
GRIDLIB_API void RGBHSL(const float *red, const float *green, const float *blue, float *hue,
                        float *saturation, float *lightness) GRIDLIB_NOEXCEPT;
GRIDLIB_API void HSLRGB(const float *hue, const float *saturation, const float *lightness,
                        float *red, float *green, float *blue) GRIDLIB_NOEXCEPT;

/* Draws the working grid as an 8-bit palette BMP. Mapping mode 1 = linear,
 * 2 = through the level table, negative = inverted. IHEAD(13) asks for a line
 * width (<= 0: one pixel per column) and is reset to 0. The image is written
 * beside the output under a temporary name and renamed into place when
 * complete. Status: 0, -1 refused (byte-image format or limits not ascending),
 * -2 the image would not fit the BMP size fields, -3 the image file could not
 * be written, -4 the working grid file could not be read. */
GRIDLIB_API void GRD2BMP(const char *working_name, const int32_t *working_name_length,
                         const char *image_name, const int32_t *image_name_length, int32_t *ihead,
                         const float *rhead, const int32_t *mapping_mode, const int32_t *levels,
                         const int32_t *colour_count, const int32_t *colour_table,
                         int32_t *status) GRIDLIB_NOEXCEPT;

#ifdef __cplusplus
}
#endif

#endif /* GRIDLIB_H */
