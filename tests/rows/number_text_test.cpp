// The one rule by which written numbers make up stored vectors, applied in
// both of its uses: rows stitched from pieces parsed apart, and vectors read
// one after another in parts (text grids stored by columns).
#include "rows/number_text.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gridlib::testing {
namespace {

struct Outcome {
    std::vector<std::vector<float>> vectors;
    rows::Status status = 0;
};

Outcome stitched(platform::File& file, std::size_t columns, std::int64_t count) {
    rows::NumberText text(file);
    rows::NumberPiece piece;
    std::vector<float> spanning(columns);
    rows::RowStitcher stitcher(spanning, count);
    Outcome o;
    const auto row_done = [&](std::int64_t k, std::span<float> row) {
        EXPECT_EQ(k, static_cast<std::int64_t>(o.vectors.size()) + 1);
        o.vectors.emplace_back(row.begin(), row.end());
        return true;
    };
    for (bool more = true; more;) {
        more = text.read_piece(piece);
        piece.parse();
        if (!stitcher.take(piece, row_done)) break;
    }
    o.status = stitcher.status();
    return o;
}

// Each vector in two parts, as a column is read in parts of any size.
Outcome read_in_parts(platform::File& file, std::size_t columns, std::int64_t count) {
    rows::NumberText text(file);
    rows::NumberVectors vectors(text);
    Outcome o;
    for (std::int64_t k = 1; k <= count; ++k) {
        std::vector<float> v(columns);
        const std::span<float> all(v);
        if (!vectors.read(all.first(columns / 2)) || !vectors.read(all.subspan(columns / 2))) {
            o.status = rows::row_status(k);
            break;
        }
        vectors.end_vector();
        o.vectors.push_back(v);
    }
    return o;
}

struct Case {
    const char* name;
    std::string text;
    std::size_t columns;
    std::int64_t count;
    std::vector<std::vector<float>> vectors;
    rows::Status status;
};

TEST(NumberVectors, SpanLinesIgnoreTheRestOfTheLastAndFailOnlyTheirOwn) {
    const std::string long_token = std::string(300000, '0') + "7";  // longer than a piece
    std::string long_line;
    std::vector<float> long_row;
    for (int i = 0; i < 90000; ++i) {  // several pieces of text
        long_line += std::to_string(i % 1000) + (i % 7 ? " " : ",\t");
        long_row.push_back(static_cast<float>(i % 1000));
    }
    const Case cases[] = {
        {"one row a line", "1 2\n3 4\n", 2, 2, {{1, 2}, {3, 4}}, 0},
        {"a row spans lines", "1\n2 junk x\n3 4", 2, 2, {{1, 2}, {3, 4}}, 0},
        {"CR LF, CR and blank lines", "1 2 3\r\n\r\n4,5\r6\n", 2, 3, {{1, 2}, {4, 5}}, rows::row_status(3)},
        {"not a number in a row", "1 2\n3 x\n5 6", 2, 3, {{1, 2}}, rows::row_status(2)},
        {"the text ends in a row", "1 2\n3", 2, 2, {{1, 2}}, rows::row_status(2)},
        {"a token longer than a piece", long_token + "\n8", 1, 2, {{7}, {8}}, 0},
        {"a row of several pieces", long_line + "9\n" + long_line, 90000, 2, {long_row, long_row}, 0},
    };
    for (const Case& c : cases) {
        TempDir dir;
        write_file(dir.file("t"), c.text);
        for (const bool in_parts : {false, true}) {
            auto f = platform::File::open_read(dir.file("t"));
            ASSERT_TRUE(f);
            const Outcome o = in_parts ? read_in_parts(*f, c.columns, c.count) : stitched(*f, c.columns, c.count);
            const std::size_t whole = c.status == 0 ? c.vectors.size() : static_cast<std::size_t>(-1000 - c.status) - 1;
            EXPECT_EQ(o.status, c.status) << c.name << (in_parts ? " in parts" : "");
            ASSERT_EQ(o.vectors.size(), whole) << c.name << (in_parts ? " in parts" : "");
            for (std::size_t k = 0; k < whole; ++k) EXPECT_EQ(o.vectors[k], c.vectors[k]) << c.name << " " << k;
        }
    }
}

}  // namespace
}  // namespace gridlib::testing
