// Every status gridlib.h names has words, for its routine and for every
// format; the row failures say which row; the buffer is never overrun.
#include "gridlib.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <string>
#include <vector>

namespace {

struct Named {
    std::string name;
    std::int32_t value;
    std::int32_t routine;
};

// A group of statuses whose routine gives its own failure line
// (gridlib_convert), so that gridlib_status_text has no words for them.
constexpr std::int32_t kOwnLine = -1;

// The statuses of enum gridlib_status, each under the routine whose comment
// heads its group (GRIDLIB_REFUSED and GRIDLIB_OK head every routine's list).
std::vector<Named> named_statuses() {
    const char* root = std::getenv("GRIDLIB_SOURCE_DIR");
    std::ifstream in(std::string(root ? root : ".") + "/include/gridlib.h");
    EXPECT_TRUE(in);
    const std::map<std::string, std::int32_t> groups = {
        {"GRDRDH", GRIDLIB_ROUTINE_GRDRDH},   {"GRDRDG", GRIDLIB_ROUTINE_GRDRDG},
        {"GRDHST", GRIDLIB_ROUTINE_GRDHST},   {"GRD2BMP", GRIDLIB_ROUTINE_IMAGE},
        {"GRDGRAD", GRIDLIB_ROUTINE_GRDGRAD}, {"gridlib_write_colour_bar", GRIDLIB_ROUTINE_COLOUR_BAR},
        {"gridlib_convert", kOwnLine},
    };
    const std::regex group(R"(^\s*/\* (\w+) \*/\s*$)");
    const std::regex entry(R"(^\s*(GRIDLIB_\w+) = (-?\d+))");
    std::vector<Named> named;
    bool inside = false;
    std::int32_t routine = 0;
    std::smatch m;
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with("enum gridlib_status")) inside = true;
        if (!inside) continue;
        if (line.starts_with("};")) break;
        if (std::regex_search(line, m, group)) {
            const auto hit = groups.find(m[1]);
            EXPECT_NE(hit, groups.end()) << "a status group of no routine: " << m[1];
            if (hit != groups.end()) routine = hit->second;
        } else if (std::regex_search(line, m, entry) && routine != 0 && routine != kOwnLine) {
            // GRIDLIB_ROW_FAILED heads a family: row k's failure is GRIDLIB_ROW_FAILED - k.
            const std::int32_t value = std::stoi(m[2]) - (m[1] == "GRIDLIB_ROW_FAILED" ? 1 : 0);
            named.push_back({m[1], value, routine});
        }
    }
    return named;
}

std::optional<std::string> words(std::int32_t routine, std::int32_t status, const std::int32_t* ihead = nullptr,
                                 std::int32_t length = GRIDLIB_STATUS_TEXT_SIZE) {
    std::vector<char> text(static_cast<std::size_t>(std::max(length, 1)), 'x');
    std::int32_t result = 99;
    gridlib_status_text(&routine, &status, ihead, text.data(), &length, &result);
    if (result != GRIDLIB_OK) {
        EXPECT_EQ(result, GRIDLIB_REFUSED);
        EXPECT_EQ(text[0], '\0');
        return std::nullopt;
    }
    return std::string(text.data());
}

std::array<std::int32_t, GRIDLIB_IHEAD_SIZE> grid(std::int32_t format, std::int32_t rows) {
    std::array<std::int32_t, GRIDLIB_IHEAD_SIZE> ihead{};
    ihead[GRIDLIB_FORMAT] = format;
    ihead[GRIDLIB_ROWS] = rows;
    return ihead;
}

// A phrase for a caller's sentence: lower case, no full stop, room for the NUL.
void expect_phrase(const std::optional<std::string>& w, const std::string& what) {
    ASSERT_TRUE(w) << what;
    EXPECT_FALSE(w->empty()) << what;
    EXPECT_LT(w->size(), std::size_t{GRIDLIB_STATUS_TEXT_SIZE}) << what;
    EXPECT_TRUE(std::islower(static_cast<unsigned char>(w->front()))) << what << ": " << *w;
    EXPECT_NE(w->back(), '.') << what << ": " << *w;
}

TEST(StatusText, EveryNamedStatusHasWordsForEveryFormat) {
    const auto named = named_statuses();
    ASSERT_GT(named.size(), 40u);
    for (const Named& s : named) {
        expect_phrase(words(s.routine, s.value), s.name);
        for (std::int32_t format = GRIDLIB_FORMAT_NONE; format <= GRIDLIB_FORMAT_SURFER7; ++format) {
            const auto ihead = grid(format, 3000);
            expect_phrase(words(s.routine, s.value, ihead.data()), s.name + " of format " + std::to_string(format));
        }
    }
}

TEST(StatusText, EveryRoutineHasWordsForSuccessAndRefusal) {
    for (std::int32_t routine = GRIDLIB_ROUTINE_GRDRDH; routine <= GRIDLIB_ROUTINE_COLOUR_BAR; ++routine) {
        EXPECT_EQ(words(routine, GRIDLIB_OK), "no failure") << routine;
        expect_phrase(words(routine, GRIDLIB_REFUSED), "refusal of routine " + std::to_string(routine));
    }
}

