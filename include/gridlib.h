/* gridlib: read gridded data in sixteen grid formats, reduce it to a working
 * grid of 32-bit reals, and draw it as a BMP, PNG or GeoTIFF image (palette
 * or true colour), a colour bar, or a tile pyramid with a browser viewer.
 *
 * The routines in upper case are those every caller of this family of grid
 * routines already knows, with their names and argument order unchanged; the
 * gridlib_* routines are this library's additions.
 *
 * Calling conventions, shared by every routine below:
 * - Every argument is passed by reference. A text argument is a fixed-length,
 *   blank-padded character buffer followed by a pointer to its int32 length;
 *   a file name ends at its first NUL character, or else at its last
 *   non-blank character.
 * - The grid descriptor travels as three arrays: ihead (GRIDLIB_IHEAD_SIZE
 *   int32), rhead (GRIDLIB_RHEAD_SIZE float) and chead (GRIDLIB_BAND_NAMES
 *   band names of the element length passed after it, blank-padded: band k,
 *   numbered from 1, is chead[(k - 1) x length] to chead[k x length - 1]).
 *   Entries a format does not set keep the caller's values. The entries are
 *   named below by their C array index: ihead[GRIDLIB_COLUMNS] is the column
 *   count.
 * - Routines with a status argument set it to GRIDLIB_OK (0) on success and
 *   to a negative code on failure, named below; nothing is ever printed and
 *   no routine keeps a file open between calls.
 * - Threads: calls on different threads may overlap when they work on
 *   different files (one thread's working grid is never another's output).
 *   What they share is made safe inside: the pool of worker threads (a call
 *   that finds it busy with another runs on its own thread alone, with the
 *   same results), the table of temporary files to remove on a signal,
 *   libnetcdf (every call into it is serialised) and the loading of
 *   libgeotiff and libnetcdf (once per process). Per thread are the output
 *   group (gridlib_begin_outputs), the sizes of gridlib_room_shortage, and
 *   the progress of a gridlib_convert call. Process-wide, and to be set
 *   before threads start converting, are gridlib_set_progress's function
 *   and gridlib_remove_temporary_files_on_signals.
 * - GRDRDG, GRDHST, GRDGRAD and the image writers work on as many threads as
 *   the process has processors, or as the environment variable
 *   GRIDLIB_THREADS says (1 to 64; 1 = the caller's thread alone), read at
 *   each call. Their results are the same whatever the count. The threads are
 *   started by the first call that needs them, hold nothing between calls,
 *   block every signal, and are joined when the process ends.
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

/* ihead entries, as C array indices. Some words mean something of their own to
 * a format family; the comments give the common meaning. */
enum gridlib_ihead_entry {
    GRIDLIB_FORMAT = 0,         /* format code, below */
    GRIDLIB_BAND_COUNT = 1,
    GRIDLIB_SELECTED_BAND = 2,
    GRIDLIB_DATA_OFFSET = 3,    /* byte offset of the first value */
    GRIDLIB_VALUE_TYPE = 4,     /* each family's own: see gridlib_element_size, below */
    GRIDLIB_STORAGE_ORDER = 5,  /* a gridlib_storage_order, below */
    GRIDLIB_BYTE_ORDER = 6,     /* a gridlib_byte_order, below */
    GRIDLIB_COLUMNS = 7,
    GRIDLIB_ROWS = 8,
    GRIDLIB_WINDOW_WORDS = 9,   /* four words, cleared by GRDRDH; the last is: */
    GRIDLIB_IMAGE_WIDTH = 12,   /* the line width GRD2BMP is asked for (0 = one pixel per column) */
    GRIDLIB_COLUMNS_READ = 13,  /* the counts as GRDRDH read them */
    GRIDLIB_ROWS_READ = 14
};

/* rhead entries, as C array indices. */
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

/* Format codes in ihead[GRIDLIB_FORMAT]. */
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
    GRIDLIB_FORMAT_SURFER7 = 14,
    GRIDLIB_FORMAT_GEOTIFF = 15,    /* GeoTIFF and BigTIFF, read through libtiff: one band ("file.tif?N" for
                                       band N) of 8-, 16-, 32-bit integers or 32-, 64-bit reals, in strips or
                                       tiles, chunky or planar, any compression libtiff decodes (predictors
                                       included); GDAL's nodata tag; placed as GDAL places it (PixelIsPoint
                                       moved half a cell), rotated placements refused */
    GRIDLIB_FORMAT_NETCDF = 16      /* netCDF grids (GMT, COARDS, CF), read through libnetcdf; the grid
                                       name "file.nc?variable" selects a variable, of which the first
                                       index of any dimension before the rows and columns is read */
};

/* Storage orders in ihead[GRIDLIB_STORAGE_ORDER]: whether the stored vectors
 * are rows or columns and the corner the first of them starts from. Rows run
 * away from that corner's side (west to east from a western corner), and
 * follow each other towards the opposite side; columns likewise. Any other
 * code is read as GRIDLIB_ROWS_FROM_SOUTH_WEST, the order every header reader
 * presets. */
enum gridlib_storage_order {
    GRIDLIB_ROWS_FROM_SOUTH_WEST = 1,
    GRIDLIB_COLUMNS_FROM_SOUTH_WEST = -1,
    GRIDLIB_COLUMNS_FROM_NORTH_WEST = 2,
    GRIDLIB_ROWS_FROM_NORTH_WEST = -2,   /* the working grid's own order */
    GRIDLIB_ROWS_FROM_NORTH_EAST = 3,
    GRIDLIB_COLUMNS_FROM_NORTH_EAST = -3,
    GRIDLIB_COLUMNS_FROM_SOUTH_EAST = 4,
    GRIDLIB_ROWS_FROM_SOUTH_EAST = -4
};

/* Byte orders in ihead[GRIDLIB_BYTE_ORDER]. Only GRIDLIB_MOST_SIGNIFICANT_FIRST
 * is tested: every other value means least significant byte first. A header
 * of the 512-byte variant states one of these three. */
enum gridlib_byte_order {
    GRIDLIB_LEAST_SIGNIFICANT_FIRST = 0,        /* as stated (ER Mapper), or TOOL's order */
    GRIDLIB_MOST_SIGNIFICANT_FIRST = 1,
    GRIDLIB_LEAST_SIGNIFICANT_FIRST_ALWAYS = 2  /* the same order, set by the formats that know no
                                                   other: Surfer, 24-byte header, K blocks */
};

/* The value-type word ihead[GRIDLIB_VALUE_TYPE] means something of each format
 * family's own. The binary grids (512-byte and 24-byte header, TOOL, K blocks,
 * Surfer, $$BGD) keep the size of their elements in bytes; the 512-byte header
 * puts a minus sign on the size of the elements its second byte flags. An ESRI
 * ASCII grid holds GRIDLIB_ELEMENT_INT16 while its header is read and
 * GRIDLIB_ELEMENTS_AS_TEXT once it is complete. */
enum gridlib_element_size {
    GRIDLIB_ELEMENTS_AS_TEXT = 0,
    GRIDLIB_ELEMENT_INT16 = 2,   /* 16-bit integers */
    GRIDLIB_ELEMENT_REAL32 = 4,  /* 32-bit IEEE reals */
    GRIDLIB_ELEMENT_REAL64 = 8   /* 64-bit IEEE reals */
};

/* An ER Mapper grid keeps its cell type there. Codes 1 to 4 are the usual type
 * of each size; the integer types of the other sign have codes of their own, 5
 * to 7: a caller reading an unsigned 16-bit ER Mapper grid sees 5. The 32-bit
 * integers are stored in thousandths. */
enum gridlib_er_mapper_cell_type {
    GRIDLIB_ERS_REAL32 = 0,
    GRIDLIB_ERS_INT32_THOUSANDTHS = 1,
    GRIDLIB_ERS_INT16 = 2,
    GRIDLIB_ERS_UINT8 = 3,
    GRIDLIB_ERS_REAL64 = 4,
    GRIDLIB_ERS_UINT16 = 5,
    GRIDLIB_ERS_INT8 = 6,
    GRIDLIB_ERS_UINT32_THOUSANDTHS = 7
};

/* A PCIDSK image keeps its interleaving there; BIL and BIP images keep their
 * bits per value, GXF grids the characters of a compressed value (0: values
 * written as numbers), "$$GRID$$" grids their characters per value. */
enum gridlib_pcidsk_interleave {
    GRIDLIB_PCIDSK_PIXEL = 0,  /* the channels of a cell side by side */
    GRIDLIB_PCIDSK_LINE = 1,   /* a line of each channel in turn */
    GRIDLIB_PCIDSK_BAND = 2,   /* each channel whole, one after the other */
    GRIDLIB_PCIDSK_FILE = 3    /* the channel in a file of its own */
};

/* Mapping modes of the image writers: how a value's bin becomes its colour
 * level. The negative of either inverts the levels (level 4097 - level). */
