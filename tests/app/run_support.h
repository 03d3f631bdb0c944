// Running the built converter as a user would: arguments, answers on standard
// input, standard output and standard error captured apart, and small helpers
// to write grids and read back the images.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace rastrify::testing {

struct RunResult {
    int status = -1;  // exit status; -1 when the process did not exit normally
    std::string out;
    std::string err;
};

// The executable named by the RASTRIFY environment variable, or else the
// one in the build tree these tests belong to.
std::string rastrify_path();

// Runs the converter in directory cwd. Without input, standard input is empty.
RunResult run_rastrify(const std::string& cwd, const std::vector<std::string>& arguments,
                       const std::optional<std::string>& input = std::nullopt);

// The usage text every run prints first.
std::string start_text();

// A signal the run sends itself right after the count-th successful open of
// a path that contains path_text, through a test library preloaded into it:
// a run is interrupted (or stopped, with SIGSTOP) at an exact point.
struct SignalAtOpen {
    std::string path_text;
    int count = 1;
    int signal = 15;
};

// Where a spawned run's standard streams go: files by name, or for the
// output an open descriptor (such as a pipe's end) when output_descriptor
// is not negative.
struct Streams {
    std::string input = "/dev/null";
    std::string output = "/dev/null";
    std::string error = "/dev/null";
    int output_descriptor = -1;
};

// Starts the converter with the arguments and the signal armed; its process
// id, or -1 (with a test failure) when it could not be started. environment
// adds NAME=value entries, such as the test library's rename trigger
// (SIGNAL_AT_RENAME..., see tests/support/signal_at_open.c).
int spawn_rastrify(const std::vector<std::string>& arguments, const SignalAtOpen& trigger,
                   const Streams& streams = {}, const std::vector<std::string>& environment = {});

// An ESRI ASCII grid; values run row by row from the northern row, and nodata
// marks null cells.
std::string esri_grid(int columns, int rows, const std::vector<double>& values, double nodata = -9999.0);

// A grid of columns x rows with varied values, large enough for a run to take a moment.
std::string varied_grid(int columns, int rows);

struct Bmp {
    std::uint32_t file_size = 0;
    std::uint32_t pixel_offset = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t bits = 0;
    std::uint32_t colours = 0;
    std::vector<std::uint8_t> bytes;
    // Palette index at column x of line y, line 0 being the bottom (southern) one.
    int pixel(int x, int y) const;
    // The same for a 24-bit image: red * 65536 + green * 256 + blue.
    std::uint32_t colour(int x, int y) const;
};
// Reads a BMP's header fields; nullopt when the file is missing or too short.
std::optional<Bmp> read_bmp(const std::string& path);

// Names of working grid files left in a directory.
std::vector<std::string> working_files(const std::string& dir);
// Every name in a directory, sorted.
std::set<std::string> files_in(const std::string& dir);

}  // namespace rastrify::testing
