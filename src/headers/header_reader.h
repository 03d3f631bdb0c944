// The header readers, one per format family, and the table that picks one
// for a format code. Each reader is called with the file its header lives in
// open at offset 0 and the descriptor already preset for all formats; it
// fills the descriptor and returns 0 or its own negative failure code.
#pragma once

#include "descriptor/grid_descriptor.h"
#include "platform/file.h"

#include <cstdint>

namespace gridlib::headers {

using Status = std::int32_t;
using HeaderReader = Status (*)(platform::File& file, DescriptorView& d);

Status read_er_mapper_header(platform::File& file, DescriptorView& d);       // 1
Status read_binary_512_header(platform::File& file, DescriptorView& d);      // 2, both variants
Status read_gxf_header(platform::File& file, DescriptorView& d);             // 3
Status read_bgd_header(platform::File& file, DescriptorView& d);             // 8
Status read_esri_ascii_header(platform::File& file, DescriptorView& d);      // 9
Status read_binary_24_header(platform::File& file, DescriptorView& d);       // 10
Status read_tool_header(platform::File& file, DescriptorView& d);            // 11
Status read_k_blocks_header(platform::File& file, DescriptorView& d);        // 12
Status read_surfer6_header(platform::File& file, DescriptorView& d);         // 13
Status read_surfer7_header(platform::File& file, DescriptorView& d);         // 14

// The reader for a format code, or nullptr when the code has none (yet):
// such a header is left as the presets made it.
HeaderReader reader_for(std::int32_t format_code);

}  // namespace gridlib::headers