// A number several routines return means something else to each.
TEST(StatusText, SharedNumbersAreWordedByTheirRoutine) {
    const std::vector<std::pair<std::int32_t, std::string>> minus_two = {
        {GRIDLIB_ROUTINE_GRDRDG, "the working grid file could not be written"},
        {GRIDLIB_ROUTINE_GRDHST, "the grid has fewer than 2 columns or rows"},
        {GRIDLIB_ROUTINE_IMAGE, "the image would be too large for its format"},
    };
    for (const auto& [routine, expected] : minus_two) EXPECT_EQ(words(routine, -2), expected) << routine;
    EXPECT_EQ(words(GRIDLIB_ROUTINE_GRDRDH, -1000), "the grid file name starts with a NUL character");
    EXPECT_EQ(words(GRIDLIB_ROUTINE_GRDRDG, -2001), "row 1001 could not be read (it is missing, short, not a "
                                                   "number or not validly coded)");
}

TEST(StatusText, RowFailuresNameTheRowInTheWordsOfTheFormat) {
    struct Case {
        std::int32_t status, format, rows;
        std::string expected;
    };
    const std::string plain = "(it is missing, short or not a number)";
    const std::vector<Case> cases = {
        {-1001, GRIDLIB_FORMAT_ESRI_ASCII, 10, "row 1 could not be read " + plain},
        {-1001, GRIDLIB_FORMAT_GXF, 10,
         "row 1 could not be read (it is missing, short, not a number or not validly coded)"},
        {-1001, GRIDLIB_FORMAT_GRID_TEXT, 10, "row 1 could not be read (it is missing, short or not validly coded)"},
        {-2999, GRIDLIB_FORMAT_SURFER7, 5000, "row 1999 could not be read " + plain},
        // Positioned reads give row 2000's status for a failed positioning too.
        {-3000, GRIDLIB_FORMAT_ER_MAPPER, 1999, "positioning within the file failed"},
        {-3000, GRIDLIB_FORMAT_BGD, 2000,
         "row 2000 could not be read " + plain + ", or positioning within the file failed"},
        // A text format never positions: its row 2000 failed.
        {-3000, GRIDLIB_FORMAT_GXF, 2000,
         "row 2000 could not be read (it is missing, short, not a number or not validly coded)"},
        {-3000, GRIDLIB_FORMAT_ESRI_ASCII, 2000, "row 2000 could not be read " + plain},
        {-3001, GRIDLIB_FORMAT_BINARY_512, 5000, "row 2001 could not be read " + plain},
        // Saturated at the most negative status, the row number does not overflow.
        {INT32_MIN, GRIDLIB_FORMAT_ESRI_ASCII, 10, "row 2147482648 could not be read " + plain},
    };
    for (const Case& c : cases) {
        const auto ihead = grid(c.format, c.rows);
        EXPECT_EQ(words(GRIDLIB_ROUTINE_GRDRDG, c.status, ihead.data()), c.expected) << c.status << " " << c.format;
    }
}

TEST(StatusText, ByteImagesAreNamedInTheirRefusal) {
    for (const std::int32_t format : {GRIDLIB_FORMAT_PCIDSK, GRIDLIB_FORMAT_BIL, GRIDLIB_FORMAT_BIP}) {
        const auto ihead = grid(format, 10);
        EXPECT_EQ(words(GRIDLIB_ROUTINE_GRDRDG, GRIDLIB_REFUSED, ihead.data()),
                  "PCIDSK, BIL and BIP byte images are not converted");
    }
    const auto esri = grid(GRIDLIB_FORMAT_ESRI_ASCII, 10);
    EXPECT_EQ(words(GRIDLIB_ROUTINE_GRDRDG, GRIDLIB_REFUSED, esri.data())->find("byte image"), std::string::npos);
}

TEST(StatusText, RefusesWhatItCannotWord) {
    EXPECT_FALSE(words(0, GRIDLIB_OK));                                  // no such routine
    EXPECT_FALSE(words(GRIDLIB_ROUTINE_COLOUR_BAR + 1, GRIDLIB_OK));
    EXPECT_FALSE(words(GRIDLIB_ROUTINE_GRDHST, -4));                     // a status it never returns
    EXPECT_FALSE(words(GRIDLIB_ROUTINE_GRDRDH, -2));
    EXPECT_FALSE(words(GRIDLIB_ROUTINE_GRDRDG, GRIDLIB_ROW_FAILED));     // row 0 is no row
    EXPECT_FALSE(words(GRIDLIB_ROUTINE_GRDRDG, -2, nullptr, 10));        // words longer than the buffer
    EXPECT_EQ(words(GRIDLIB_ROUTINE_GRDRDG, GRIDLIB_OK, nullptr, 11), "no failure");  // exactly fits
    std::int32_t routine = GRIDLIB_ROUTINE_GRDRDG, status = -2, length = 0, result = 99;
    gridlib_status_text(&routine, &status, nullptr, nullptr, &length, &result);  // no buffer
    EXPECT_EQ(result, GRIDLIB_REFUSED);
}

}  // namespace
