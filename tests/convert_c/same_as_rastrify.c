/* gridlib_convert from plain C makes what rastrify makes: for each case a
 * grid is converted by rastrify (run as a program in one folder) and by the
 * library call (in another) with the same options, and every file each
 * leaves, its notes and its failure line must be the same. Arguments: the
 * rastrify program and the source tree. Exits non-zero on any difference. */
#define _DEFAULT_SOURCE /* realpath, mkdtemp */
#include "gridlib.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

static int failures = 0;

#define CHECK(condition, ...)                                                 \
    do {                                                                      \
        if (!(condition)) {                                                   \
            fprintf(stderr, "%s:%d: ", __FILE__, __LINE__);                   \
            fprintf(stderr, __VA_ARGS__);                                     \
            fputc('\n', stderr);                                              \
            ++failures;                                                       \
        }                                                                     \
    } while (0)

enum { kMaxArguments = 8 };

/* One conversion: the grid (from the source tree), the image and the
 * options, as rastrify's arguments and as the structure. */
struct Case {
    const char *grid;
    const char *image;
    const char *arguments[kMaxArguments];
    void (*set)(gridlib_convert_options *o);
};

static void set_text(const char **field, int32_t *length, const char *text) {
    *field = text;
    *length = (int32_t)strlen(text);
}

static void defaults(gridlib_convert_options *o) { (void)o; }
static void lin_narrow(gridlib_convert_options *o) {
    o->distribution = GRIDLIB_DISTRIBUTION_LIN;
    o->width = 50;
}
static void log_inverted(gridlib_convert_options *o) {
    o->distribution = GRIDLIB_DISTRIBUTION_LOG;
    o->lower = 1.0f;
    o->upper = 500.0f;
    o->invert = 1;
}
static void histogram_file_and_limits(gridlib_convert_options *o) {
    set_text(&o->histogram_file, &o->histogram_file_length, "levels.his");
    o->width = 7;
    o->lower = 95.0f;
    o->upper = 130.0f;
}
static void shaded(gridlib_convert_options *o) {
    o->shade = 1;
    o->width = 80;
}
static void png_world(gridlib_convert_options *o) {
    o->world_file = 1;
    o->width = 15;
}
static void png_shaded_world(gridlib_convert_options *o) {
    o->shade = 1;
    o->azimuth = 270.0f;
    o->elevation = 20.0f;
    o->world_file = 1;
    o->distribution = GRIDLIB_DISTRIBUTION_LIN;
}
static void palette_bar_kept(gridlib_convert_options *o) {
    set_text(&o->palette, &o->palette_length, "viridis");
    set_text(&o->colour_bar, &o->colour_bar_length, "bar.svg");
    set_text(&o->keep_scale, &o->keep_scale_length, "kept.his");
    o->lower = 100.0f;
    o->upper = 200.0f;
}
static void palette_file_shaded(gridlib_convert_options *o) {
    set_text(&o->palette, &o->palette_length, "palette.cpt");
    o->shade = 1;
    o->exaggeration = 3.0f;
}
static void log_without_limits(gridlib_convert_options *o) { o->distribution = GRIDLIB_DISTRIBUTION_LOG; }
static void output_is_histogram_file(gridlib_convert_options *o) {
    set_text(&o->histogram_file, &o->histogram_file_length, "levels.his");
}

static const struct Case kCases[] = {
    {"examples/terrain.asc", "o.bmp", {NULL}, defaults},
    {"examples/terrain.asc", "o.bmp", {"-Hlin", "-W50", NULL}, lin_narrow},
    {"tests/data/gdal/surfer7.grd", "o.bmp", {"-Hlog", "-m1", "-M500", "-I", NULL}, log_inverted},
    {"tests/data/gdal/ers_float32.ers", "o.bmp", {"levels.his", "-W7", "-m95", "-M130", NULL}, histogram_file_and_limits},
    {"tests/data/netcdf/cf_north_first.nc", "o.bmp", {"-S", "-W80", NULL}, shaded},
    {"tests/data/gdal/esri_centre.asc", "o.png", {"-G", "-W15", NULL}, png_world},
    {"examples/terrain.asc", "O.PNG", {"-S270,20", "-G", "-Hlin", NULL}, png_shaded_world},
    {"examples/terrain.asc", "o.tif", {"-Cviridis", "-Lbar.svg", "-Kkept.his", "-m100", "-M200", NULL},
     palette_bar_kept},
    {"examples/terrain.asc", "o.png", {"-Cpalette.cpt", "-S315,45,3", NULL}, palette_file_shaded},
    {"examples/terrain.asc", "o.bmp", {"-Hlog", NULL}, log_without_limits},
    {"examples/terrain.asc", "levels.his", {"levels.his", NULL}, output_is_histogram_file},
};