enum gridlib_mapping_mode {
    GRIDLIB_MAPPING_LINEAR = 1,         /* the bin's number is its level */
    GRIDLIB_MAPPING_THROUGH_LEVELS = 2  /* the level table gives each bin's level */
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
    GRIDLIB_BAD_BAND_COUNT = -2021,     /* fewer than 1 band (ER Mapper, BIL/BIP) or more than 16 (ER Mapper, PCIDSK) */
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
    /* Byte images. The PCIDSK codes come after the size, interleave, data
     * offset and band names have been read: the image lacks only its position. */
    GRIDLIB_PCIDSK_NO_GEOREFERENCING = -2008,    /* no locked georeferencing segment, or it is missing */
    GRIDLIB_PCIDSK_OTHER_GEOREFERENCING = -2009, /* georeferencing of a kind other than a pixel polynomial */
    GRIDLIB_HDR_BAD_CELL_SIZE = -2020,           /* BIL/BIP: XDIM or YDIM missing or not positive */
    GRIDLIB_HDR_NEGATIVE_SKIP = -2022,           /* BIL/BIP: SKIPBYTES negative */
    /* "$$GRID$$": a header line missing, or characters per value not 1, 2 or 3. */
    GRIDLIB_GRID_TEXT_NO_LINE_1 = -2023,      /* the line of the size and line layout */
    GRIDLIB_GRID_TEXT_NO_LINE_2 = -2024,      /* the line of the coding and the extent */
    GRIDLIB_GRID_TEXT_EXTRA_LINES_CUT = -2025, /* the file ends within the lines after it */
    GRIDLIB_GRID_TEXT_NO_LINE_3 = -2026,      /* the line of the spacings and the data range */
    GRIDLIB_GRID_TEXT_BAD_WIDTH = -2027,
    /* GeoTIFF grids */
    GRIDLIB_TIFF_UNREADABLE = -2040,  /* no TIFF file libtiff can read, or its first image is damaged */
    GRIDLIB_TIFF_SAMPLES = -2041,     /* values other than 8-, 16-, 32-bit integers or 32-, 64-bit reals */
    GRIDLIB_TIFF_LAYOUT = -2042,      /* a compression not decoded here, subsampled colours, empty strips or tiles */
    GRIDLIB_TIFF_NO_BAND = -2043,     /* "file.tif?N" names no band of the file */
    GRIDLIB_TIFF_TOO_LARGE = -2044,   /* over 2^31-1 columns or rows, or more values than the file could hold */
    GRIDLIB_TIFF_ROTATED = -2045,     /* a placement that rotates or shears the grid */
    GRIDLIB_TIFF_CHUNKS_TOO_LARGE = -2046, /* a tile or an image row over 256 MB decoded, a row of tiles over 1 GB */
    GRIDLIB_TIFF_NOT_FINITE = -2047,  /* a placement not finite, or beyond the range of 32-bit reals */
    GRIDLIB_TIFF_ZERO_CELL = -2048,   /* cells 0 wide or high, or too small for their coordinates, as 32-bit reals */
    /* netCDF. A dimension of the grid that is empty or beyond 2147483647 is GRIDLIB_NO_USABLE_SIZE, a
     * classic file shorter than its variables GRIDLIB_BINARY_TOO_SHORT (libnetcdf would read zeros). */
    GRIDLIB_NETCDF_UNREADABLE = -2901,     /* libnetcdf cannot open the file or read its grid's coordinates */
    GRIDLIB_NETCDF_NO_GRID = -2902,        /* no numeric variable of 2 or more dimensions (of the name selected) */
    GRIDLIB_NETCDF_IRREGULAR_AXIS = -2903, /* a coordinate variable of the grid is not evenly spaced */
    GRIDLIB_NETCDF_UNSTORED = -2904,       /* a grid of over 2^26 cells whose netCDF-4 file stores chunks
                                              for fewer than 1 in 64 of them (the rest would be fill values) */

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
    GRIDLIB_IMAGE_TOO_LARGE = -2,       /* beyond the image format, or a block of lines (a TIFF: a row of
                                           tiles) beyond memory */
    GRIDLIB_IMAGE_WRITE_FAILED = -3,
    GRIDLIB_IMAGE_GRID_UNREADABLE = -4,

    /* GRDGRAD */
    GRIDLIB_GRADIENT_WRITE_FAILED = -3,
    GRIDLIB_GRADIENT_GRID_UNREADABLE = -4,

    /* GRDRDG (the working grid, or the scratch file of a GXF grid stored by
     * columns), GRDGRAD (the gradient file), and GRD2BMP, GRDSUN2BMP and
     * GRD2BMPCOLTAB writing a BMP: the file's size is known before it is
     * made, and its file system has not that many bytes available (as df
     * shows them). Nothing is written; gridlib_room_shortage tells the sizes.
     * A PNG or TIFF, whose size is known only once it is compressed, is not
     * refused ahead. */
    GRIDLIB_NO_ROOM = -5,

    /* gridlib_write_colour_bar */
    GRIDLIB_FONT_MISSING = -6,          /* a PNG bar's DejaVu font (fonts-dejavu-core) could not be loaded */

    /* gridlib_convert */
    GRIDLIB_STOPPED = -7                /* the caller's stop flag was set: nothing was written or replaced */
};

/* Recognises the grid format of a file by its extension or its first 120 bytes
 * and reads its header into the descriptor. On entry ihead[GRIDLIB_FORMAT] may
 * hold a fallback format code (0 = none). Status: GRIDLIB_OK, GRIDLIB_REFUSED
 * without descriptor arrays, one of the GRDRDH codes above, or another -20xx
 * or -27xx code: a text header ended early. The input geometry words, the
 * cleared window words and the count copies are written on every return. */
GRIDLIB_API void GRDRDH(const char *name, const int32_t *name_length, int32_t *ihead, float *rhead,
                        char *chead, const int32_t *band_name_length, int32_t *status) GRIDLIB_NOEXCEPT;

/* Sets result to 1 when the named file is one of the files the grid consists
 * of (the grid file itself, its ".hdr" header file for BIL and BIP, its data
 * file for ER Mapper), and to 0 otherwise. ihead[GRIDLIB_FORMAT] holds the
 * grid's format code, as GRDRDH left it. Files are compared as files (device
 * and inode), so that another spelling, a hard link or a symbolic link is
 * caught too: a caller about to write a file can make sure it destroys no
 * input. */
GRIDLIB_API void gridlib_file_belongs_to_grid(const char *grid_name, const int32_t *grid_name_length,
                                              const int32_t *ihead, const char *name, const int32_t *name_length,
                                              int32_t *result) GRIDLIB_NOEXCEPT;

/* Reads the grid described by the descriptor, within the map window and with
 * the column and row steps, into the working grid file, and rewrites the
 * descriptor to describe the working grid. The window arguments may point into
 * rhead itself: they are read once at the start. Status: GRIDLIB_OK,
 * GRIDLIB_REFUSED (byte-image format, window outside the grid, bad names,
 * sizes that cannot be allocated, data file missing, the working grid is the
 * input), GRIDLIB_NO_ROOM, or one of the GRDRDG codes above. A working name
 * that exists and is not a regular file (a FIFO, a device) is refused at once
 * with GRIDLIB_WORKING_GRID_FAILED. */
GRIDLIB_API void GRDRDG(const char *input_name, const int32_t *input_name_length,
                        const char *working_name, const int32_t *working_name_length,
                        int32_t *ihead, float *rhead, const float *west_x, const float *east_x,
                        const int32_t *column_step, const float *south_y, const float *north_y,
                        const int32_t *row_step, int32_t *status) GRIDLIB_NOEXCEPT;

/* Point lookup. Sets values[i] to the value at the map point (x[i], y[i]),
 * i < n, of a grid file in the working grid's layout: a 512-byte header, then
 * rows of 32-bit reals. Each value is interpolated within the 3 x 3 block of
 * nodes around the node nearest to the point (moved inward at the grid's
 * edges): biquadratic when all nine nodes hold data; otherwise, in this
 * order, the centre node's own value, quadratic or linear along the centre
 * row or column, bilinear over a cell or rectangle, planar over a triangle,
 * from the first whose nodes all hold data.
 * The descriptor must describe that file as GRDRDH reads it: the size comes
 * from ihead[GRIDLIB_COLUMNS_READ] and ihead[GRIDLIB_ROWS_READ], the geometry
 * from the six words from rhead[GRIDLIB_INPUT_GEOMETRY] on, and
 * ihead[GRIDLIB_STORAGE_ORDER] = GRIDLIB_ROWS_FROM_NORTH_WEST means the
 * northern row is stored first (any other value: the southern). GRDRDG leaves
 * the input's storage order in ihead[GRIDLIB_STORAGE_ORDER], so read a working
 * grid's own header with GRDRDH before looking up its points.
 * A value stays GRIDLIB_NULL_VALUE when its point lies more than half a cell
 * beyond the outer nodes, when the grid has fewer than 3 columns or rows or
 * the file ends before the point's block, and when no rule finds its nodes.
 * Status: GRIDLIB_OK; GRIDLIB_REFUSED for n < 0 (nothing is written), and
 * for a byte-image format or a file that cannot be opened (every value null). */
GRIDLIB_API void GRDVAL(const char *name, const int32_t *name_length, const int32_t *ihead, const float *rhead,
                        const int32_t *n, const float *x, const float *y, float *values,
                        int32_t *status) GRIDLIB_NOEXCEPT;

/* Single rows, moved through a file descriptor the caller opened (open(2)) and
 * closes, passed as a pointer to int32 like every argument. Rows are numbered
 * from 1 in file order and hold ihead[GRIDLIB_COLUMNS_READ] values; the row
 * count is not consulted, rhead is not used (it may be NULL), nothing is
 * converted or byte-swapped, and the descriptor's file position is left alone.
 * Status: GRIDLIB_OK, or GRIDLIB_REFUSED for a missing argument, a row below
 * 1, or a row that could not be moved whole (beyond the end of the file, a
 * read or write error, a full disk; the buffer then holds what arrived). */

/* A row of a working grid (a 512-byte header, then rows of 32-bit reals), read
 * into values or written from them: ihead[GRIDLIB_COLUMNS_READ] reals. */
GRIDLIB_API void GRDRDL(const int32_t *handle, const int32_t *ihead, const float *rhead, const int32_t *row,
                        float *values, int32_t *status) GRIDLIB_NOEXCEPT;
GRIDLIB_API void GRDWRL(const int32_t *handle, const int32_t *ihead, const float *rhead, const int32_t *row,
                        const float *values, int32_t *status) GRIDLIB_NOEXCEPT;

/* A row of a headerless file of 4-byte cells, ihead[GRIDLIB_COLUMNS_READ] per
 * row: its first ihead[GRIDLIB_COLUMNS_READ] x 2 bytes into first_half, the
 * others into second_half. */
GRIDLIB_API void DRVRDL(const int32_t *handle, const int32_t *ihead, const float *rhead, const int32_t *row,
                        void *first_half, void *second_half, int32_t *status) GRIDLIB_NOEXCEPT;

/* A row of a PCIDSK, BIL or BIP byte image as GRDRDH described it: the bytes
 * of the bands band1..band3 (numbered from 1) widened into array1..array3,
 * ihead[GRIDLIB_COLUMNS_READ] values each. A band outside
 * 1..ihead[GRIDLIB_BAND_COUNT], or a NULL band, leaves its array untouched; a
 * PCIDSK image of interleave "FILE" holds one band, which always goes to
 * array1. Also GRIDLIB_REFUSED for another format code, an interleave code
 * PCIDSK does not have, or no array where a band goes. */
GRIDLIB_API void BYTRDL(const int32_t *handle, const int32_t *ihead, const float *rhead, const int32_t *row,
                        const int32_t *band1, const int32_t *band2, const int32_t *band3, uint16_t *array1,
                        uint16_t *array2, uint16_t *array3, int32_t *status) GRIDLIB_NOEXCEPT;

