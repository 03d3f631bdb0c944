// Line reading for text headers: LF, CR and CR LF all end a line, and the
// file is left exactly after the bytes consumed so other reads can follow.
#include "text/lines.h"

#include <algorithm>

namespace gridlib::text {

std::size_t read_line(platform::File& file, std::span<char> line) {
    std::fill(line.begin(), line.end(), ' ');
    std::size_t n = 0;
    // Scans the file's own buffer rather than byte by byte: header lines of
    // text grids can be very long, and the position stays exact either way.
    while (n < line.size()) {
        const std::span<const char> ahead = file.buffered();
        if (ahead.empty()) return n;  // end of file (or a read error) ends the line
        const std::size_t room = std::min(ahead.size(), line.size() - n);
        const auto end = std::find_if(ahead.begin(), ahead.begin() + static_cast<std::ptrdiff_t>(room),
                                      [](char c) { return c == '\n' || c == '\r'; });
        const auto taken = static_cast<std::size_t>(end - ahead.begin());
        std::copy(ahead.begin(), end, line.begin() + static_cast<std::ptrdiff_t>(n));
        n += taken;
        if (taken < room) {
            const char terminator = *end;
            file.consume(taken + 1);
            // CR LF is one terminator; a CR followed by anything else leaves
            // that byte to begin the next line.
            if (terminator == '\r' && file.peek_byte() == '\n') file.consume(1);
            return n;
        }
        file.consume(taken);
    }
    return n;
}

}  // namespace gridlib::text
