// PCIDSK, BIL and BIP byte images: recognised, so that a grid reader can say
// what they are, but their headers are not read yet and their values are
// never read into a working grid.
#include "formats/driver.h"

namespace gridlib::formats {
namespace {

bool pcidsk_signature(const FirstBytes& b, DescriptorView&) { return b.starts_with("PCIDSK  "); }

// A BIL or BIP raster keeps its header in a ".hdr" file beside it, the
// raster's name with its last four characters replaced.
std::string hdr_file(const std::string& raster) {
    return raster.substr(0, raster.size() >= 4 ? raster.size() - 4 : 0) + ".hdr";
}

constexpr std::string_view kPcidskExtensions[] = {".pix", ".PIX"};
constexpr ContentTest kPcidskContentTests[] = {pcidsk_signature};
constexpr std::string_view kBilExtensions[] = {".bil", ".BIL"};
constexpr std::string_view kBipExtensions[] = {".bip", ".BIP"};

}  // namespace

constinit const Driver pcidsk_driver{
    .format = FormatCode::pcidsk,
    .extensions = kPcidskExtensions,
    .content_tests = kPcidskContentTests,
};

constinit const Driver bil_driver{
    .format = FormatCode::bil,
    .extensions = kBilExtensions,
    .header_file = hdr_file,
};

constinit const Driver bip_driver{
    .format = FormatCode::bip,
    .extensions = kBipExtensions,
    .header_file = hdr_file,
};

}  // namespace gridlib::formats
