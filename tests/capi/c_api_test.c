/* The public interface from plain C: opening a grid through GRDRDH with the
 * converter's argument shapes, point values of a working grid, rows moved
 * through a descriptor from open(), a shaded relief, the portable double
 * decoder and the temporary files. Exits non-zero when any check fails. */
#include "gridlib.h"

#include <dirent.h>
#include <fcntl.h>
#include <math.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

static int failures = 0;

#define CHECK(condition)                                                      \
    do {                                                                      \
        if (!(condition)) {                                                   \
            fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            ++failures;                                                       \
        }                                                                     \
    } while (0)

/* A blank-padded fixed-length name, as a Fortran-style caller passes it. */
static void set_name(char *buffer, int32_t length, const char *name) {
    memset(buffer, ' ', (size_t)length);
    memcpy(buffer, name, strlen(name));
}

/* Writes a whole file; returns 0 on failure. */
static int write_bytes(const char *path, const void *bytes, size_t n) {
    FILE *f = fopen(path, "wb");
    CHECK(f != NULL);
    if (!f) return 0;
    const size_t put = fwrite(bytes, 1, n, f);
    return fclose(f) == 0 && put == n;
}

static int write_text(const char *path, const char *text) { return write_bytes(path, text, strlen(text)); }

static void test_open_esri_ascii_grid(void) {
    char path[64];
    snprintf(path, sizeof path, "c_api_grid_%ld.asc", (long)getpid());
    if (!write_text(path, "ncols 4\r\nnrows 3\r\nxllcorner 1000\r\nyllcorner 2000\r\ncellsize 25\r\n"
                          "NODATA_value -1\r\n1 2 3 4\r\n5 6 7 8\r\n9 10 11 -1\r\n"))
        return;

    char name[256];
    const int32_t name_length = 256;
    int32_t ihead[GRIDLIB_IHEAD_SIZE] = {0};
    float rhead[GRIDLIB_RHEAD_SIZE] = {0};
    static char chead[GRIDLIB_BAND_NAMES][512];
    const int32_t band_name_length = 512;
    int32_t status = 99;
    memset(chead, ' ', sizeof chead);
    ihead[12] = 640; /* the image width the converter leaves there */

    set_name(name, name_length, path);
    GRDRDH(name, &name_length, ihead, rhead, &chead[0][0], &band_name_length, &status);
    CHECK(status == 0);
    CHECK(ihead[0] == 9);   /* ESRI ASCII */
    CHECK(ihead[3] == 6);   /* header lines */
    CHECK(ihead[7] == 4 && ihead[8] == 3);
    CHECK(ihead[12] == 0);  /* window and image words cleared */
    CHECK(ihead[13] == 4 && ihead[14] == 3);
    CHECK(rhead[0] == 1000.0f && rhead[1] == 1075.0f);
    CHECK(rhead[2] == 2000.0f && rhead[3] == 2050.0f);
    CHECK(rhead[4] == 25.0f && rhead[5] == 25.0f);
    CHECK(rhead[6] == -1.0f);
    CHECK(rhead[8] == 1.0f);
    CHECK(rhead[16] == rhead[0] && rhead[21] == rhead[5]);
    CHECK(chead[0][0] == ' ' && chead[15][511] == ' '); /* no band names for this format */

    /* The name may also end at a NUL; band names may be left out. */
    memset(name, 0, sizeof name);
    memcpy(name, path, strlen(path));
    status = 99;
    GRDRDH(name, &name_length, ihead, rhead, NULL, NULL, &status);
    CHECK(status == 0);

    remove(path);
    set_name(name, name_length, path);
    GRDRDH(name, &name_length, ihead, rhead, &chead[0][0], &band_name_length, &status);
    CHECK(status == -1002);

    /* Without descriptor arrays the call is refused, not carried out. */
    status = 0;
    GRDRDH(name, &name_length, NULL, rhead, &chead[0][0], &band_name_length, &status);
    CHECK(status < 0);
}

/* A small ESRI ASCII grid on the plane 100 + 3 i + 7 j (column i from the
 * west, row j from the south, one cell null) is read into a working grid,
 * whose own header then describes it for GRDVAL. */
