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
 *   does not set keep the caller's values. The entries are named below; the
 *   documentation writes IHEAD(n) for the entry at C index n - 1.
 * - Routines with a status argument set it to GRIDLIB_OK (0) on success and
 *   to a negative code on failure, named below; nothing is ever printed and
 *   no routine keeps a file open between calls. The routines are not
 *   re-entrant: calls must not overlap.
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
/* Bins between the colour limits, and so colour levels 1..GRIDLIB_LEVELS. */
#define GRIDLIB_LEVELS 4096
/* Entries of a colour table: an 8-bit palette holds no more. */
#define GRIDLIB_COLOURS 256

/* The null value of the working grid: the float nearest to -1.0e32. Values
 * at or below GRIDLIB_NULL_THRESHOLD count as null. */
#define GRIDLIB_NULL_VALUE (-1.0e32f)
#define GRIDLIB_NULL_THRESHOLD (-1.0e30f)

/* IHEAD entries, as C array indices. Some words mean something of their own
 * to a format family; the comments give the common meaning. */
enum gridlib_ihead_entry {
    GRIDLIB_FORMAT = 0,         /* format code, below */
    GRIDLIB_BAND_COUNT = 1,
    GRIDLIB_SELECTED_BAND = 2,
    GRIDLIB_DATA_OFFSET = 3,    /* byte offset of the first value */
    GRIDLIB_VALUE_TYPE = 4,
    GRIDLIB_STORAGE_ORDER = 5,  /* +-1..+-4: stored vectors, their start and direction */
    GRIDLIB_BYTE_ORDER = 6,     /* 1 = most significant byte first */
    GRIDLIB_COLUMNS = 7,
    GRIDLIB_ROWS = 8,
    GRIDLIB_WINDOW_WORDS = 9,   /* four words, cleared by GRDRDH; the last is: */
    GRIDLIB_IMAGE_WIDTH = 12,   /* the line width GRD2BMP is asked for (0 = one pixel per column) */
    GRIDLIB_COLUMNS_READ = 13,  /* the counts as GRDRDH read them */
    GRIDLIB_ROWS_READ = 14
};

/* RHEAD entries, as C array indices. */
enum gridlib_rhead_entry {
    GRIDLIB_WEST_X = 0,
    GRIDLIB_EAST_X = 1,
    GRIDLIB_SOUTH_Y = 2,
    GRIDLIB_NORTH_Y = 3,
    GRIDLIB_COLUMN_SPACING = 4,
    GRIDLIB_ROW_SPACING = 5,
    GRIDLIB_NULL = 6,           /* the grid's null value */
    GRIDLIB_BASE = 7,           /* real value = stored value / divisor + base */
    GRIDLIB_SCALE_DIVISOR = 8,
    GRIDLIB_DATA_MIN = 9,
    GRIDLIB_DATA_MAX = 10,
    GRIDLIB_MEAN = 11,
    GRIDLIB_STD_DEV = 12,
    GRIDLIB_COLOUR_MIN = 13,    /* the data values of the first and last colour */
    GRIDLIB_COLOUR_MAX = 14,
    GRIDLIB_ROTATION = 15,
    GRIDLIB_INPUT_GEOMETRY = 16 /* six words: west, east, south, north and spacings as GRDRDH read them */
};

/* Format codes in IHEAD(1). */
enum gridlib_format {
    GRIDLIB_FORMAT_NONE = 0,
    GRIDLIB_FORMAT_ER_MAPPER = 1,   /* ".ers" header, data file beside it */
    GRIDLIB_FORMAT_BINARY_512 = 2,  /* 512-byte header (the working grid), or record-framed */
    GRIDLIB_FORMAT_GXF = 3,
    GRIDLIB_FORMAT_PCIDSK = 4,      /* byte image */
    GRIDLIB_FORMAT_BIL = 5,         /* byte image, ".hdr" header */
    GRIDLIB_FORMAT_BIP = 6,         /* byte image, ".hdr" header */
    GRIDLIB_FORMAT_GRID_TEXT = 7,   /* "$$GRID$$" */
    GRIDLIB_FORMAT_BGD = 8,         /* "$$BGD" */
    GRIDLIB_FORMAT_ESRI_ASCII = 9,
    GRIDLIB_FORMAT_BINARY_24 = 10,  /* 24-byte header of reals */
    GRIDLIB_FORMAT_TOOL = 11,
    GRIDLIB_FORMAT_K_BLOCKS = 12,   /* 16-bit values in blocks of 64 */
    GRIDLIB_FORMAT_SURFER6 = 13,
    GRIDLIB_FORMAT_SURFER7 = 14
};