static const char *g_rastrify;
static const char *g_source;

/* The inputs both runs read beside their outputs. */
static void write_inputs(const char *folder) {
    char path[4096];
    snprintf(path, sizeof path, "%s/levels.his", folder);
    FILE *f = fopen(path, "wb");
    CHECK(f != NULL, "cannot write %s", path);
    if (!f) return;
    const unsigned char head[10] = {0, 0, 0, 0, 0xbe, 0x42, 0, 0, 0x02, 0x43}; /* 95.0f, 130.0f */
    fwrite(head, 1, sizeof head, f);
    for (int32_t k = 0; k < GRIDLIB_LEVELS; ++k) {
        int32_t level = 1 + k * k / 4096;
        if (level > 4096) level = 4096;
        const unsigned char bytes[4] = {(unsigned char)level, (unsigned char)(level >> 8), 0, 0};
        fwrite(bytes, 1, 4, f);
    }
    fclose(f);
    snprintf(path, sizeof path, "%s/palette.cpt", folder);
    f = fopen(path, "w");
    CHECK(f != NULL, "cannot write %s", path);
    if (!f) return;
    fputs("0 0 0 255 100 0 255 0\n100 0 255 0 300 255 0 0\nN 128 128 128\n", f);
    fclose(f);
}

/* The whole content of a file, its size in *size; NULL when it cannot be read. */
static char *contents(const char *path, size_t *size) {
    FILE *f = fopen(path, "rb");
    if (!f) return NULL;
    size_t capacity = 4096, n = 0;
    char *bytes = malloc(capacity);
    for (size_t got; bytes && (got = fread(bytes + n, 1, capacity - n, f)) > 0;) {
        n += got;
        if (n == capacity) bytes = realloc(bytes, capacity *= 2);
    }
    fclose(f);
    *size = n;
    return bytes;
}

/* Runs rastrify in folder with the case's arguments; its exit status, its
 * standard output and error in folder/../out and err. */