/* Decodes 8 bytes holding an IEEE double; byte_order
 * GRIDLIB_MOST_SIGNIFICANT_FIRST = most significant byte first, any other
 * value = least significant byte first. */
GRIDLIB_API double DECODE_VULCAN_BINARY(const char *bytes, const int32_t *length,
                                        const int32_t *byte_order) GRIDLIB_NOEXCEPT;

/* Counts the working grid's values into GRIDLIB_LEVELS bins between
 * rhead[GRIDLIB_COLOUR_MIN] and rhead[GRIDLIB_COLOUR_MAX]; open limits
 * (rhead[GRIDLIB_COLOUR_MIN] >= rhead[GRIDLIB_COLOUR_MAX]) start from the data
 * range and are narrowed to cut thin tails: tail_fraction is the percentage
 * of the counted values (not a fraction of 1) each tail beyond the narrowed
 * limits may hold, 0.99 in rastrify; a value that leaves a tail less than
 * one value (0, a negative or NaN) keeps the data range. levels holds GRIDLIB_LEVELS int32:
 * levels[k - 1] receives the count of bin k. Status: GRIDLIB_OK,
 * GRIDLIB_REFUSED, or one of the GRDHST codes above. */
GRIDLIB_API void GRDHST(const char *working_name, const int32_t *working_name_length,
                        const int32_t *ihead, float *rhead, const float *tail_fraction,
                        int32_t *levels, int32_t *status) GRIDLIB_NOEXCEPT;

/* Builds the colour table and sets colour_count to the entries it filled:
 * entry 1 white (the colour of null cells), entry 2 black, then the colours
 * of the scheme:
 *   1       236 greys, dark to light
 *   2       236 colours of the rainbow ramp (blue, cyan, green, yellow, red),
 *           or, when user_colour_count > 0, of the user colours interpolated
 *   3       the 16 packed colours
 *   4       225 greys of slopes lit from light_azimuth and light_elevation
 *           (degrees): 15 x 15 slopes in steps of 12 degrees
 *   5, 6    225 colours: 15 tints (dark to light) of 15 rainbow steps
 *   7, 8    216 colours of the 6 x 6 x 6 colour cube
 *   other   the colour_count (0..254) passed in: greys for 9 and above, the
 *           rainbow (or the user colours) for 0 and below
 * Array sizes: colour_table holds 3 x GRIDLIB_COLOURS int32 (768), the red
 * column first: entry k (from 1) is colour_table[k - 1] (red),
 * [GRIDLIB_COLOURS + k - 1] (green) and [2 * GRIDLIB_COLOURS + k - 1] (blue),
 * 0..255. packed_colours holds 16 int32 when scheme is 3, each colour packed
 * as 0x00BBGGRR; any other scheme does not read it (a single word will do).
 * user_colour_table holds 3 x GRIDLIB_LEVELS floats (12288), the red column
 * first, components 0..1: row r (from 1) is user_colour_table[r - 1] (red),
 * [GRIDLIB_LEVELS + r - 1] (green) and [2 * GRIDLIB_LEVELS + r - 1] (blue). It
 * is read by scheme 2 and the schemes 0 and below when user_colour_count > 0
 * (its first rows); otherwise it is not read and may be NULL. light_azimuth
 * and light_elevation are read by scheme 4 only. */
GRIDLIB_API void COLORMAP(const int32_t *scheme, const float *light_azimuth,
                          const float *light_elevation, const int32_t *packed_colours,
                          const int32_t *user_colour_count, const float *user_colour_table,
                          int32_t *colour_count, int32_t *colour_table) GRIDLIB_NOEXCEPT;

/* One colour, components 0..1, for a fraction 0..1 of a colour scheme (the
 * schemes of COLORMAP); a fraction from -1 to 0 gives white (the colour of
 * null cells), one below -1 black, one above 1 the colour of 1. tint and
 * tint_exponent are read by the tinted rainbow (schemes 5 and 6) only: tint
 * -1 (darkest) to 1 (lightest), 0 the plain ramp; tint_exponent bends the
 * tint's effect (1, 0 or below: as it is; above 1 a small tint acts more
 * strongly, below 1 less). user_colour_table is laid out as for COLORMAP and
 * holds 3 x GRIDLIB_LEVELS floats whenever it is read: by scheme 3, which
 * takes its colours from it, and by scheme 2 and the schemes 0 and below
 * when user_colour_count > 0. */
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

/* Draws the working grid as an 8-bit palette BMP (a GeoTIFF when the image
 * name ends in ".tif" or ".tiff", see below). mapping_mode is a
 * gridlib_mapping_mode, or its negative to invert the levels; with
 * GRIDLIB_MAPPING_THROUGH_LEVELS, levels holds GRIDLIB_LEVELS int32, the level
 * of bin k (1..GRIDLIB_LEVELS) in levels[k - 1]. ihead[GRIDLIB_IMAGE_WIDTH]
 * asks for a line width (<= 0: one pixel per column) and is reset to 0. The
 * image is written beside the output under a temporary name and renamed into
 * place when complete. Status: GRIDLIB_OK, GRIDLIB_REFUSED (byte-image format
 * or limits not ascending), GRIDLIB_NO_ROOM, or one of the GRD2BMP codes
 * above. */
GRIDLIB_API void GRD2BMP(const char *working_name, const int32_t *working_name_length,
                         const char *image_name, const int32_t *image_name_length, int32_t *ihead,
                         const float *rhead, const int32_t *mapping_mode, const int32_t *levels,
                         const int32_t *colour_count, const int32_t *colour_table,
                         int32_t *status) GRIDLIB_NOEXCEPT;

/* Shaded and true-colour images. GRD2BMPCOLTAB draws one pixel per grid cell;
 * GRDSUN2BMP too unless ihead[GRIDLIB_IMAGE_WIDTH] asks for a line width,
 * which it approaches as GRD2BMP does (by repeating pixels and lines, or
 * keeping every n-th row and column). Neither changes
 * ihead[GRIDLIB_IMAGE_WIDTH]. Lines are stored bottom (southern) line first,
 * padded with zero bytes to a multiple of 4; or a PNG when the image name ends
 * in ".png" (see GRD2PNG below).
 * Like GRD2BMP they write the image beside the output under a temporary name,
 * rename it into place when complete, and leave nothing behind on failure.
 * Their statuses are those of GRD2BMP: GRIDLIB_OK; GRIDLIB_REFUSED (no file is
 * made) for a byte-image format in ihead[GRIDLIB_FORMAT],
 * rhead[GRIDLIB_COLOUR_MIN] not below rhead[GRIDLIB_COLOUR_MAX], no positive
 * size, an argument the call needs left out or out of range;
 * GRIDLIB_IMAGE_TOO_LARGE for an image beyond the format's size fields, or
 * one whose block of lines (one line at least, with a PNG's compressed stream
 * of its repeats) would need more than the memory the process may use
 * (gridlib_memory_shortage tells the sizes);
 * GRIDLIB_IMAGE_GRID_UNREADABLE when the working grid (or the gradient file)
 * cannot be read or is shorter than the grid; GRIDLIB_IMAGE_WRITE_FAILED when
 * the image cannot be written; GRIDLIB_NO_ROOM for a BMP its file system has
 * no room for.
 *
 * A valid value v falls into one of GRIDLIB_LEVELS equal-width bins between
 * rhead[GRIDLIB_COLOUR_MIN] and rhead[GRIDLIB_COLOUR_MAX] (at or below
 * rhead[GRIDLIB_COLOUR_MIN] the first, at or above rhead[GRIDLIB_COLOUR_MAX]
 * the last). */

/* Draws the working grid as a shaded relief: colour by value, brightness by
 * the light on each cell's slope.
 *
 * The gradient file has no header; for each grid row, the northern row first
 * whatever the working grid's storage order, it holds ihead[GRIDLIB_COLUMNS]
 * signed 16-bit little-endian first slope codes, then ihead[GRIDLIB_COLUMNS]
 * second slope codes, west to east. A first code of 0 or less marks a cell
 * without shading data. A code c (0..255; above 255 counts as 255, below 0 as
 * 0) selects slope_table[c / 4] of the 64 entries: ta for the first code, tb
 * for the second. With invert_flag 2 the slope steps are reversed
 * (entry 63 - c / 4) and so is the colour order; any other invert flag keeps
 * both.
 *
 * Brightness s (0..63): the surface normal is nx = ta sqrt((1 - tb^2) / d),
 * ny = tb sqrt((1 - ta^2) / d), nz = sqrt(max(0, 1 - nx^2 - ny^2)) with
 * d = 1 - (ta tb)^2; the illumination (nx light_x + ny light_y + nz light_z
 * - dark_reference) / (bright_reference - dark_reference), limited to 0..1
 * (undefined: 0), times 63.99 and truncated. All arithmetic is in float.
 *
 * Colour step k (0..4095): the bin's number counted from 0. With mapping mode
 * GRIDLIB_MAPPING_THROUGH_LEVELS (any other mode is linear) a value above the
 * first bin and below rhead[GRIDLIB_COLOUR_MAX] takes k = levels[k - 1] - 1
 * (C index; the level clamped to 1..4096): the first bin stays at 0 and a value
 * at or above rhead[GRIDLIB_COLOUR_MAX] at 4095. With invert_flag 2, k becomes
 * 4095 - k.
 *
 * pixel_depth 8: an 8-bit image whose palette is the first colour_count
 * (1..256) entries of colour_table (as in GRD2BMP); a shaded cell has
 * palette index (s * 15 / 64) * 15 + k * 15 / 4096 + 1 (1..225: 15
 * brightness rows of 15 value steps), any other cell index 0. Any other
 * depth: a 24-bit image without a palette, each shaded cell the colour
 * CLCRGB gives for fraction k / 4095, tint (s - 31.5) / 35, tint exponent 1
 * and scheme 5 (the tinted rainbow), each component times 255 truncated; any
 * other cell white. levels is needed only with mapping mode 2, colour_count
 * and colour_table only at depth 8; the descriptor is only read. */
GRIDLIB_API void GRDSUN2BMP(const char *working_name, const int32_t *working_name_length,
                            const char *gradient_name, const int32_t *gradient_name_length,
                            const char *image_name, const int32_t *image_name_length, const int32_t *ihead,
                            const float *rhead, const int32_t *pixel_depth, const int32_t *invert_flag,
                            const int32_t *mapping_mode, const int32_t *levels, const int32_t *colour_count,
                            const int32_t *colour_table, const float *light_x, const float *light_y,
                            const float *light_z, const float *dark_reference, const float *bright_reference,
                            const float *slope_table, int32_t *status) GRIDLIB_NOEXCEPT;

