// Runs one format's header reader on a file of given content the way grid
// opening hands it over: the file open at its start, the descriptor as preset.
#pragma once

#include "formats/driver.h"
#include "support/temp_dir.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace gridlib::formats {

struct HeaderResult {
    Status status = 0;
    GridDescriptor g{16};
    DescriptorView d() { return g.view(); }
};

// The marks a descriptor is preset with, so that the entries a reader leaves
// alone show.
inline constexpr std::int32_t kMarkedInteger = -7;
inline constexpr float kMarkedReal = -7.5f;
inline void mark_every_entry(GridDescriptor& g) {
    g.ihead.fill(kMarkedInteger);
    g.rhead.fill(kMarkedReal);
}

// preset fills the descriptor before the reader runs: entries the format
// does not set keep what it left there.
inline HeaderResult read_header(FormatCode format, std::string_view content,
                                const std::function<void(GridDescriptor&)>& preset = {}) {
    testing::TempDir dir;
    const std::string path = dir.file("grid");
    testing::write_file(path, content);
    HeaderResult r;
    if (preset) preset(r.g);
    auto d = r.d();
    auto file = platform::File::open_read(path);
    r.status = driver_for(format)->read_header(*file, d);
    return r;
}

inline HeaderResult read_header(FormatCode format, const std::vector<std::byte>& content,
                                const std::function<void(GridDescriptor&)>& preset = {}) {
    return read_header(format, std::string_view(reinterpret_cast<const char*>(content.data()), content.size()),
                       preset);
}

// The reader run on a descriptor whose every entry is marked.
inline HeaderResult read_header_over_marks(FormatCode format, std::string_view content) {
    return read_header(format, content, mark_every_entry);
}

}  // namespace gridlib::formats
