// Text rows whose values are coded in characters (compressed GXF and
// "$$GRID$$" rows), decoded row by row from a file: the fixture of their tests.
#pragma once

#include "descriptor/grid_descriptor.h"
#include "formats/grid_text/grid_text_rows.h"
#include "formats/gxf/gxf_compressed.h"
#include "rows/text_rows.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace gridlib::formats {

using gridlib::testing::TempDir;
using gridlib::testing::write_file;
using rows::RowSource;
using Status = std::int32_t;
using rows::TextRowSource;
using Rows = std::vector<std::vector<float>>;
constexpr float N = kNullValue;

// Reads rows of the given lengths until one fails; the statuses of the reads.
class CodedRows : public ::testing::Test {
protected:
    platform::TextUnit unit(const std::string& content) {
        write_file(dir.file("g"), content);
        return *platform::TextUnit::open(dir.file("g"));
    }
    std::vector<Status> read_all(RowSource& source, const std::vector<std::size_t>& lengths) {
        std::vector<Status> statuses;
        got.clear();
        for (std::size_t k = 0; k < lengths.size(); ++k) {
            got.emplace_back(lengths[k], -7.0f);
            statuses.push_back(source.read(static_cast<std::int64_t>(k + 1), got.back()));
            if (statuses.back() != 0) break;
        }
        return statuses;
    }
    std::vector<Status> gxf(const std::string& content, int width, const std::vector<std::size_t>& lengths) {
        TextRowSource source(std::make_unique<CompressedGxfValues>(unit(content), width));
        return read_all(source, lengths);
    }
    std::vector<Status> grid(const std::string& content, int width, bool fixed_width,
                             const std::vector<std::size_t>& lengths) {
        // Minimum 0, maximum 63 * 2, divisor 63: a code v reads as 2v.
        GridTextRows source(unit(content), {width, 0.0f, 126.0f, 63.0f}, fixed_width);
        return read_all(source, lengths);
    }
    TempDir dir;
    Rows got;
};

}  // namespace gridlib::formats