/* Writes the gradient file of a working grid for GRDSUN2BMP (the layout is
 * given there) and fills the 64-entry slope table that goes with it, so that
 * the normal GRDSUN2BMP makes of a cell's two codes is the grid's surface
 * normal at that cell.
 *
 * The slope of a cell along x (west to east) and along y (south to north) is
 * the central difference of its two neighbours over twice the cell spacing,
 * rhead[GRIDLIB_COLUMN_SPACING] or rhead[GRIDLIB_ROW_SPACING]; where one
 * neighbour is null or beyond the grid's edge, the difference between the cell
 * and the other neighbour over one spacing; either times `exaggeration` (1 for
 * the true relief; values and spacings are taken to be in one unit). The fall
 * towards the east (minus the slope along x) gives the first code, the fall
 * towards the north the second: the step i (1..63) whose angle lies nearest,
 * code 4 i + 2, whose slope_table[i] is the sine of that angle, the normal's
 * component along that axis. Step 32 is level ground (entry 0) and step 32 + k
 * falls at 88 degrees x (|k| / 31)^1.5: finer on gentle slopes, about 0.5
 * degrees for k = 1. Entry 0 repeats entry 1. A null cell, a cell with no
 * neighbour holding data along x or along y, and a cell whose differences are
 * not finite get the codes 0: no shading data.
 *
 * The rows are read in blocks, a few blocks per thread at a time. The working
 * grid's own storage order word decides which stored row is the northern one.
 * The descriptor is only read. Status: GRIDLIB_OK; GRIDLIB_REFUSED (nothing is
 * written) for a missing argument, a byte-image format in
 * ihead[GRIDLIB_FORMAT], no positive size, a cell spacing that is not
 * positive, an exaggeration that is not finite, or a gradient file that is the
 * working grid; GRIDLIB_GRADIENT_GRID_UNREADABLE (nothing is written) when the
 * working grid cannot be read or is shorter than the grid;
 * GRIDLIB_GRADIENT_WRITE_FAILED when the gradient file cannot be written, or
 * its name exists and is not a regular file (refused at once); GRIDLIB_NO_ROOM
 * (nothing is written) when its file system has no room for it. */
GRIDLIB_API void GRDGRAD(const char *working_name, const int32_t *working_name_length,
                         const char *gradient_name, const int32_t *gradient_name_length, const int32_t *ihead,
                         const float *rhead, const float *exaggeration, float *slope_table,
                         int32_t *status) GRIDLIB_NOEXCEPT;

/* Sets result to 1 when the header of the grid says that its coordinates are
 * longitude and latitude in degrees, and to 0 otherwise (also for a missing
 * argument, an unreadable header, and every format whose header cannot say
 * so). ihead and rhead hold the grid's header as GRDRDH left it from
 * grid_name; the header is read again, since no descriptor word tells it.
 * Geographic are: ER Mapper headers whose CoordinateType is LL or LATLONG;
 * netCDF grids whose x axis has the units degrees_east and y axis
 * degrees_north (or another spelling CF allows: degree_east, degrees_E,
 * degreeE, ...); GeoTIFF files whose GTModelTypeGeoKey is
 * ModelTypeGeographic. */
GRIDLIB_API void gridlib_grid_is_geographic(const char *grid_name, const int32_t *grid_name_length,
                                           const int32_t *ihead, const float *rhead,
                                           int32_t *result) GRIDLIB_NOEXCEPT;

/* The cell spacing in metres of a grid whose coordinates are degrees (see
 * gridlib_grid_is_geographic), for GRDGRAD's slopes: a degree counts as
 * 111120 m along y, and along x that times the cosine of latitude, the
 * middle of rhead[GRIDLIB_SOUTH_Y] and rhead[GRIDLIB_NORTH_Y], one figure for
 * the whole grid. A caller shades with a copy of the working grid's
 * descriptor whose rhead[GRIDLIB_COLUMN_SPACING] and
 * rhead[GRIDLIB_ROW_SPACING] hold column_metres and row_metres; latitude
 * receives the middle latitude. The descriptor is only read. Status:
 * GRIDLIB_OK, or GRIDLIB_REFUSED (nothing set) for a missing argument, a
 * spacing that is not positive, or southern and northern coordinates that
 * are not latitudes (-90..90). */
GRIDLIB_API void gridlib_ground_spacing(const int32_t *ihead, const float *rhead, float *column_metres,
                                       float *row_metres, float *latitude, int32_t *status) GRIDLIB_NOEXCEPT;

/* Draws the working grid as a 24-bit image without a palette, its colours from
 * the caller's user colour table (GRIDLIB_LEVELS x 3 float, the red column
 * first). A valid value takes the level (1..4096) of its bin exactly as in
 * GRD2BMP: mapping mode GRIDLIB_MAPPING_LINEAR, or
 * GRIDLIB_MAPPING_THROUGH_LEVELS (the level table is needed only then),
 * negative = inverted (level 4097 - level). Its colour:
 * - user_colour_count > 0: CLCRGB with fraction (level - 1) / 4095, tint 0,
 *   tint exponent 1, scheme 2 and these user colours, which interpolates the
 *   first user_colour_count rows (components 0..1; at most GRIDLIB_LEVELS
 *   rows are read); each component times 255 truncated;
 * - user_colour_count <= 0: row `level` of the table (components 0..255),
 *   each truncated to a whole number of which the low byte is used (255.9
 *   gives 255).
 * Null cells are white. colour_count and reserved are accepted and not read;
 * the descriptor is only read. */
GRIDLIB_API void GRD2BMPCOLTAB(const char *working_name, const int32_t *working_name_length,
                               const char *image_name, const int32_t *image_name_length, const int32_t *ihead,
                               const float *rhead, const int32_t *mapping_mode, const int32_t *levels,
                               const int32_t *colour_count, const int32_t *reserved,
                               const int32_t *user_colour_count, const float *user_colour_table,
                               int32_t *status) GRIDLIB_NOEXCEPT;

/* Palettes. A named palette is a colour table for GRD2BMP, GRD2PNG and
 * GRDSUN2BMP; a palette file colours the grid by value in true colour.
 *
 * gridlib_named_palette fills colour_table (laid out as for COLORMAP) with
 * entry 1 white, entry 2 black, then the palette's 236 colours from the
 * lowest values up, and sets colour_count to 238. The names (any case):
 *   rainbow    COLORMAP's scheme 2: blue, cyan, green, yellow, red
 *   grey       COLORMAP's scheme 1: dark to light
 *   viridis    perceptually uniform: dark blue, green, yellow
 *   cividis    perceptually uniform and alike to colour-blind eyes: dark
 *              blue, grey, yellow
 *   magma      perceptually uniform: black, purple, orange, pale yellow
 *   turbo      a smooth rainbow: dark blue, cyan, green, yellow, red, dark red
 *   terrain    hypsometric: greens, pale yellow, browns, white
 *   diverging  blue, white in the middle, red: for anomalies about zero
 * Status: GRIDLIB_OK, or GRIDLIB_REFUSED for no palette of that name
 * (nothing is written). */
GRIDLIB_API void gridlib_named_palette(const char *name, const int32_t *name_length, int32_t *colour_count,
                                       int32_t *colour_table, int32_t *status) GRIDLIB_NOEXCEPT;

/* A palette file (a regular file; anything else is GRIDLIB_PALETTE_UNREADABLE):
 * a GMT colour palette table when its name ends in ".cpt" (any case),
 * otherwise a GDAL colour-relief text file.
 * - GDAL: lines of a value and red, green, blue (0..255) and an optional
 *   alpha, separated by blanks, tabs, commas or colons; the value "nv" gives
 *   the colour of null cells, and a value ending in "%" is a percentage of
 *   the grid's data range.
 * - GMT: segment lines "z0 colour z1 colour" (an annotation flag L, U or B
 *   and a ";label" may follow), where a colour is "r/g/b", "r g b", a grey
 *   level or "-" (not painted: transparent); lines "B colour", "F colour" and
 *   "N colour" give the colours below the first and above the last value and
 *   of null cells. A segment of one colour is a discrete step.
 * In both, blank lines and lines starting with "#" are skipped; a GMT
 * "COLOR_MODEL" other than RGB is refused. The stops (a value and a colour
 * each; two per GMT segment) are returned in the file's order:
 * stop_values[i], stop_kinds[i] (0 a value, 1 a percentage) and
 * stop_colours[4 i .. 4 i + 3] (red, green, blue, alpha), for i below
 * *stop_count. extra_colours (12 int32) receives the red, green, blue and
 * alpha of the null colour, then of the colour below, then above; an alpha
 * of -1 says the file gives none. *line receives the line at fault (from 1;
 * 0 for none). The file is read a line at a time, and the read ends at the
 * line at fault, so that a hostile file costs neither memory nor time: a
 * line holds at most 4096 bytes (its line end aside), a file 65536 stops.
 * Status: GRIDLIB_OK; GRIDLIB_REFUSED for a missing argument;
 * GRIDLIB_PALETTE_TOO_MANY when the file holds more than *capacity stops
 * (*stop_count tells how many: call again with room for them); or one of: */
enum gridlib_palette_status {
    GRIDLIB_PALETTE_UNREADABLE = -3101,   /* the file cannot be opened or read */
    GRIDLIB_PALETTE_FIELDS = -3102,       /* a line with too few or too many fields */
    GRIDLIB_PALETTE_VALUE = -3103,        /* a value that is not a finite number */
    GRIDLIB_PALETTE_COLOUR = -3104,       /* a colour component that is not a number 0..255 */
    GRIDLIB_PALETTE_COLOUR_MODEL = -3105, /* a GMT table in a colour model other than RGB */
    GRIDLIB_PALETTE_NO_STOPS = -3106,     /* no value with a colour */
    GRIDLIB_PALETTE_TOO_MANY = -3107,
    GRIDLIB_PALETTE_LONG_LINE = -3108,    /* a line longer than 4096 bytes */
    GRIDLIB_PALETTE_MANY_STOPS = -3109    /* a line that brings the stops beyond 65536 */
};
GRIDLIB_API void gridlib_read_palette_file(const char *name, const int32_t *name_length, const int32_t *capacity,
                                           int32_t *stop_count, double *stop_values, int32_t *stop_kinds,
                                           int32_t *stop_colours, int32_t *extra_colours, int32_t *line,
                                           int32_t *status) GRIDLIB_NOEXCEPT;

