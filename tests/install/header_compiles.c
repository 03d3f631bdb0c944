/* gridlib.h is plain C99: this unit is built with -std=c99 -pedantic and
 * warnings as errors, and refers to a routine, each kind of name, and the
 * macro that fills the options with their defaults. */
#include "gridlib.h"

int gridlib_header_compiles_as_c(void);
int gridlib_header_compiles_as_c(void) {
    int32_t ihead[GRIDLIB_IHEAD_SIZE] = {0};
    enum gridlib_status status = GRIDLIB_OK;
    void (*open_grid)(const char *, const int32_t *, int32_t *, float *, char *, const int32_t *, int32_t *) = GRDRDH;
    gridlib_convert_options options;
    gridlib_convert_defaults(&options);
    ihead[GRIDLIB_FORMAT] = GRIDLIB_FORMAT_ESRI_ASCII;
    return open_grid != 0 && status == GRIDLIB_OK && options.size > 0 ? ihead[GRIDLIB_FORMAT] : 0;
}