static int run_rastrify(const char *folder, const struct Case *c, const char *out, const char *err) {
    char grid[4096];
    snprintf(grid, sizeof grid, "%s/%s", g_source, c->grid);
    const char *argv[kMaxArguments + 4] = {g_rastrify, grid, c->image};
    int argc = 3;
    for (int k = 0; k < kMaxArguments && c->arguments[k]; ++k) argv[argc++] = c->arguments[k];
    argv[argc] = NULL;
    const pid_t child = fork();
    if (child == 0) {
        const int in = open("/dev/null", O_RDONLY), o = creat(out, 0644), e = creat(err, 0644);
        if (in < 0 || o < 0 || e < 0 || chdir(folder) != 0) _exit(127);
        dup2(in, 0);
        dup2(o, 1);
        dup2(e, 2);
        execv(g_rastrify, (char *const *)argv);
        _exit(127);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

/* The notes of a call, one line each, gathered as rastrify prints them. */
struct Notes {
    char text[8192];
    size_t length;
};

static void gather_note(void *user, const char *text, const int32_t *length) {
    struct Notes *notes = user;
    if (notes->length + (size_t)*length + 1 >= sizeof notes->text) return;
    memcpy(notes->text + notes->length, text, (size_t)*length);
    notes->length += (size_t)*length;
    notes->text[notes->length++] = '\n';
}

/* Every file of folder a is in b with the same bytes, and b holds no more. */
static void compare_folders(const char *a, const char *b, const char *what) {
    int count_a = 0, count_b = 0;
    DIR *dir = opendir(a);
    for (struct dirent *e; dir && (e = readdir(dir));) {
        if (e->d_name[0] == '.') continue;
        ++count_a;
        char path_a[4400], path_b[4400];
        snprintf(path_a, sizeof path_a, "%s/%s", a, e->d_name);
        snprintf(path_b, sizeof path_b, "%s/%s", b, e->d_name);
        size_t size_a = 0, size_b = 0;
        char *bytes_a = contents(path_a, &size_a), *bytes_b = contents(path_b, &size_b);
        CHECK(bytes_b != NULL, "%s: the call left no %s", what, e->d_name);
        CHECK(!bytes_b || (size_a == size_b && memcmp(bytes_a, bytes_b, size_a) == 0), "%s: %s differs", what,
              e->d_name);
        free(bytes_a);
        free(bytes_b);
    }
    if (dir) closedir(dir);
    dir = opendir(b);
    for (struct dirent *e; dir && (e = readdir(dir));) count_b += e->d_name[0] != '.';
    if (dir) closedir(dir);
    CHECK(count_a == count_b, "%s: rastrify left %d files, the call %d", what, count_a, count_b);
}

static void run_case(const char *work, int index) {
    const struct Case *c = &kCases[index];
    char a[4096], b[4096], out[4096], err[4096], what[256];
    snprintf(a, sizeof a, "%s/a%d", work, index);
    snprintf(b, sizeof b, "%s/b%d", work, index);
    snprintf(out, sizeof out, "%s/out%d", work, index);
    snprintf(err, sizeof err, "%s/err%d", work, index);
    snprintf(what, sizeof what, "case %d (%s to %s)", index, c->grid, c->image);
    mkdir(a, 0755);
    mkdir(b, 0755);
    write_inputs(a);
    write_inputs(b);
    const int exit_status = run_rastrify(a, c, out, err);

    gridlib_convert_options options;
    gridlib_convert_defaults(&options);
    c->set(&options);
    struct Notes notes = {{0}, 0};
    options.note = gather_note;
    options.user = &notes;
    char grid[4096], line[4096], here[4096];
    snprintf(grid, sizeof grid, "%s/%s", g_source, c->grid);
    const int32_t grid_length = (int32_t)strlen(grid), image_length = (int32_t)strlen(c->image),
                  line_length = (int32_t)sizeof line;
    int32_t status = GRIDLIB_REFUSED;
    /* The names are those rastrify was given, in a folder of their own. */
    if (!getcwd(here, sizeof here) || chdir(b) != 0) return;
    gridlib_convert(grid, &grid_length, c->image, &image_length, &options, line, &line_length, &status);
    if (chdir(here) != 0) return;

    CHECK((exit_status == 0) == (status == GRIDLIB_OK), "%s: rastrify ends with %d, the call with status %d", what,
          exit_status, status);
    compare_folders(a, b, what);
    size_t out_size = 0, err_size = 0;
    char *printed = contents(out, &out_size), *stopped = contents(err, &err_size);
    /* rastrify prints its usage first, then the notes. */
    CHECK(printed && out_size >= notes.length && memcmp(printed + out_size - notes.length, notes.text,
                                                        notes.length) == 0,
          "%s: the notes differ from rastrify's lines:\n%.*s", what, (int)notes.length, notes.text);
    if (status != GRIDLIB_OK) {
        CHECK(stopped && err_size == strlen(line) + 1 && memcmp(stopped, line, strlen(line)) == 0,
              "%s: the failure line differs: '%s'", what, line);
    } else {
        CHECK(line[0] == '\0', "%s: a failure line after success: '%s'", what, line);
    }
    free(printed);
    free(stopped);
}

int main(int argc, char **argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: %s rastrify source-tree\n", argv[0]);
        return 2;
    }
    /* Both runs change folder: the names must not depend on it. */
    static char rastrify[4096], source[4096];
    if (!realpath(argv[1], rastrify) || !realpath(argv[2], source)) return 2;
    g_rastrify = rastrify;
    g_source = source;
    char work[] = "/tmp/same_as_rastrify.XXXXXX";
    if (!mkdtemp(work)) return 2;
    for (int k = 0; k < (int)(sizeof kCases / sizeof kCases[0]); ++k) run_case(work, k);
    if (failures == 0) {
        char command[4200];
        snprintf(command, sizeof command, "rm -rf '%s'", work);
        if (system(command) != 0) fprintf(stderr, "%s was left behind\n", work);
    } else {
        fprintf(stderr, "the runs are kept in %s\n", work);
    }
    return failures == 0 ? 0 : 1;
}
