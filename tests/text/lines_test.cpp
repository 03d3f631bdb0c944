// Line reading: terminators, long lines, end of file, exact positions.
#include "text/lines.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>

namespace gridlib::text {
namespace {

class LineReader {
public:
    LineReader(const std::string& content, std::size_t length) : buffer_(length, '?') {
        const std::string path = dir_.file("lines.txt");
        testing::write_file(path, content);
        file_ = std::move(*platform::File::open_read(path));
    }
    std::string next() {
        const std::size_t n = read_line(file_, buffer_);
        EXPECT_EQ(buffer_.find_first_not_of(' ', n), std::string::npos) << "blank padding after the line";
        return buffer_.substr(0, n);
    }
    platform::File& file() { return file_; }

private:
    testing::TempDir dir_;
    platform::File file_;
    std::string buffer_;
};

TEST(Rdline, LfCrAndCrLfEachEndOneLine) {
    LineReader r("AB\r\nCD\rEF\n\nGH\r\rI\r", 16);
    for (const char* line : {"AB", "CD", "EF", "", "GH", "", "I", "", ""}) EXPECT_EQ(r.next(), line);
    EXPECT_EQ(r.file().position(), 17u);  // all consumed
}

TEST(Rdline, LongLinesComeInPieces) {
    LineReader r("ABCDEF\nABCD\nXY", 4);
    // The terminator of a line that fills the buffer is left for the next call.
    for (const char* line : {"ABCD", "EF", "ABCD", "", "XY", ""}) EXPECT_EQ(r.next(), line);
}

TEST(Rdline, LeavesTheFileExactlyAfterTheLine) {
    LineReader r("#GRID\r\n\x01\x02rest", 512);
    EXPECT_EQ(r.next(), "#GRID");
    EXPECT_EQ(r.file().position(), 7u);
    EXPECT_EQ(r.file().read_byte(), 1);
    EXPECT_EQ(r.file().read_byte(), 2);
    EXPECT_EQ(r.next(), "rest");

    // Longer than the platform's read buffer, so the scan crosses refills.
    const std::string big(600000, 'x');
    LineReader b(big + "\r\nend\n", big.size() + 10);
    EXPECT_EQ(b.next(), big);
    EXPECT_EQ(b.next(), "end");
}

}  // namespace
}  // namespace gridlib::text