static void test_point_values_of_a_working_grid(void) {
    char asc[64], work[64];
    snprintf(asc, sizeof asc, "c_api_points_%ld.asc", (long)getpid());
    snprintf(work, sizeof work, "c_api_points_%ld.tmp", (long)getpid());
    if (!write_text(asc, "ncols 5\nnrows 4\nxllcorner 1000\nyllcorner 2000\ncellsize 10\nNODATA_value -9999\n"
                         "121 124 127 130 -9999\n114 117 120 123 126\n107 110 113 116 119\n100 103 106 109 112\n"))
        return;

    char name[256], working[256];
    const int32_t name_length = 256, step = 1;
    int32_t ihead[GRIDLIB_IHEAD_SIZE] = {0};
    float rhead[GRIDLIB_RHEAD_SIZE] = {0};
    int32_t status = 99;
    set_name(name, name_length, asc);
    set_name(working, name_length, work);
    GRDRDH(name, &name_length, ihead, rhead, NULL, NULL, &status);
    CHECK(status == GRIDLIB_OK);
    GRDRDG(name, &name_length, working, &name_length, ihead, rhead, &rhead[GRIDLIB_WEST_X], &rhead[GRIDLIB_EAST_X],
           &step, &rhead[GRIDLIB_SOUTH_Y], &rhead[GRIDLIB_NORTH_Y], &step, &status);
    CHECK(status == GRIDLIB_OK);
    GRDRDH(working, &name_length, ihead, rhead, NULL, NULL, &status);
    CHECK(status == GRIDLIB_OK && ihead[GRIDLIB_STORAGE_ORDER] == -2);

    /* The first node lies at the lower-left corner given. */
    const float x[4] = {1013, 1038, 995, 994.5f};
    const float y[4] = {2026, 2029, 2000, 2000};
    const float plane[2] = {100 + 3 * 1.3f + 7 * 2.6f, 100 + 3 * 3.8f + 7 * 2.9f};
    float values[4];
    int32_t n = 4;
    GRDVAL(working, &name_length, ihead, rhead, &n, x, y, values, &status);
    CHECK(status == GRIDLIB_OK);
    CHECK(fabsf(values[0] - plane[0]) < 1e-3f);
    CHECK(fabsf(values[1] - plane[1]) < 1e-3f); /* beside the null cell */
    CHECK(fabsf(values[2] - 98.5f) < 1e-3f);    /* half a cell west of the first column */
    CHECK(values[3] == GRIDLIB_NULL_VALUE);     /* further out */

    n = -1;
    values[0] = 5;
    GRDVAL(working, &name_length, ihead, rhead, &n, x, y, values, &status);
    CHECK(status == GRIDLIB_REFUSED && values[0] == 5);

    remove(work);
    n = 2;
    GRDVAL(working, &name_length, ihead, rhead, &n, x, y, values, &status);
    CHECK(status == GRIDLIB_REFUSED);
    CHECK(values[0] == GRIDLIB_NULL_VALUE && values[1] == GRIDLIB_NULL_VALUE);
    remove(asc);
}

/* A shaded relief from C: GRDGRAD writes the slope codes of a working grid
 * made by GRDRDG, and GRDSUN2BMP draws it at the width IHEAD(13) asks for. */
