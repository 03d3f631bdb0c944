// Four grids converted from four threads at once give the bytes, notes and
// progress of the same conversions made one after another: the calls share
// the worker threads and the tables of temporary files, and nothing else.
#include "conversion_support.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <functional>
#include <thread>

namespace gridlib::testing {
namespace {

struct Job {
    const char* image;
    std::function<void(gridlib_convert_options&)> set;
};

// Each draws through another path: equalised levels, a linear PNG with its
// world file, a shaded relief, a named palette with its bar and kept scale.
const std::array<Job, 4> kJobs{{
    {"hist.bmp", [](gridlib_convert_options&) {}},
    {"lin.png",
     [](gridlib_convert_options& o) {
         o.distribution = GRIDLIB_DISTRIBUTION_LIN;
         o.world_file = 1;
         o.width = 150;
     }},
    {"relief.bmp", [](gridlib_convert_options& o) { o.shade = 1; }},
    {"palette.tif",
     [](gridlib_convert_options& o) {
         static const std::string palette = "viridis", bar = "bar.svg", kept = "kept.his";
         o.palette = palette.data();
         o.palette_length = static_cast<std::int32_t>(palette.size());
         o.colour_bar = bar.data();
         o.colour_bar_length = static_cast<std::int32_t>(bar.size());
         o.keep_scale = kept.data();
         o.keep_scale_length = static_cast<std::int32_t>(kept.size());
     }},
}};

struct Outcome {
    CallResult call;
    std::map<std::string, std::string> files;
};

// Converts job k's grid into the folder; the companions' names are taken
// beside the image by running in that folder's name space (absolute names).
Outcome run_job(const TempDir& dir, std::size_t k, const std::string& folder) {
    const std::string out = dir.file(folder);
    std::filesystem::create_directory(out);
    gridlib_convert_options options;
    gridlib_convert_defaults(&options);
    kJobs[k].set(options);
    // The bar and kept scale are named relative to the image's folder.
    std::string bar, kept;
    if (options.colour_bar_length > 0) {
        bar = out + "/" + std::string(options.colour_bar, static_cast<std::size_t>(options.colour_bar_length));
        kept = out + "/" + std::string(options.keep_scale, static_cast<std::size_t>(options.keep_scale_length));
        options.colour_bar = bar.data();
        options.colour_bar_length = static_cast<std::int32_t>(bar.size());
        options.keep_scale = kept.data();
        options.keep_scale_length = static_cast<std::int32_t>(kept.size());
    }
    Outcome outcome;
    outcome.call = convert(dir.file("grid" + std::to_string(k) + ".asc"), out + "/" + kJobs[k].image, options);
    outcome.files = files_of(out);
    return outcome;
}

TEST(ConcurrentConversions, FourThreadsMakeTheSerialBytes) {
    TempDir dir;
    for (std::size_t k = 0; k < kJobs.size(); ++k)
        write_file(dir.file("grid" + std::to_string(k) + ".asc"),
                   wavy_grid(300 + 40 * static_cast<int>(k), 200 - 20 * static_cast<int>(k), static_cast<int>(k)));

    std::array<Outcome, kJobs.size()> serial;
    for (std::size_t k = 0; k < kJobs.size(); ++k) serial[k] = run_job(dir, k, "serial" + std::to_string(k));

    for (int round = 0; round < 2; ++round) {
        std::array<Outcome, kJobs.size()> together;
        {
            std::vector<std::jthread> threads;
            for (std::size_t k = 0; k < kJobs.size(); ++k)
                threads.emplace_back([&, k] {
                    together[k] = run_job(dir, k, "round" + std::to_string(round) + "-" + std::to_string(k));
                });
        }
        for (std::size_t k = 0; k < kJobs.size(); ++k) {
            SCOPED_TRACE(kJobs[k].image);
            const CallResult& alone = serial[k].call;
            const CallResult& at_once = together[k].call;
            ASSERT_EQ(alone.status, GRIDLIB_OK) << alone.failure;
            EXPECT_EQ(at_once.status, GRIDLIB_OK) << at_once.failure;
            EXPECT_EQ(at_once.notes, alone.notes);
            // Each call hears its own progress, on its own thread, to the end.
            EXPECT_GT(at_once.progress_reports, 0);
            EXPECT_TRUE(at_once.progress_on_caller);
            EXPECT_TRUE(at_once.progress_complete);
            ASSERT_EQ(together[k].files.size(), serial[k].files.size());
            for (const auto& [name, bytes] : serial[k].files) {
                ASSERT_TRUE(together[k].files.contains(name)) << name;
                EXPECT_TRUE(together[k].files.at(name) == bytes) << name << " differs";
            }
        }
    }
}

}  // namespace
}  // namespace gridlib::testing