/* Draws the working grid as a true-colour image (as GRD2BMPCOLTAB: a 24-bit
 * BMP, or by its name a red, green, blue and alpha PNG or GeoTIFF), each
 * valid value coloured through the stops of gridlib_read_palette_file as
 * gdaldem color-relief colours it: percentages taken of
 * rhead[GRIDLIB_DATA_MIN]..rhead[GRIDLIB_DATA_MAX], stops sorted by value
 * (equal values keep their order), a value below the first stop the colour
 * below (or else the first stop's), above the last the colour above (or the
 * last's), at a stop its colour (the first of equal ones), between two
 * stops each channel interpolated linearly, 0.45 added and truncated. Null
 * cells take the null colour, or else white, transparent in a PNG or TIFF.
 * A PNG in which no colour has alpha holds red, green and blue only, null
 * cells without a null colour drawn in a colour no value is given (white
 * where it can be) that its tRNS chunk makes transparent: decoded, the
 * same colours and transparency. ihead[GRIDLIB_IMAGE_WIDTH] asks for a line width, approached
 * as GRD2BMP approaches it (<= 0: one pixel per cell); it is not changed.
 * Status: those of GRD2BMPCOLTAB; GRIDLIB_REFUSED also for no stops, a stop
 * value that is not finite, or a colour component outside 0..255. */
GRIDLIB_API void gridlib_draw_palette_image(const char *working_name, const int32_t *working_name_length,
                                            const char *image_name, const int32_t *image_name_length,
                                            const int32_t *ihead, const float *rhead, const int32_t *stop_count,
                                            const double *stop_values, const int32_t *stop_kinds,
                                            const int32_t *stop_colours, const int32_t *extra_colours,
                                            int32_t *status) GRIDLIB_NOEXCEPT;

/* The colours of the GRIDLIB_LEVELS equal bins between
 * rhead[GRIDLIB_COLOUR_MIN] and rhead[GRIDLIB_COLOUR_MAX], each the colour
 * of the stops (as gridlib_draw_palette_image gives it) at the bin's middle,
 * into step_colours (3 x GRIDLIB_LEVELS int32, the reds first): the step
 * colours of gridlib_draw_shaded_steps. Status: GRIDLIB_OK, or
 * GRIDLIB_REFUSED (nothing written) as gridlib_draw_palette_image refuses,
 * and for colour limits not ascending. */
GRIDLIB_API void gridlib_palette_steps(const int32_t *ihead, const float *rhead, const int32_t *stop_count,
                                       const double *stop_values, const int32_t *stop_kinds,
                                       const int32_t *stop_colours, const int32_t *extra_colours,
                                       int32_t *step_colours, int32_t *status) GRIDLIB_NOEXCEPT;

/* GRDSUN2BMP at a pixel depth of 24 with colours of the caller's: colour
 * step k (0..4095, as GRDSUN2BMP finds it) is row k of step_colours (3 x
 * GRIDLIB_LEVELS int32 0..255, the reds first), darkened towards black by
 * the factor 1 + t or lightened towards white by t, with
 * t = (s - 31.5) / 35 for brightness s, each component truncated. The other
 * arguments and the statuses are GRDSUN2BMP's. */
GRIDLIB_API void gridlib_draw_shaded_steps(const char *working_name, const int32_t *working_name_length,
                                           const char *gradient_name, const int32_t *gradient_name_length,
                                           const char *image_name, const int32_t *image_name_length,
                                           const int32_t *ihead, const float *rhead, const int32_t *invert_flag,
                                           const int32_t *mapping_mode, const int32_t *levels,
                                           const int32_t *step_colours, const float *light_x,
                                           const float *light_y, const float *light_z,
                                           const float *dark_reference, const float *bright_reference,
                                           const float *slope_table, int32_t *status) GRIDLIB_NOEXCEPT;

/* PNG images and world files. A PNG shows what the BMP of the same call
 * shows, with the cells that have nothing to draw transparent: maps can be
 * laid under it, and web pages and documents show it. */

/* Draws the working grid as an 8-bit palette PNG, whatever the image's name:
 * the arguments, the palette of colour_count entries, the palette indices
 * and the statuses of GRD2BMP (GRIDLIB_IMAGE_TOO_LARGE: a side beyond the
 * format's 2^31 - 1 pixels, or an enlargement so great that the compressed
 * block of a line repeated that often would need more than the memory the
 * process may use; refused before the file is begun). The lines are stored top line
 * first, and palette entry 0, the colour of null cells, is fully transparent.
 * GRDSUN2BMP and GRD2BMPCOLTAB write a PNG too when their image name ends
 * in ".png" (any case): true colour with an alpha channel in which null
 * cells and cells without shading data are transparent white, or at pixel
 * depth 8 a palette image with entry 0 transparent whose palette holds at
 * least the 226 entries of colour_table its indices reach. */
GRIDLIB_API void GRD2PNG(const char *working_name, const int32_t *working_name_length,
                         const char *image_name, const int32_t *image_name_length, int32_t *ihead,
                         const float *rhead, const int32_t *mapping_mode, const int32_t *levels,
                         const int32_t *colour_count, const int32_t *colour_table,
                         int32_t *status) GRIDLIB_NOEXCEPT;

/* GeoTIFF images. GRD2BMP, GRDSUN2BMP and GRD2BMPCOLTAB write a GeoTIFF
 * when their image name ends in ".tif" or ".tiff" (any case): the pixels
 * of the PNG of the same call (an 8-bit palette image whose index 0, the
 * colour of null cells, is GDAL's no-data value, or red, green, blue and
 * alpha with the cells without data transparent), in Deflate-compressed
 * tiles of 256 x 256 pixels, a BigTIFF when it could outgrow 4 GiB. It is
 * placed on a map when gridlib_place_geotiff was called for it; otherwise
 * it holds no geo tags. */

/* Tells where the next GeoTIFF written under image_name on the calling
 * thread lies: the grid file grid_name, whose header GRDRDH read into
 * ihead and rhead (before GRDRDG changes them), in double precision where
 * its format gives it so. The image routine then writes the pixel scale and
 * the tie point (PixelIsArea) of the image it draws, by the rules of
 * gridlib_write_world_file, and, when the grid file is a GeoTIFF, its
 * GeoKeys (GeoKeyDirectory, GeoDoubleParams, GeoAsciiParams, with the raster
 * type made PixelIsArea): the grid's coordinate system. The placement
 * replaces any made before on the thread and is used up by the next image
 * written under that name; one drawn of a working grid of another size than
 * the header's is written without geo tags. Status: GRIDLIB_OK, or
 * GRIDLIB_REFUSED (any earlier placement dropped) for a missing argument, an
 * empty name, a format code without a format, a grid without cells, or a
 * cell size of zero or not finite. */
GRIDLIB_API void gridlib_place_geotiff(const char *image_name, const int32_t *image_name_length,
                                       const char *grid_name, const int32_t *grid_name_length,
                                       const int32_t *ihead, const float *rhead,
                                       int32_t *status) GRIDLIB_NOEXCEPT;

/* A world file beside an image places it on a map for GIS software: six
 * lines, the pixel width, two rotation terms (0), the negative pixel height,
 * and the map x and y of the centre of the upper-left pixel. */

/* The name of the world file of an image: the image's extension replaced by
 * ".pgw" when the image name ends in ".png" (any case), ".tfw" when it ends
 * in ".tif" or ".tiff", otherwise by ".bpw",
 * in upper case when the extension was; appended when the name has no
 * extension or has that one. Written NUL-terminated into world_name.
 * Status: GRIDLIB_OK, or GRIDLIB_REFUSED for an empty image name or a name
 * that does not fit the buffer. */
GRIDLIB_API void gridlib_world_file_name(const char *image_name, const int32_t *image_name_length,
                                         char *world_name, const int32_t *world_name_length,
                                         int32_t *status) GRIDLIB_NOEXCEPT;

/* Writes the world file (named as above) of the image that GRD2BMP or GRD2PNG
 * drew when asked for image_width pixels per line in
 * ihead[GRIDLIB_IMAGE_WIDTH] (<= 0: one pixel per column, as GRDSUN2BMP and
 * GRD2BMPCOLTAB draw). The descriptor describes the working grid, as GRDRDG
 * left it: its format code says which point of each cell the coordinates name
 * (the lower-left corner for ESRI ASCII and ER Mapper, the upper-left corner
 * for PCIDSK, the centre, a grid node, for the others), so that every pixel
 * centre of an image of one pixel per cell lands on its cell's centre; a
 * reduced image's pixels are centred on the cells they show, an enlarged
 * image's blocks of pixels cover their cells. When GRDRDG kept every n-th
 * column or row, the kept cells' centres are found with the spacings GRDRDH
 * read (rhead[GRIDLIB_INPUT_GEOMETRY + 4] and
 * rhead[GRIDLIB_INPUT_GEOMETRY + 5]). Written beside the image under a
 * temporary name and renamed when complete; nothing is left behind on
 * failure. Status: GRIDLIB_OK;
 * GRIDLIB_REFUSED (nothing is written) for a missing argument, an empty name,
 * a format code without a format, a grid without cells, a spacing of zero or
 * not finite; GRIDLIB_IMAGE_WRITE_FAILED. */
GRIDLIB_API void gridlib_write_world_file(const char *image_name, const int32_t *image_name_length,
                                          const int32_t *ihead, const float *rhead, const int32_t *image_width,
                                          int32_t *status) GRIDLIB_NOEXCEPT;

/* The six numbers of GDAL's affine geotransform of the grid file grid_name
 * (the name GRDRDH read), into geotransform[0..5]: the x of the grid's west
 * edge, the column width, 0, the y of its north edge, 0, and minus the row
 * height. ihead and rhead hold the header as GRDRDH left it; its format code
 * says where the numbers come from. Formats that write them as text or as
 * 64-bit reals (ESRI ASCII, GXF, ER Mapper, $$GRID$$, Surfer 6 and 7), and
 * $$BGD, whose stated edges the descriptor holds moved half a cell, give them
 * from the header itself, to the last digit written: the descriptor holds
 * 32-bit reals, about a metre apart at projected coordinates of 1e7. The others
 * give them from the descriptor, whose coordinates name the point of a cell
 * that gridlib_write_world_file explains. A rotation stated in the header is
 * ignored, as by the readers. Status: GRIDLIB_OK; GRIDLIB_REFUSED
 * (geotransform untouched) for a missing argument, an empty name, a format
 * code without a format, a grid without cells, or a cell size of zero or a
 * number not finite. */
