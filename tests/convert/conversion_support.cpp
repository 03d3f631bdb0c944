// Calls of gridlib_convert for the tests.
#include "conversion_support.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace gridlib::testing {
namespace {

struct Gathered {
    CallResult* result;
    std::thread::id caller;
};

void note(void* user, const char* text, const std::int32_t* length) {
    static_cast<Gathered*>(user)->result->notes.emplace_back(text, static_cast<std::size_t>(*length));
}

void progress(void* user, const std::int32_t*, const std::int32_t* done, const std::int32_t* total) {
    auto* gathered = static_cast<Gathered*>(user);
    CallResult& r = *gathered->result;
    ++r.progress_reports;
    if (std::this_thread::get_id() != gathered->caller) r.progress_on_caller = false;
    if (*done == *total) r.progress_complete = true;
}

}  // namespace

std::string wavy_grid(int columns, int rows, int seed) {
    std::ostringstream text;
    text << "ncols " << columns << "\nnrows " << rows << "\nxllcorner 500000\nyllcorner 4000000\ncellsize 30\n"
         << "NODATA_value -9999\n";
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const double v = 100.0 + 40.0 * std::sin((c + seed * 7) / (5.0 + seed)) * std::cos(r / (9.0 + seed)) +
                             0.01 * c * r;
            text << ((r * 31 + c * 17 + seed) % 97 == 0 ? -9999.0 : v) << (c + 1 < columns ? ' ' : '\n');
        }
    }
    return text.str();
}

CallResult convert(const std::string& input, const std::string& output, gridlib_convert_options options,
                   std::int32_t failure_size) {
    CallResult result;
    Gathered gathered{&result, std::this_thread::get_id()};
    options.note = &note;
    options.progress = &progress;
    options.user = &gathered;
    std::vector<char> failure(static_cast<std::size_t>(std::max(failure_size, 1)), 'x');
    const auto input_length = static_cast<std::int32_t>(input.size());
    const auto output_length = static_cast<std::int32_t>(output.size());
    gridlib_convert(input.data(), &input_length, output.data(), &output_length, &options, failure.data(),
                    &failure_size, &result.status);
    if (failure_size > 0) result.failure = failure.data();
    return result;
}

std::map<std::string, std::string> files_of(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        files[entry.path().filename().string()] = std::string(std::istreambuf_iterator<char>(in), {});
    }
    return files;
}

}  // namespace gridlib::testing
