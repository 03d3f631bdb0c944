// Which header reader serves which format code.
#include "headers/header_reader.h"

namespace gridlib::headers {

HeaderReader reader_for(std::int32_t format_code) {
    switch (static_cast<FormatCode>(format_code)) {
        case FormatCode::gxf: return read_gxf_header;
        case FormatCode::esri_ascii: return read_esri_ascii_header;
        // Not read yet: ER Mapper, the binary grids, PCIDSK, BIL/BIP and
        // "$$GRID$$" headers. Their files are recognised, and the call ends
        // with the presets applied and status 0.
        default: return nullptr;
    }
}

}  // namespace gridlib::headers