GRIDLIB_API void gridlib_read_geotransform(const char *grid_name, const int32_t *grid_name_length,
                                           const int32_t *ihead, const float *rhead, double *geotransform,
                                           int32_t *status) GRIDLIB_NOEXCEPT;

/* Writes the world file of the image that GRD2BMP or GRD2PNG draw of the
 * WHOLE grid file grid_name when asked for image_width pixels per line (<= 0:
 * one pixel per column), placed as gridlib_read_geotransform places the grid
 * (ihead and rhead as GRDRDH left them, or as GRDRDG left them after reading
 * the whole grid with steps of 1), and otherwise as gridlib_write_world_file
 * writes it. Use it for images of whole grids: its numbers keep every digit
 * the header has. Status: GRIDLIB_OK; GRIDLIB_REFUSED (nothing is written)
 * for a missing argument, an empty name, or a grid that cannot be placed (see
 * gridlib_read_geotransform); GRIDLIB_IMAGE_WRITE_FAILED. */
GRIDLIB_API void gridlib_write_grid_world_file(const char *image_name, const int32_t *image_name_length,
                                               const char *grid_name, const int32_t *grid_name_length,
                                               const int32_t *ihead, const float *rhead,
                                               const int32_t *image_width, int32_t *status) GRIDLIB_NOEXCEPT;

/* Writes a histogram file: the colour limits and level table an image was
 * drawn with, so that other grids drawn through it (GRD2BMP and the other
 * writers, mapping mode GRIDLIB_MAPPING_THROUGH_LEVELS, rhead's colour limits
 * set to the file's) get the same colour for the same value. Its 16394
 * bytes: 2 bytes that readers pass over (written as 0), the lower and the
 * upper limit as little-endian IEEE 32-bit reals, then levels[0..4095] as
 * little-endian 32-bit integers. A linear mapping keeps as the levels 1,
 * 2, .., 4096. The file is written as the images are: under a temporary name,
 * renamed into place when complete, or with the open output group (see
 * below). Status: GRIDLIB_OK; GRIDLIB_REFUSED for a missing argument or an
 * empty name; GRIDLIB_IMAGE_WRITE_FAILED when it cannot be written (or its
 * name exists and is not a regular file). */
GRIDLIB_API void gridlib_write_histogram_file(const char *name, const int32_t *name_length, const float *lower,
                                             const float *upper, const int32_t *levels,
                                             int32_t *status) GRIDLIB_NOEXCEPT;

/* How a colour bar lays data values along its length. */
enum gridlib_bar_axis {
    GRIDLIB_BAR_STEPS = 0,  /* every colour step equally long: the levels of an equalised image */
    GRIDLIB_BAR_LINEAR = 1, /* values at their places on a linear axis */
    GRIDLIB_BAR_LOG = 2     /* values at their places on a logarithmic axis (limits above 0) */
};

/* Writes the colour bar of the palette image that GRD2BMP, GRD2PNG and
 * GRDSUN2BMP's 8-bit image draw of the working grid with the same ihead,
 * rhead, mapping_mode, levels, colour_count and colour_table: an SVG when
 * bar_name ends in ".svg", a PNG when in ".png" (any case). The bar stands
 * upright, low values at the bottom, and shows exactly the image's colours
 * in order, one step for each run of bins that share a palette entry,
 * between rhead[GRIDLIB_COLOUR_MIN] and rhead[GRIDLIB_COLOUR_MAX], laid
 * along it as axis (a gridlib_bar_axis) says. Ticks to its right are
 * labelled, never overlapping: on GRIDLIB_BAR_STEPS the values where chosen
 * steps begin and the upper limit, with the significant digits that tell
 * them apart (three of the limits' span at least, seven at most); on the
 * linear axis round numbers 1, 2 or 5 times a power of ten apart; on the log
 * axis powers of ten (with their doubles and fives where there is room).
 * title, such as the grid's file name, goes above the bar. When the working
 * grid (working_name, read a row at a time up to its first null cell) holds
 * null cells, a swatch of colour table entry 0 labelled "no data" goes below
 * it. An SVG's labels are text elements of class "label" whose data-value
 * is the value of their tick; its texts are drawn by the browser. A PNG's
 * are drawn by FreeType in DejaVu Sans, from
 * /usr/share/fonts/truetype/dejavu (Debian's fonts-dejavu-core). The file is
 * written as the images are: under a temporary name beside it, renamed into
 * place when complete (or with the output group, below), nothing left on
 * failure. Status: GRIDLIB_OK; GRIDLIB_REFUSED (nothing is written) for a
 * missing argument, a name of neither kind, limits not ascending (or not
 * above 0 on a log axis), a colour count outside 1..GRIDLIB_COLOURS or an
 * axis not in gridlib_bar_axis; GRIDLIB_IMAGE_GRID_UNREADABLE when the
 * working grid cannot be read; GRIDLIB_FONT_MISSING; GRIDLIB_IMAGE_WRITE_FAILED. */
GRIDLIB_API void gridlib_write_colour_bar(const char *bar_name, const int32_t *bar_name_length, const char *title,
                                          const int32_t *title_length, const char *working_name,
                                          const int32_t *working_name_length, const int32_t *ihead,
                                          const float *rhead, const int32_t *axis, const int32_t *mapping_mode,
                                          const int32_t *levels, const int32_t *colour_count,
                                          const int32_t *colour_table, int32_t *status) GRIDLIB_NOEXCEPT;

/* Writes the colour bar of the true-colour image gridlib_draw_palette_image
 * draws of the working grid with the same ihead, rhead and stops (as
 * gridlib_read_palette_file returns them), as gridlib_write_colour_bar
 * writes its bars (the same kinds, layout, title, "no data" swatch and SVG
 * classes): the bar spans rhead[GRIDLIB_DATA_MIN]..rhead[GRIDLIB_DATA_MAX]
 * on a linear axis (a grid of one value: up to the next 32-bit real), each
 * of its pixels the image's colour at the value of the pixel's middle, so
 * that a ramp between stops shows as a ramp, two stops of one colour (a GMT
 * table's discrete segment) as a flat step, and values beyond the stops in
 * the colours below and above them. Ticks are labelled at the stops' values
 * (percentages resolved against the data range) within the range, in the
 * fewest significant digits that keep the value (seven at most); labels
 * that would overlap are left out, the lowest and the highest kept. A range
 * that holds no stop is labelled at its limits. The swatch takes the null
 * colour, or else white. Status: GRIDLIB_OK; GRIDLIB_REFUSED (nothing is
 * written) for a missing argument, a name of neither kind, a data range not
 * ascending, or stops gridlib_draw_palette_image refuses;
 * GRIDLIB_IMAGE_GRID_UNREADABLE; GRIDLIB_FONT_MISSING;
 * GRIDLIB_IMAGE_WRITE_FAILED. */
GRIDLIB_API void gridlib_write_palette_file_bar(const char *bar_name, const int32_t *bar_name_length,
                                                const char *title, const int32_t *title_length,
                                                const char *working_name, const int32_t *working_name_length,
                                                const int32_t *ihead, const float *rhead, const int32_t *stop_count,
                                                const double *stop_values, const int32_t *stop_kinds,
                                                const int32_t *stop_colours, const int32_t *extra_colours,
                                                int32_t *status) GRIDLIB_NOEXCEPT;

/* Whether a folder may receive a tile pyramid (gridlib_write_tile_pyramid
 * replaces only what it wrote itself). A pyramid's folder holds the file
 * .rastrify-pyramid, which lists what the pyramid wrote: its viewer's files
 * by name, and its tiles and value tiles by their counts. A folder that holds
 * anything else (a file, a folder, a symbolic link) is not replaced. A list
 * file written before the list existed (or one that does not read as a list)
 * stands for every name of the pyramid's layout: the viewer's files,
 * tiles/Z/X/Y.png and values/X/Y.f32, nothing else. */
enum gridlib_tile_folder {
    GRIDLIB_TILE_FOLDER_USABLE = 0,       /* absent, empty, or an earlier pyramid holding only what it lists */
    GRIDLIB_TILE_FOLDER_NOT_OURS = 1,     /* a folder holding something that no pyramid wrote, or a pyramid
                                             that holds something besides what it lists */
    GRIDLIB_TILE_FOLDER_NOT_A_FOLDER = 2, /* a file, a symbolic link or anything else */
    GRIDLIB_TILE_FOLDER_BAD_NAME = 3,     /* empty, or ending in "." or ".." */
    GRIDLIB_TILE_FOLDER_UNCHANGEABLE = 4  /* an earlier pyramid holding a folder whose files the calling
                                             process may not remove (its mode), so that it could not be
                                             replaced whole */
};
GRIDLIB_API void gridlib_tile_folder_state(const char *folder_name, const int32_t *folder_name_length,
                                           int32_t *state) GRIDLIB_NOEXCEPT;
/* The same, and for GRIDLIB_TILE_FOLDER_NOT_OURS the first thing found in
 * the folder that no pyramid wrote (for GRIDLIB_TILE_FOLDER_UNCHANGEABLE the
 * first such folder, "." for the folder itself), its path within the folder
 * (parts joined by '/'), into foreign_name, NUL-terminated and cut to
 * foreign_name_length - 1 bytes (an empty text for the other states).
 * foreign_name may be NULL. */
GRIDLIB_API void gridlib_tile_folder_check(const char *folder_name, const int32_t *folder_name_length,
                                           int32_t *state, char *foreign_name,
                                           const int32_t *foreign_name_length) GRIDLIB_NOEXCEPT;