/* Status codes. A value may serve several routines with different meanings;
 * each routine lists its own. */
enum gridlib_status {
    GRIDLIB_OK = 0,
    GRIDLIB_REFUSED = -1,  /* every routine: a request it cannot carry out */

    /* GRDRDH */
    GRIDLIB_NAME_STARTS_WITH_NUL = -1000,
    GRIDLIB_NAME_TOO_SHORT = -1001,
    GRIDLIB_FILE_MISSING = -1002,
    GRIDLIB_FORMAT_UNKNOWN = -1005,
    GRIDLIB_FILE_TOO_SHORT = -1006,     /* shorter than the 120 bytes format recognition reads */
    GRIDLIB_HDR_FILE_MISSING = -2001,   /* BIL/BIP without its ".hdr" file */
    GRIDLIB_ERS_INCOMPLETE = -2005,
    GRIDLIB_GXF_INCOMPLETE = -2006,     /* no "#GRID" line, or no value after #POINTS, #ROWS or #TRANSFORM */
    GRIDLIB_BINARY_TOO_SHORT = -2018,   /* shorter than its header states */
    GRIDLIB_NO_USABLE_SIZE = -2019,     /* no positive column and row count, or a bad Surfer 7 section chain */
    GRIDLIB_BAD_BAND_COUNT = -2021,     /* ER Mapper: fewer than 1 or more than 16 bands */
    GRIDLIB_ESRI_NO_DATA = -2030,       /* the file ends before its data */
    /* GXF: the file ends where the value of a keyword should follow. */
    GRIDLIB_GXF_NO_PTSEPARATION = -2703,
    GRIDLIB_GXF_NO_RWSEPARATION = -2704,
    GRIDLIB_GXF_NO_ROTATION = -2705,
    GRIDLIB_GXF_NO_SENSE = -2706,
    GRIDLIB_GXF_NO_GTYPE = -2707,
    GRIDLIB_GXF_NO_XORIGIN = -2708,
    GRIDLIB_GXF_NO_YORIGIN = -2709,
    GRIDLIB_GXF_NO_ZMINIMUM = -2710,
    GRIDLIB_GXF_NO_ZMAXIMUM = -2713,
    GRIDLIB_GXF_NO_DUMMY = -2714,
    /* "$$GRID$$": a header line missing, or characters per value not 1, 2 or 3. */
    GRIDLIB_GRID_TEXT_NO_LINE_1 = -2023,      /* the line of the size and line layout */
    GRIDLIB_GRID_TEXT_NO_LINE_2 = -2024,      /* the line of the coding and the extent */
    GRIDLIB_GRID_TEXT_EXTRA_LINES_CUT = -2025, /* the file ends within the lines after it */
    GRIDLIB_GRID_TEXT_NO_LINE_3 = -2026,      /* the line of the spacings and the data range */
    GRIDLIB_GRID_TEXT_BAD_WIDTH = -2027,

    /* GRDRDG */
    GRIDLIB_WORKING_GRID_FAILED = -2,   /* the working grid, or the scratch file beside it that turns
                                           a GXF grid's columns into rows, could not be created or written */
    GRIDLIB_NOT_HANDLED = -11,          /* no read path for this format or variant */
    GRIDLIB_GXF_NO_GRID_LINE = -27,
    GRIDLIB_HEADER_LINES_MISSING = -28,
    GRIDLIB_COLUMN_SEEK_FAILED = -101,
    GRIDLIB_ROW_FAILED = -1000,         /* -1000 - k: row k is missing, short, not a number or not validly
                                           coded (in a GXF file, stored vector k, a row or a column) */
    GRIDLIB_ROW_SEEK_FAILED = -3000,    /* ER Mapper and $$BGD; the same value as row 2000's failure */

    /* GRDHST */
    GRIDLIB_HISTOGRAM_TOO_SMALL = -2,   /* fewer than 2 columns or rows */
    GRIDLIB_HISTOGRAM_UNREADABLE = -3,  /* the working grid could not be read */