static void test_shaded_relief(void) {
    char grid[64], work[64], gradient[64], image[64];
    snprintf(grid, sizeof grid, "c_api_relief_%ld.asc", (long)getpid());
    snprintf(work, sizeof work, "c_api_relief_%ld.tmp", (long)getpid());
    snprintf(gradient, sizeof gradient, "c_api_relief_%ld.slopes", (long)getpid());
    snprintf(image, sizeof image, "c_api_relief_%ld.bmp", (long)getpid());
    if (!write_text(grid, "ncols 3\nnrows 3\nxllcorner 0\nyllcorner 0\ncellsize 10\nNODATA_value -1\n"
                          "3 4 5\n2 3 4\n1 2 -1\n"))
        return;

    const int32_t grid_length = (int32_t)strlen(grid), work_length = (int32_t)strlen(work),
                  gradient_length = (int32_t)strlen(gradient), image_length = (int32_t)strlen(image), one = 1;
    int32_t ihead[GRIDLIB_IHEAD_SIZE] = {0};
    float rhead[GRIDLIB_RHEAD_SIZE] = {0};
    int32_t status = 99;
    GRDRDH(grid, &grid_length, ihead, rhead, NULL, NULL, &status);
    GRDRDG(grid, &grid_length, work, &work_length, ihead, rhead, &rhead[GRIDLIB_WEST_X], &rhead[GRIDLIB_EAST_X], &one,
           &rhead[GRIDLIB_SOUTH_Y], &rhead[GRIDLIB_NORTH_Y], &one, &status);
    CHECK(status == GRIDLIB_OK);

    const float exaggeration = 1.0f;
    float slopes[64];
    GRDGRAD(work, &work_length, gradient, &gradient_length, ihead, rhead, &exaggeration, slopes, &status);
    CHECK(status == GRIDLIB_OK);
    CHECK(slopes[32] == 0.0f && slopes[1] < 0.0f && slopes[63] > 0.0f);

    rhead[GRIDLIB_COLOUR_MIN] = 1.0f;
    rhead[GRIDLIB_COLOUR_MAX] = 5.0f;
    ihead[GRIDLIB_IMAGE_WIDTH] = 6;
    const int32_t depth = 24, no_invert = 0, linear = 1;
    const float light_x = -0.5f, light_y = 0.5f, light_z = 0.7071f, dark = 0.4f, bright = 1.0f;
    GRDSUN2BMP(work, &work_length, gradient, &gradient_length, image, &image_length, ihead, rhead, &depth, &no_invert,
               &linear, NULL, NULL, NULL, &light_x, &light_y, &light_z, &dark, &bright, slopes, &status);
    CHECK(status == GRIDLIB_OK && access(image, F_OK) == 0);

    GRDGRAD(work, &work_length, gradient, &gradient_length, ihead, rhead, &exaggeration, NULL, &status);
    CHECK(status == GRIDLIB_REFUSED);
    remove(grid);
    remove(work);
    remove(gradient);
    remove(image);
}

/* A working grid made by GRDRDG, its rows read and written by descriptor. */
static void test_working_grid_rows(void) {
    char grid[64], work[64];
    snprintf(grid, sizeof grid, "c_api_rows_%ld.asc", (long)getpid());
    snprintf(work, sizeof work, "c_api_rows_%ld.tmp", (long)getpid());
    const char text[] = "ncols 4\nnrows 3\nxllcorner 0\nyllcorner 0\ncellsize 1\nNODATA_value -1\n"
                        "1 2 3 4\n5 6 7 8\n9 10 11 -1\n";
    CHECK(write_bytes(grid, text, sizeof text - 1));

    const int32_t grid_length = (int32_t)strlen(grid), work_length = (int32_t)strlen(work), one = 1;
    int32_t ihead[GRIDLIB_IHEAD_SIZE] = {0};
    float rhead[GRIDLIB_RHEAD_SIZE] = {0};
    int32_t status = 99;
    GRDRDH(grid, &grid_length, ihead, rhead, NULL, NULL, &status);
    CHECK(status == GRIDLIB_OK);
    GRDRDG(grid, &grid_length, work, &work_length, ihead, rhead, &rhead[GRIDLIB_WEST_X], &rhead[GRIDLIB_EAST_X], &one,
           &rhead[GRIDLIB_SOUTH_Y], &rhead[GRIDLIB_NORTH_Y], &one, &status);
    CHECK(status == GRIDLIB_OK);

    const int32_t handle = open(work, O_RDWR);
    CHECK(handle >= 0);
    float values[4] = {0};
    int32_t row = 1; /* the northern row comes first */
    GRDRDL(&handle, ihead, rhead, &row, values, &status);
    CHECK(status == GRIDLIB_OK && values[0] == 1.0f && values[3] == 4.0f);
    row = 3;
    GRDRDL(&handle, ihead, rhead, &row, values, &status);
    CHECK(status == GRIDLIB_OK && values[2] == 11.0f && values[3] == GRIDLIB_NULL_VALUE);

    const float replaced[4] = {-1.5f, 0.0f, 2.5f, 1e6f};
    row = 2;
    GRDWRL(&handle, ihead, rhead, &row, replaced, &status);
    CHECK(status == GRIDLIB_OK);
    GRDRDL(&handle, ihead, NULL, &row, values, &status);
    CHECK(status == GRIDLIB_OK && memcmp(values, replaced, sizeof values) == 0);
    row = 4;
    GRDRDL(&handle, ihead, rhead, &row, values, &status);
    CHECK(status == GRIDLIB_REFUSED);
    close(handle);
    remove(grid);
    remove(work);
}