/* Writes a tile pyramid of the working grid, with a viewer for a web
 * browser, into the folder folder_name: the colours of the palette image
 * that GRD2PNG draws with the same ihead, rhead, mapping_mode, levels,
 * colour_count and colour_table, in 256 x 256 8-bit palette PNG tiles with
 * the same palette indices and palette (entry 0 transparent),
 * tiles/{z}/{x}/{y}.png. Level z = 0 is one tile holding the
 * whole grid; the finest level has one pixel per cell; x counts tiles from
 * the west, y from the north, tile (0, 0) of each level holding the grid's
 * north-west corner. Each coarser level is made from the one below it: a
 * cell is the mean of the valid values of a 2 x 2 block (at an odd east or
 * south edge, of the cells there are), null only where all are null, and
 * coloured through the same levels. Null cells and pixels beyond the grid
 * are transparent. Beside the tiles: values/{x}/{y}.f32, the finest
 * level's values as 256 x 256 little-endian 32-bit reals, rows from the
 * north, NaN for null and beyond the grid; pyramid.json, the grid's size,
 * the number of levels, the data range and geotransform (six numbers as
 * gridlib_read_geotransform gives them, or NULL: the viewer then counts
 * cells); colour_bar.svg, as gridlib_write_colour_bar draws it with title
 * and axis; and index.html with its scripts, which show the pyramid in a
 * browser with no request to any other host (the value read-out fetches the
 * value tiles, so the folder is to be served over HTTP). The grid is read
 * once, with memory for one row of tiles per level. Everything is written
 * into a new folder beside folder_name, removed on failure or on an ending
 * signal (see gridlib_remove_temporary_files_on_signals), and put in place
 * when complete; while an output group is open on the calling thread (see
 * below), at the group's commit instead, after its files. An earlier pyramid
 * there is replaced, anything else refused (see gridlib_tile_folder_state).
 * The replacement exchanges the two folders' names in one step (renameat2
 * with RENAME_EXCHANGE), so that folder_name always names a whole pyramid,
 * then removes the old one. On a file system that cannot exchange names
 * (NFS, FAT, some FUSE ones) it takes two renames: the old pyramid first
 * goes aside as "~rastrify-pyramid-old-" followed by a key of the folder's
 * name, the process id and 8 letters or digits, and a process killed between
 * the two (SIGKILL, which no handler sees) leaves folder_name absent; the
 * next call for that folder_name puts the old pyramid back (or removes it
 * when the new one took its place) before anything else. Placements into one
 * folder hold an exclusive lock (flock) on the folder that holds
 * folder_name, so that calls of two processes or threads for the same
 * folder_name take turns: the later one replaces the earlier one's pyramid.
 * Where the file system takes no lock, they go on without. Status: GRIDLIB_OK;
 * GRIDLIB_REFUSED (nothing made) for a missing argument, a byte image,
 * limits not finite and ascending (or not above 0 on a log axis), a colour
 * count outside 1..GRIDLIB_COLOURS, an axis not in gridlib_bar_axis, or a
 * folder that is not usable;
 * GRIDLIB_IMAGE_GRID_UNREADABLE; GRIDLIB_IMAGE_WRITE_FAILED. */
GRIDLIB_API void gridlib_write_tile_pyramid(const char *working_name, const int32_t *working_name_length,
                                            const int32_t *ihead, const float *rhead, const int32_t *mapping_mode,
                                            const int32_t *levels, const int32_t *colour_count,
                                            const int32_t *colour_table, const char *title,
                                            const int32_t *title_length, const int32_t *axis,
                                            const double *geotransform, const char *folder_name,
                                            const int32_t *folder_name_length, int32_t *status) GRIDLIB_NOEXCEPT;

/* Outputs that appear together or not at all, such as an image and its world
 * file. After gridlib_begin_outputs, every image and world file that the
 * routines above finish on the calling thread stays under its temporary name
 * beside its target (and is reported as written) until
 * gridlib_commit_outputs renames them all into place, with the ending
 * signals held back meanwhile; tile pyramids are put in place last. If one rename fails, the ones already done
 * are undone, so that each target is again the file it was (or absent), and
 * nothing of the group is left. gridlib_discard_outputs removes the
 * finished outputs instead; so does the end of the thread. Each thread has
 * its own group. Status: GRIDLIB_OK; GRIDLIB_REFUSED when a group is open
 * already (begin) or none is (commit); GRIDLIB_IMAGE_WRITE_FAILED when a
 * rename failed. */
GRIDLIB_API void gridlib_begin_outputs(int32_t *status) GRIDLIB_NOEXCEPT;
GRIDLIB_API void gridlib_commit_outputs(int32_t *status) GRIDLIB_NOEXCEPT;
GRIDLIB_API void gridlib_discard_outputs(void) GRIDLIB_NOEXCEPT;

/* Temporary files that must not outlive the process. The library writes its
 * images under temporary names too ("~gridlib-" + the unique part below +
 * ".part", or ".columns" for the scratch file of a GXF grid stored by
 * columns); all of them are kept in one table, which a signal ending the
 * process empties once gridlib_remove_temporary_files_on_signals has been
 * called. A file is removed through a handle on the folder it was made in,
 * so that it goes even when the folder was renamed or moved meanwhile; and
 * only by the process that made it: a child made by fork() that a signal
 * ends leaves its parent's files alone. A process killed by SIGKILL, or by
 * a power cut, leaves its files: the process id in their names tells the
 * ones whose process no longer runs. */

/* Creates a new, empty file named directory + prefix + a unique part +
 * suffix (an empty directory text: the current directory), never opening an
 * existing file or link, registers it, and returns its name in the name
 * buffer, NUL-terminated. The unique part is the process id in decimal, '-'
 * and 8 lower-case letters or digits. Status: GRIDLIB_OK, or GRIDLIB_REFUSED
 * when the file could not be created, its name does not fit the buffer, or
 * the suffix ends in a blank (a name ending in a blank could not be given
 * back as a blank-padded text). */
GRIDLIB_API void gridlib_create_temporary_file(const char *directory, const int32_t *directory_length,
                                               const char *prefix, const int32_t *prefix_length,
                                               const char *suffix, const int32_t *suffix_length, char *name,
                                               const int32_t *name_length, int32_t *status) GRIDLIB_NOEXCEPT;

/* Removes a file made by gridlib_create_temporary_file, by the name it
 * returned and through its folder, and withdraws it from the table; any
 * other name is removed as a path. */
GRIDLIB_API void gridlib_remove_temporary_file(const char *name, const int32_t *name_length) GRIDLIB_NOEXCEPT;

/* Installs handlers of SIGINT, SIGTERM, SIGHUP, SIGQUIT and SIGPIPE that
 * remove every registered file and then end the process by that signal, as
 * it would have ended without them; and ignores SIGXFSZ, so that a write
 * beyond a file-size limit fails (and is reported) instead of killing the
 * process. */
GRIDLIB_API void gridlib_remove_temporary_files_on_signals(void) GRIDLIB_NOEXCEPT;

/* After a routine returned GRIDLIB_NO_ROOM on the calling thread: the bytes
 * the file needed and the bytes its file system had available for it (an
 * existing file rewritten in place counts with the space it took). Both 0
 * before any such status. */
GRIDLIB_API void gridlib_room_shortage(int64_t *needed, int64_t *available) GRIDLIB_NOEXCEPT;

/* After an image routine returned GRIDLIB_IMAGE_TOO_LARGE on the calling
 * thread: the bytes one block of the image's lines needed (a TIFF's: a row
 * of tiles) and the memory the process may use (the machine's, or less
 * under a limit such as `ulimit -v`), when the block was what did not fit;
 * both 0 when the image's sides were beyond its format, and before any such
 * status. The image routines paint on as many threads as keep their blocks
 * within half of that memory. */
GRIDLIB_API void gridlib_memory_shortage(int64_t *needed, int64_t *available) GRIDLIB_NOEXCEPT;

/* Progress of the long routines, for a caller that wants to show it: GRDRDG
 * reports its rows as phase GRIDLIB_PHASE_READING, GRDHST as
 * GRIDLIB_PHASE_COUNTING, GRDGRAD as GRIDLIB_PHASE_SLOPES, GRD2BMP, GRD2PNG,
 * GRDSUN2BMP and GRD2BMPCOLTAB as GRIDLIB_PHASE_DRAWING, each with the rows
 * done and the rows in all: at the start, at every whole percent and at the
 * end. The function is called on the routine's own thread and must return
 * quickly; NULL, the default, reports nothing. It is one for the process:
 * the routines a gridlib_convert call with a progress function of its own
 * runs report to that function instead. */
enum gridlib_phase {
    GRIDLIB_PHASE_READING = 1,
    GRIDLIB_PHASE_COUNTING = 2,
    GRIDLIB_PHASE_DRAWING = 3,
    GRIDLIB_PHASE_SLOPES = 4 /* GRDGRAD */
};
typedef void gridlib_progress_function(const int32_t *phase, const int32_t *done, const int32_t *total);
GRIDLIB_API void gridlib_set_progress(gridlib_progress_function *report) GRIDLIB_NOEXCEPT;

/* The words of a status, for a caller that tells its user what went wrong.
 * A status number may mean different things to different routines (and to
 * different formats), so the routine is named too. */
enum gridlib_routine {
    GRIDLIB_ROUTINE_GRDRDH = 1,
    GRIDLIB_ROUTINE_GRDRDG = 2,
    GRIDLIB_ROUTINE_GRDHST = 3,
    GRIDLIB_ROUTINE_IMAGE = 4,           /* GRD2BMP, GRD2PNG, GRDSUN2BMP, GRD2BMPCOLTAB */
    GRIDLIB_ROUTINE_GRDGRAD = 5,
    GRIDLIB_ROUTINE_WORLD_FILE = 6,      /* gridlib_write_world_file, gridlib_write_grid_world_file */
    GRIDLIB_ROUTINE_WORLD_FILE_NAME = 7, /* gridlib_world_file_name */
    GRIDLIB_ROUTINE_GRDVAL = 8,
    GRIDLIB_ROUTINE_ROWS = 9,            /* GRDRDL, GRDWRL, DRVRDL, BYTRDL */
    GRIDLIB_ROUTINE_TEMPORARY_FILE = 10, /* gridlib_create_temporary_file */
    GRIDLIB_ROUTINE_STATUS_TEXT = 11,    /* gridlib_status_text itself */
    GRIDLIB_ROUTINE_COLOUR_BAR = 12      /* gridlib_write_colour_bar, gridlib_write_palette_file_bar */
};
/* Bytes that hold the words of any status with their terminating NUL. */
#define GRIDLIB_STATUS_TEXT_SIZE 256