    /* GRD2BMP */
    GRIDLIB_IMAGE_TOO_LARGE = -2,       /* beyond the BMP size fields */
    GRIDLIB_IMAGE_WRITE_FAILED = -3,
    GRIDLIB_IMAGE_GRID_UNREADABLE = -4
};

/* Recognises the grid format of a file by its extension or its first 120
 * bytes and reads its header into the descriptor. On entry IHEAD(1) may hold
 * a fallback format code (0 = none). Status: GRIDLIB_OK, GRIDLIB_REFUSED
 * without descriptor arrays, one of the GRDRDH codes above, or another
 * -20xx or -27xx code: a text header ended early. The input geometry words,
 * the cleared window words and the count copies are written on every return. */
GRIDLIB_API void GRDRDH(const char *name, const int32_t *name_length, int32_t *ihead, float *rhead,
                        char *chead, const int32_t *band_name_length, int32_t *status) GRIDLIB_NOEXCEPT;

/* Reads the grid described by the descriptor, within the map window and with
 * the column and row steps, into the working grid file, and rewrites the
 * descriptor to describe the working grid. The window arguments may point into
 * RHEAD itself: they are read once at the start. Status: GRIDLIB_OK,
 * GRIDLIB_REFUSED (byte-image format, window outside the grid, bad names,
 * sizes that cannot be allocated, data file missing, the working grid is the
 * input), or one of the GRDRDG codes above. */
GRIDLIB_API void GRDRDG(const char *input_name, const int32_t *input_name_length,
                        const char *working_name, const int32_t *working_name_length,
                        int32_t *ihead, float *rhead, const float *west_x, const float *east_x,
                        const int32_t *column_step, const float *south_y, const float *north_y,
                        const int32_t *row_step, int32_t *status) GRIDLIB_NOEXCEPT;

/* Decodes 8 bytes holding an IEEE double; byte_order 1 = most significant
 * byte first, any other value = least significant byte first. */
GRIDLIB_API double DECODE_VULCAN_BINARY(const char *bytes, const int32_t *length,
                                        const int32_t *byte_order) GRIDLIB_NOEXCEPT;

/* Counts the working grid's values into GRIDLIB_LEVELS bins between
 * RHEAD(14) and RHEAD(15); open limits (RHEAD(14) >= RHEAD(15)) start from
 * the data range and are narrowed to cut thin tails. Status: GRIDLIB_OK,
 * GRIDLIB_REFUSED, or one of the GRDHST codes above. */
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
 * complete. Status: GRIDLIB_OK, GRIDLIB_REFUSED (byte-image format or limits
 * not ascending), or one of the GRD2BMP codes above. */
GRIDLIB_API void GRD2BMP(const char *working_name, const int32_t *working_name_length,
                         const char *image_name, const int32_t *image_name_length, int32_t *ihead,
                         const float *rhead, const int32_t *mapping_mode, const int32_t *levels,
                         const int32_t *colour_count, const int32_t *colour_table,
                         int32_t *status) GRIDLIB_NOEXCEPT;

/* Temporary files that must not outlive the process. The library writes its
 * images under temporary names too; all of them are kept in one table, which
 * a SIGINT or SIGTERM empties once gridlib_remove_temporary_files_on_signals
 * has been called. */

/* Creates a new, empty file named directory + prefix + a unique part +
 * suffix (an empty directory text: the current directory), never opening an
 * existing file or link, registers it, and returns its name in the name
 * buffer, NUL-terminated. Status: GRIDLIB_OK, or GRIDLIB_REFUSED when the
 * file could not be created or its name does not fit the buffer. */
GRIDLIB_API void gridlib_create_temporary_file(const char *directory, const int32_t *directory_length,
                                               const char *prefix, const int32_t *prefix_length,
                                               const char *suffix, const int32_t *suffix_length, char *name,
                                               const int32_t *name_length, int32_t *status) GRIDLIB_NOEXCEPT;

/* Removes a file made by gridlib_create_temporary_file and withdraws it from
 * the table. */
GRIDLIB_API void gridlib_remove_temporary_file(const char *name, const int32_t *name_length) GRIDLIB_NOEXCEPT;

/* Installs SIGINT and SIGTERM handlers that remove every registered file and
 * then end the process by that signal, as it would have ended without them. */
GRIDLIB_API void gridlib_remove_temporary_files_on_signals(void) GRIDLIB_NOEXCEPT;

#ifdef __cplusplus
}
#endif

#endif /* GRIDLIB_H */