/* A BIL image of 3 columns, 2 rows and 2 bands, described by GRDRDH. */
static void test_byte_image_rows(void) {
    char image[64], header[64];
    snprintf(image, sizeof image, "c_api_scene_%ld.bil", (long)getpid());
    snprintf(header, sizeof header, "c_api_scene_%ld.hdr", (long)getpid());
    const unsigned char bytes[12] = {1, 2, 3, 11, 12, 13, 4, 5, 6, 14, 15, 255};
    const char text[] = "NROWS 2\nNCOLS 3\nNBANDS 2\nXDIM 1\nYDIM 1\n";
    CHECK(write_bytes(image, bytes, sizeof bytes));
    CHECK(write_bytes(header, text, sizeof text - 1));

    const int32_t image_length = (int32_t)strlen(image);
    int32_t ihead[GRIDLIB_IHEAD_SIZE] = {0};
    float rhead[GRIDLIB_RHEAD_SIZE] = {0};
    int32_t status = 99;
    GRDRDH(image, &image_length, ihead, rhead, NULL, NULL, &status);
    CHECK(status == GRIDLIB_OK && ihead[GRIDLIB_FORMAT] == GRIDLIB_FORMAT_BIL);

    const int32_t handle = open(image, O_RDONLY);
    CHECK(handle >= 0);
    const int32_t row = 2, band_a = 2, band_b = 1, no_band = 0;
    uint16_t a[3] = {0}, b[3] = {0}, c[3] = {7, 7, 7};
    GRDRDL(&handle, ihead, rhead, &row, NULL, &status);
    CHECK(status == GRIDLIB_REFUSED); /* no buffer */
    BYTRDL(&handle, ihead, rhead, &row, &band_a, &band_b, &no_band, a, b, c, &status);
    CHECK(status == GRIDLIB_OK);
    CHECK(a[0] == 14 && a[2] == 255 && b[0] == 4 && b[2] == 6);
    CHECK(c[0] == 7 && c[2] == 7);
    const int32_t beyond = 3;
    BYTRDL(&handle, ihead, rhead, &beyond, &band_a, NULL, NULL, a, NULL, NULL, &status);
    CHECK(status == GRIDLIB_REFUSED);
    close(handle);
    remove(image);
    remove(header);
}

static void test_decode_portable_double(void) {
    const char little[8] = {0, 0, 0, 0, 0, 0, (char)0xF8, 0x3F}; /* 1.5 */
    const char big[8] = {(char)0xC0, 0x59, 0, 0, 0, 0, 0, 0};    /* -100.0 */
    const int32_t length = 8;
    const int32_t lsb_first = 0;
    const int32_t msb_first = 1;
    CHECK(DECODE_VULCAN_BINARY(little, &length, &lsb_first) == 1.5);
    CHECK(DECODE_VULCAN_BINARY(big, &length, &msb_first) == -100.0);
    CHECK(fabs(DECODE_VULCAN_BINARY(big, &length, &lsb_first) - (-100.0)) > 1.0);
}