/* Writes the English words of a status that the routine returned into text,
 * NUL-terminated: a phrase in lower case without a full stop, such as "the
 * working grid file could not be written", for a sentence of the caller's own.
 * Every status a routine returns has words, GRIDLIB_OK included; for GRDRDG
 * that includes every row failure GRIDLIB_ROW_FAILED - k ("row k could not be
 * read (...)"). ihead may be NULL; for GRDRDH and GRDRDG it should be the
 * descriptor of the grid: as GRDRDH left it, and for GRDRDG as it was before
 * the call (GRDRDG rewrites it). Its format code then chooses the words of the
 * statuses a format gives in a sense of its own (a refused byte image, how a
 * format's rows fail), and its row count ihead[GRIDLIB_ROWS] tells whether
 * GRIDLIB_ROW_SEEK_FAILED can be row 2000's failure; without it the words
 * cover every format. The words of a refusal (GRIDLIB_REFUSED) name the causes
 * a caller cannot see from its own arguments. result: GRIDLIB_OK;
 * GRIDLIB_REFUSED (text empty where it has room) for a routine not in
 * gridlib_routine, a status that routine never returns, no text buffer, or
 * words longer than text_length - 1 bytes. */
GRIDLIB_API void gridlib_status_text(const int32_t *routine, const int32_t *status, const int32_t *ihead,
                                     char *text, const int32_t *text_length, int32_t *result) GRIDLIB_NOEXCEPT;

/* Reads the number written at the very start of text, by the grammar of
 * the numbers in grid headers: a sign, digits with at most one decimal point
 * (one digit at least), then an exponent of one digit at least after E, e,
 * D or d (Fortran's letter) and its sign. value is the 32-bit real nearest
 * to it, rounded once: beyond the range of 32-bit reals an infinity, below
 * it a zero, with the number's sign. used is the number of characters the
 * number takes: a caller that wants the whole text to be a number compares
 * it with the length. No number starts the text: used 0 and value 0. */
GRIDLIB_API void gridlib_read_real(const char *text, const int32_t *text_length, float *value,
                                   int32_t *used) GRIDLIB_NOEXCEPT;

/* Sets result to 1 when the open file descriptor is a terminal, else 0: a
 * caller shows progress only where someone watches. */
GRIDLIB_API void gridlib_is_terminal(const int32_t *descriptor, int32_t *result) GRIDLIB_NOEXCEPT;

/* Bytes that hold the library's version with its terminating NUL. */
#define GRIDLIB_VERSION_TEXT_SIZE 32

/* Writes the library's version, such as "0.1.0" (major, minor and patch
 * numbers: a new minor number only adds routines), into version,
 * NUL-terminated. Status: GRIDLIB_OK, or GRIDLIB_REFUSED (version empty
 * where it has room) for no buffer or one shorter than the version and its
 * NUL. */
GRIDLIB_API void gridlib_version(char *version, const int32_t *version_length, int32_t *status) GRIDLIB_NOEXCEPT;

/* The whole conversion in one call, as rastrify makes it: from a grid file
 * to an image (BMP, PNG or GeoTIFF, by the output name's extension), with
 * the converter's options. The caller fills a gridlib_convert_options after
 * gridlib_convert_defaults, which sets every field it has to what rastrify
 * does without options and size to the bytes it filled. The structure only
 * ever grows at its end: a caller compiled against an older header has a
 * smaller one, whose size reaches the library both ways (the defaults write
 * no byte past it, and the conversion reads none), so that the fields it
 * lacks keep their defaults and later options never break it. Texts in the
 * structure are given with their lengths; a length of 0 means none. */
enum gridlib_distribution {
    GRIDLIB_DISTRIBUTION_HIST = 0, /* histogram equalisation of the grid's values (the default) */
    GRIDLIB_DISTRIBUTION_LIN = 1,  /* colours spread linearly between the limits */
    GRIDLIB_DISTRIBUTION_LOG = 2   /* colours spread on a log axis; needs both limits, above 0 */
};

/* Progress of one call: the phase (a gridlib_phase), the rows done and the
 * rows in all, with the caller's own pointer, as gridlib_set_progress's
 * function gets them (each phase from 0 done to all, at every whole percent).
 * Called on the calling thread; while a call has one, gridlib_set_progress's
 * function hears nothing of that call. It must return quickly. */
typedef void gridlib_convert_progress_function(void *user, const int32_t *phase, const int32_t *done,
                                               const int32_t *total);
/* A line the conversion reports without failing (such as the colour limits
 * being ignored for a histogram file, or the metres a degree the slopes of a
 * grid in longitude and latitude take), with the caller's own pointer: the
 * whole console line as rastrify prints it, without its line end, and not
 * NUL-terminated. Called on the calling thread, in the order rastrify prints
 * them. Neither function may throw or call gridlib_convert. */
typedef void gridlib_convert_note_function(void *user, const char *text, const int32_t *text_length);

typedef struct gridlib_convert_options {
    int32_t size;         /* the bytes of the structure the caller has: gridlib_convert_defaults sets it */
    int32_t distribution; /* a gridlib_distribution */
    int32_t invert;       /* non-zero: the colours run the other way */
    int32_t width;        /* image width in pixels; <= 0: one pixel per column */
    float lower, upper;   /* colour limits; GRIDLIB_NULL_VALUE: not given. Given, they ascend (and for
                             the log distribution lie above 0); with a histogram file they are ignored */
    const char *histogram_file; /* levels and limits read from this histogram file (as
                                   gridlib_write_histogram_file writes it) instead of the distribution */
    int32_t histogram_file_length;
    int32_t shade;        /* non-zero: a shaded relief lit as below */
    float azimuth;        /* degrees clockwise from north (315) */
    float elevation;      /* degrees above the horizon (45) */
    float exaggeration;   /* multiplies the heights for the slopes (1) */
    int32_t world_file;   /* non-zero: a world file beside the image */
    const char *palette;  /* a palette's name (gridlib_named_palette; it wins over a file of that
                             name) or a palette file (gridlib_read_palette_file: colours by value,
                             so no kept scale); none: the rainbow */
    int32_t palette_length;
    const char *colour_bar; /* an .svg or .png colour bar to write (gridlib_write_colour_bar, or for a
                               palette file gridlib_write_palette_file_bar) */
    int32_t colour_bar_length;
    const char *keep_scale; /* the histogram file to write with the limits and levels used */
    int32_t keep_scale_length;
    gridlib_convert_progress_function *progress; /* NULL: none */
    gridlib_convert_note_function *note;         /* NULL: none */
    void *user;                                  /* handed to progress and note */
    /* The fields above are the structure's first layout; later ones follow. */
    int32_t tiles; /* non-zero: output names a folder that receives a tile pyramid and its viewer
                      (gridlib_write_tile_pyramid) instead of an image; no shading, width, world
                      file or palette file */
    /* NULL: none. Once the caller sets the flag it points to non-zero (from a
     * signal handler, another thread, or its progress or note function), the
     * call stops at its next progress report, or at the latest before its
     * outputs are renamed into place, with GRIDLIB_STOPPED: nothing is
     * written or replaced, and every temporary file is removed. A flag set
     * later is not seen: the outputs are in place. */
    const volatile int32_t *stop;
} gridlib_convert_options;

/* Fills the fields of options that lie wholly within its first *size bytes
 * with the defaults (a caller passes sizeof its structure), and sets
 * options->size to the bytes filled: *size, or less when *size ends inside
 * a field, or the size of the structure this library knows when *size is
 * larger. No byte at or beyond *size is written; a size below 4, the size
 * field's own, or a NULL argument writes nothing. */
GRIDLIB_API void gridlib_convert_defaults_sized(gridlib_convert_options *options,
                                                const int32_t *size) GRIDLIB_NOEXCEPT;

/* For programs built against a header without gridlib_convert_defaults_sized:
 * fills the fields of the first layout (those before tiles, which every such
 * caller's structure holds) and sets size to their bytes, so that the later
 * fields keep their defaults. Code compiled against this header reaches
 * gridlib_convert_defaults_sized through the macro below instead. */
GRIDLIB_API void gridlib_convert_defaults(gridlib_convert_options *options) GRIDLIB_NOEXCEPT;

/* Fills options with the defaults, size included, as its caller knows the
 * structure: gridlib_convert_defaults(&options). */
static inline void gridlib_convert_defaults_of_size(gridlib_convert_options *options,
                                                    int32_t size) GRIDLIB_NOEXCEPT {
    gridlib_convert_defaults_sized(options, &size);
}
#define gridlib_convert_defaults(options) gridlib_convert_defaults_of_size((options), (int32_t)sizeof *(options))

/* Converts the grid file input to the image output with options (NULL: the
 * defaults), as rastrify does: the image, and beside it the world file, the
 * colour bar and the histogram file asked for, all renamed into place
 * together once complete (the working grid and other temporary files are
 * made beside the image and removed on every ending). While the caller has
 * an output group open on the calling thread (gridlib_begin_outputs), the
 * outputs join it instead and appear at the caller's gridlib_commit_outputs;
 * a call that fails takes its own outputs back out of the group. On failure nothing is
 * written or replaced, and error_text receives, NUL-terminated and cut to
 * error_text_length - 1 bytes, the line rastrify prints for it (from its
 * first blank column on; 4096 bytes hold any line with names of up to 256
 * characters); on success it receives an empty text. status: GRIDLIB_OK,
 * GRIDLIB_STOPPED when the stop flag was set, or the status of the step
 * that failed (GRIDLIB_REFUSED for options, names or files that cannot be
 * used: a size in options too small to hold distribution or ending inside a
 * field, a distribution not named above, an empty input or output name, a
 * missing grid, a colour limit or (with shade) an azimuth, elevation or
 * exaggeration that is not a finite number (an infinity or a NaN: rastrify
 * refuses such a value as not a number), limits that cannot be used, a
 * light below the horizon or above the zenith, an exaggeration not above 0,
 * an output that would replace an input or another output, a histogram file
 * that cannot be read or written, a grid of nothing but null cells; the
 * gridlib_read_palette_file codes for a palette file; the codes of GRDRDH,
 * GRDRDG, GRDHST, GRDGRAD, the image writers and the world file otherwise).
 * Texts in the options are file names as everywhere here (they end at a
 * NUL, or else at their last non-blank character). Calls on different
 * threads may overlap (see the top of this file). */
GRIDLIB_API void gridlib_convert(const char *input, const int32_t *input_length, const char *output,
                                 const int32_t *output_length, const gridlib_convert_options *options,
                                 char *error_text, const int32_t *error_text_length, int32_t *status) GRIDLIB_NOEXCEPT;

#ifdef __cplusplus
}
#endif

#endif /* GRIDLIB_H */
