// Which header reader serves which format code.
#include "headers/header_reader.h"

namespace gridlib::headers {

HeaderReader reader_for(std::int32_t format_code) {
    switch (static_cast<FormatCode>(format_code)) {
        case FormatCode::er_mapper: return read_er_mapper_header;
        case FormatCode::binary_512: return read_binary_512_header;
        case FormatCode::gxf: return read_gxf_header;
        case FormatCode::bgd: return read_bgd_header;
        case FormatCode::esri_ascii: return read_esri_ascii_header;
        case FormatCode::binary_24: return read_binary_24_header;
        case FormatCode::tool: return read_tool_header;
        case FormatCode::k_blocks: return read_k_blocks_header;
        case FormatCode::surfer6: return read_surfer6_header;
        case FormatCode::surfer7: return read_surfer7_header;
        // Not read yet: PCIDSK, BIL/BIP and "$$GRID$$" headers. Their files
        // are recognised, and the call ends with the presets applied and status 0.
        default: return nullptr;
    }
}

}  // namespace gridlib::headers