static void test_temporary_file(void) {
    char name[256];
    const int32_t name_length = sizeof name, too_small = 12, none = 0;
    const char prefix[] = "~c_api.", suffix[] = ".tmp";
    const int32_t prefix_length = 7, suffix_length = 4;
    int32_t status = 99;
    gridlib_create_temporary_file("", &none, prefix, &prefix_length, suffix, &suffix_length, name, &name_length,
                                  &status);
    CHECK(status == GRIDLIB_OK);
    CHECK(strncmp(name, prefix, 7) == 0 && strlen(name) > 11);
    CHECK(access(name, F_OK) == 0);
    gridlib_remove_temporary_file(name, &name_length);
    CHECK(access(name, F_OK) != 0);

    /* A buffer too small for the name is refused before any file is made. */
    gridlib_create_temporary_file("", &none, prefix, &prefix_length, suffix, &suffix_length, name, &too_small,
                                  &status);
    CHECK(status == GRIDLIB_REFUSED);

    /* The name given back without its NUL, as a text of its own length,
     * removes the file too. */
    gridlib_create_temporary_file("", &none, prefix, &prefix_length, suffix, &suffix_length, name, &name_length,
                                  &status);
    CHECK(status == GRIDLIB_OK);
    {
        const int32_t exact = (int32_t)strlen(name);
        gridlib_remove_temporary_file(name, &exact);
        CHECK(access(name, F_OK) != 0);
    }

    /* A suffix ending in a blank would make a name that a blank-padded text
     * cannot give back: refused, and no file is made. */
    {
        const char blank_suffix[] = ".tmp \0";
        const int32_t blank_suffix_length = 6;
        const char marker[] = "~c_api_blank.";
        const int32_t marker_length = 13;
        DIR *here;
        struct dirent *entry;
        int made = 0;
        gridlib_create_temporary_file("", &none, marker, &marker_length, blank_suffix, &blank_suffix_length, name,
                                      &name_length, &status);
        CHECK(status == GRIDLIB_REFUSED);
        here = opendir(".");
        while (here && (entry = readdir(here)) != NULL) {
            if (strncmp(entry->d_name, marker, 13) != 0) continue;
            made = 1;
            remove(entry->d_name); /* so that a failed run leaves nothing for the next */
        }
        if (here) closedir(here);
        CHECK(!made);
    }
}

/* A palette file read with too little room, then with enough; a named
 * palette and a name that is none. */
static void test_palettes(void) {
    CHECK(write_text("c_api_palette.txt", "nv 1 2 3 0\n0% 0 0 0\n100% 255 128 0 200\n"));
    char name[32];
    const int32_t name_length = 32;
    set_name(name, name_length, "c_api_palette.txt");
    double values[2];
    int32_t kinds[2], colours[8], extra[12], count = -1, line = -1, status = GRIDLIB_OK;
    const int32_t too_few = 1, enough = 2;
    gridlib_read_palette_file(name, &name_length, &too_few, &count, values, kinds, colours, extra, &line, &status);
    CHECK(status == GRIDLIB_PALETTE_TOO_MANY && count == 2);
    gridlib_read_palette_file(name, &name_length, &enough, &count, values, kinds, colours, extra, &line, &status);
    CHECK(status == GRIDLIB_OK && count == 2 && line == 0);
    CHECK(values[1] == 100.0 && kinds[1] == 1 && colours[4] == 255 && colours[7] == 200);
    CHECK(extra[0] == 1 && extra[3] == 0 && extra[7] == -1 && extra[11] == -1);
    unlink("c_api_palette.txt");

    int32_t table[3 * GRIDLIB_COLOURS], colour_count = 0;
    set_name(name, name_length, "magma");
    gridlib_named_palette(name, &name_length, &colour_count, table, &status);
    CHECK(status == GRIDLIB_OK && colour_count == 238 && table[2] == 0 && table[2 * GRIDLIB_COLOURS + 2] == 4);
    set_name(name, name_length, "jet");
    gridlib_named_palette(name, &name_length, &colour_count, table, &status);
    CHECK(status == GRIDLIB_REFUSED);
}

int main(void) {
    test_open_esri_ascii_grid();
    test_point_values_of_a_working_grid();
    test_working_grid_rows();
    test_shaded_relief();
    test_byte_image_rows();
    test_decode_portable_double();
    test_temporary_file();
    test_palettes();
    if (failures) fprintf(stderr, "%d check(s) failed\n", failures);
    return failures ? 1 : 0;
}
