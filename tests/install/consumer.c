/* A program of another project using an installed gridlib: it writes a small
 * ESRI ASCII grid, reads it with GRDRDH and GRDRDG, draws it with GRD2BMP and
 * exits 0 when a BMP was written. */
#include <gridlib.h>

#include <stdio.h>
#include <string.h>

static int32_t length_of(const char *text) { return (int32_t)strlen(text); }

int main(void) {
    const char *grid = "consumer.asc", *work = "consumer.tmp", *image = "consumer.bmp";
    FILE *f = fopen(grid, "w");
    if (!f) return 1;
    fputs("ncols 3\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 1\nNODATA_value -9999\n1 2 3\n4 -9999 6\n", f);
    fclose(f);

    int32_t ihead[GRIDLIB_IHEAD_SIZE] = {0};
    float rhead[GRIDLIB_RHEAD_SIZE] = {0};
    int32_t status = 0, n = length_of(grid), w = length_of(work), i = length_of(image);
    GRDRDH(grid, &n, ihead, rhead, NULL, NULL, &status);
    if (status != GRIDLIB_OK) return 2;

    const int32_t step = 1;
    GRDRDG(grid, &n, work, &w, ihead, rhead, &rhead[GRIDLIB_WEST_X], &rhead[GRIDLIB_EAST_X], &step,
           &rhead[GRIDLIB_SOUTH_Y], &rhead[GRIDLIB_NORTH_Y], &step, &status);
    if (status != GRIDLIB_OK) return 3;

    const int32_t scheme = 2, none = 0, linear = 1;
    const float zero = 0.0f;
    int32_t colours = 0, table[3 * GRIDLIB_COLOURS];
    COLORMAP(&scheme, &zero, &zero, &none, &none, &zero, &colours, table);
    rhead[GRIDLIB_COLOUR_MIN] = rhead[GRIDLIB_DATA_MIN];
    rhead[GRIDLIB_COLOUR_MAX] = rhead[GRIDLIB_DATA_MAX];
    GRD2BMP(work, &w, image, &i, ihead, rhead, &linear, NULL, &colours, table, &status);
    remove(work);
    if (status != GRIDLIB_OK) return 4;

    char magic[2] = {0};
    f = fopen(image, "rb");
    if (!f || fread(magic, 1, 2, f) != 2) return 5;
    fclose(f);
    printf("gridlib consumer: wrote %s\n", image);
    return memcmp(magic, "BM", 2) == 0 ? 0 : 6;
}
