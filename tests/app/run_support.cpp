#include "run_support.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <string_view>
#include <sys/wait.h>

extern char** environ;

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

namespace {

// The library named by SIGNAL_AT_OPEN_LIBRARY, or else the one in the build
// tree beside these tests.
std::string signal_at_open_path() {
    if (const char* path = std::getenv("SIGNAL_AT_OPEN_LIBRARY"); path && *path) return path;
    std::error_code ec;
    const auto beside = std::filesystem::read_symlink("/proc/self/exe", ec).parent_path() / "signal_at_open.so";
    if (ec || !std::filesystem::exists(beside))
        ADD_FAILURE() << "SIGNAL_AT_OPEN_LIBRARY must name the built signal_at_open library";
    return beside.string();
}

}  // namespace

int spawn_rastrify(const std::vector<std::string>& arguments, const SignalAtOpen& trigger,
                   const Streams& streams, const std::vector<std::string>& environment) {
    std::vector<std::string> env;
    std::string preload = signal_at_open_path(), asan;
    for (char** e = environ; *e; ++e) {
        const std::string_view entry = *e;
        const std::string_view value = entry.substr(entry.find('=') + 1);
        if (entry.starts_with("LD_PRELOAD=")) {
            preload.append(":").append(value);
        } else if (entry.starts_with("ASAN_OPTIONS=")) {
            asan.append(value).append(":");
        } else if (!entry.starts_with("SIGNAL_AT_") && !entry.starts_with("RENAME_EXCHANGE")) {
            env.emplace_back(entry);
        }
    }
    env.push_back("LD_PRELOAD=" + preload);
    // A sanitized run refuses to start when its runtime is not the first
    // library loaded; the preloaded one is. Harmless in a plain build.
    env.push_back("ASAN_OPTIONS=" + asan + "verify_asan_link_order=0");
    env.push_back("SIGNAL_AT_OPEN=" + trigger.path_text);
    env.push_back("SIGNAL_AT_OPEN_COUNT=" + std::to_string(trigger.count));
    env.push_back("SIGNAL_AT_OPEN_SIGNAL=" + std::to_string(trigger.signal));
    env.insert(env.end(), environment.begin(), environment.end());
    std::vector<char*> envp;
    for (std::string& entry : env) envp.push_back(entry.data());
    envp.push_back(nullptr);

    std::string exe = rastrify_path();
    std::vector<std::string> words = arguments;
    std::vector<char*> argv{exe.data()};
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, streams.input.c_str(), O_RDONLY, 0);
    if (streams.output_descriptor >= 0) {
        posix_spawn_file_actions_adddup2(&actions, streams.output_descriptor, 1);
    } else {
        posix_spawn_file_actions_addopen(&actions, 1, streams.output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    }
    posix_spawn_file_actions_addopen(&actions, 2, streams.error.c_str(), O_RDWR | O_NOCTTY | O_CREAT, 0644);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        ADD_FAILURE() << "cannot start " << exe << ": " << std::strerror(spawned);
        return -1;
    }
    return pid;
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

std::uint32_t Bmp::colour(int x, int y) const {
    const std::size_t line = (3 * static_cast<std::size_t>(width) + 3) / 4 * 4;
    const std::size_t at = pixel_offset + static_cast<std::size_t>(y) * line + 3 * static_cast<std::size_t>(x);
    return std::uint32_t{bytes.at(at + 2)} << 16 | std::uint32_t{bytes.at(at + 1)} << 8 | bytes.at(at);
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
