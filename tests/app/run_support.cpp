#include "run_support.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <sys/wait.h>

namespace rastrify::testing {
namespace {

// s in single quotes for the shell, preceded by a blank.
std::string quoted(const std::string& s) {
    std::string q = " '";
    for (char c : s) {
        if (c == '\'') {
            q += "'\\''";
        } else {
            q += c;
        }
    }
    return q + "'";
}

std::uint32_t u32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

}  // namespace

std::string rastrify_path() {
    if (const char* path = std::getenv("RASTRIFY"); path && *path) return path;
    // Without the variable, the build tree's layout: tests/tests_app beside rastrify.
    std::error_code ec;
    const auto beside = std::filesystem::read_symlink("/proc/self/exe", ec).parent_path().parent_path() / "rastrify";
    if (ec || !std::filesystem::exists(beside)) ADD_FAILURE() << "RASTRIFY must name the built rastrify executable";
    return beside.string();
}

RunResult run_rastrify(const std::string& cwd, const std::vector<std::string>& arguments,
                       const std::optional<std::string>& input) {
    gridlib::testing::TempDir io;  // kept apart so that cwd holds only what the run leaves
    std::string command = "cd" + quoted(cwd) + " &&" + quoted(rastrify_path());
    for (const std::string& a : arguments) command += quoted(a);
    if (input) {
        gridlib::testing::write_file(io.file("in"), *input);
        command += " <" + quoted(io.file("in"));
    } else {
        command += " < /dev/null";
    }
    command += " >" + quoted(io.file("out")) + " 2>" + quoted(io.file("err"));
    const int raw = std::system(command.c_str());
    RunResult r;
    r.status = raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = gridlib::testing::read_text(io.file("out"));
    r.err = gridlib::testing::read_text(io.file("err"));
    return r;
}

std::string start_text() {
    return " This program reads a grid file and\n"
           " converts it to a BMP file.\n"
           " \n"
           "  Command line usage : \n"
           "    Rastrify infil outfil { histfile -Wwidth -I -mZmin -MZmax -H(hist|lin|log)}\n"
           " \n"
           "  infil  - input grid file\n"
           "  outfil - output BMP file\n"
           " \n"
           "  histfile - optional histogram file\n"
           " \n"
           "  -W width  - target number of pixels per line in output BMP file\n"
           "  -I        - invert colour range\n"
           "  -m Zmin   - data value which maps to first colour\n"
           "  -M Zmax   - data value which maps to last colour\n"
           "  -H\n"
           "    hist   - histogram equalizion is applied to grid data (default)\n"
           "    lin    - grid data values are not histogram equalized\n"
           "    log    - grid data values are mapped to colours using log distribution\n"
           " \n";
}

std::string esri_grid(int columns, int rows, const std::vector<double>& values, double nodata) {
    std::ostringstream s;
    s << "ncols " << columns << "\nnrows " << rows << "\nxllcorner 1000\nyllcorner 2000\ncellsize 10\n"
      << "NODATA_value " << nodata << "\n";
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) s << (c ? " " : "") << values[static_cast<std::size_t>(r * columns + c)];
        s << "\n";
    }
    return s.str();
}

std::string varied_grid(int columns, int rows) {
    std::string s = "ncols " + std::to_string(columns) + "\nnrows " + std::to_string(rows) +
                    "\nxllcorner 0\nyllcorner 0\ncellsize 1\nNODATA_value -9999\n";
    s.reserve(s.size() + static_cast<std::size_t>(columns) * rows * 4);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            s += std::to_string((r * 7 + c * 13) % 997 + 1);
            s += c + 1 < columns ? ' ' : '\n';
        }
    }
    return s;
}

int Bmp::pixel(int x, int y) const {
    const std::size_t line = (static_cast<std::size_t>(width) + 3) / 4 * 4;
    return bytes.at(pixel_offset + static_cast<std::size_t>(y) * line + static_cast<std::size_t>(x));
}

std::optional<Bmp> read_bmp(const std::string& path) {
    if (!std::filesystem::exists(path)) return std::nullopt;
    const std::string text = gridlib::testing::read_text(path);
    Bmp b;
    b.bytes.assign(text.begin(), text.end());
    if (b.bytes.size() < 54 || text.compare(0, 2, "BM") != 0) return std::nullopt;
    b.file_size = u32(b.bytes, 2);
    b.pixel_offset = u32(b.bytes, 10);
    b.width = static_cast<std::int32_t>(u32(b.bytes, 18));
    b.height = static_cast<std::int32_t>(u32(b.bytes, 22));
    b.bits = static_cast<std::uint16_t>(b.bytes[28] | b.bytes[29] << 8);
    b.colours = u32(b.bytes, 46);
    return b;
}

std::vector<std::string> working_files(const std::string& dir) {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("~rastrify", 0) == 0) found.push_back(name);
    }
    return found;
}

std::set<std::string> files_in(const std::string& dir) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) names.insert(entry.path().filename().string());
    return names;
}

}  // namespace rastrify::testing
