// Four grids converted from four threads at once give the bytes, notes and
// progress of the same conversions made one after another: the calls share
// the worker threads and the tables of temporary files, and nothing else.
#include "conversion_support.h"

#include "support/samples.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <functional>
#include <thread>
#include <vector>

namespace gridlib::testing {
namespace {

struct Job {
    const char* image;
    std::function<void(gridlib_convert_options&)> set;
    std::string input = {};  // empty: grid<k>.asc of the test's folder
};

void set_palette(gridlib_convert_options& o, const std::string& palette) {
    o.palette = palette.data();
    o.palette_length = static_cast<std::int32_t>(palette.size());
}

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
         set_palette(o, palette);
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

// Converts job k's grid into the folder; the bar and the kept scale are
// named beside the image.
Outcome run_job(const TempDir& dir, const Job& job, std::size_t k, const std::string& folder) {
    const std::string out = dir.file(folder);
    std::filesystem::create_directory(out);
    gridlib_convert_options options;
    gridlib_convert_defaults(&options);
    job.set(options);
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
    const std::string input = job.input.empty() ? dir.file("grid" + std::to_string(k) + ".asc") : job.input;
    outcome.call = convert(input, out + "/" + job.image, options);
    outcome.files = files_of(out);
    return outcome;
}

// The outcome of each job on its own thread, all at once, `rounds` times
// over, against the outcome of the jobs one after another.
template <std::size_t N>
void expect_serial_outcomes(const TempDir& dir, const std::array<Job, N>& jobs, int rounds) {
    std::array<Outcome, N> serial;
    for (std::size_t k = 0; k < N; ++k) serial[k] = run_job(dir, jobs[k], k, "serial" + std::to_string(k));

    std::array<std::vector<Outcome>, N> together;
    {
        std::vector<std::jthread> threads;
        for (std::size_t k = 0; k < N; ++k)
            threads.emplace_back([&, k] {
                for (int round = 0; round < rounds; ++round)
                    together[k].push_back(
                        run_job(dir, jobs[k], k, "round" + std::to_string(round) + "-" + std::to_string(k)));
            });
    }
    for (std::size_t k = 0; k < N; ++k) {
        SCOPED_TRACE(jobs[k].image);
        const CallResult& alone = serial[k].call;
        ASSERT_EQ(alone.status, GRIDLIB_OK) << alone.failure;
        for (const Outcome& outcome : together[k]) {
            const CallResult& at_once = outcome.call;
            EXPECT_EQ(at_once.status, GRIDLIB_OK) << at_once.failure;
            EXPECT_EQ(at_once.notes, alone.notes);
            // Each call hears its own progress, on its own thread, to the end.
            EXPECT_GT(at_once.progress_reports, 0);
            EXPECT_TRUE(at_once.progress_on_caller);
            EXPECT_TRUE(at_once.progress_complete);
            ASSERT_EQ(outcome.files.size(), serial[k].files.size());
            for (const auto& [name, bytes] : serial[k].files) {
                ASSERT_TRUE(outcome.files.contains(name)) << name;
                EXPECT_TRUE(outcome.files.at(name) == bytes) << name << " differs";
            }
        }
    }
}

TEST(ConcurrentConversions, FourThreadsMakeTheSerialBytes) {
    TempDir dir;
    for (std::size_t k = 0; k < kJobs.size(); ++k)
        write_file(dir.file("grid" + std::to_string(k) + ".asc"),
                   wavy_grid(300 + 40 * static_cast<int>(k), 200 - 20 * static_cast<int>(k), static_cast<int>(k)));
    expect_serial_outcomes(dir, kJobs, 2);
}

// Grids read through libtiff and libnetcdf, loaded when first needed, and
// images written through libtiff and libpng: small, so each thread converts
// its grid many times while the others do theirs.
TEST(ConcurrentConversions, GridsOfOtherLibrariesMakeTheSerialBytes) {
    static const std::string cpt = test_data("palette/geo.cpt");
    const std::array<Job, 4> jobs{{
        {"placed.tif", [](gridlib_convert_options&) {}, test_data("geotiff/f32_nodata_lowest.tif")},
        {"lin.png",
         [](gridlib_convert_options& o) {
             o.distribution = GRIDLIB_DISTRIBUTION_LIN;
             o.world_file = 1;
         },
         test_data("netcdf/gmt_pixel.nc")},
        {"relief.bmp", [](gridlib_convert_options& o) { o.shade = 1; }, test_data("gdal/surfer7.grd")},
        {"by_value.png", [](gridlib_convert_options& o) { set_palette(o, cpt); }, test_data("palette/dem.tif")},
    }};
    TempDir dir;
    expect_serial_outcomes(dir, jobs, 8);
}

}  // namespace
}  // namespace gridlib::testing
