// C entry point of the library's number grammar, for callers that read
// numbers as the library does.
#include "gridlib.h"

#include "capi/c_args.h"
#include "text/written_numbers.h"

extern "C" void gridlib_read_real(const char* text, const int32_t* text_length, float* value,
                                  int32_t* used) noexcept {
    const gridlib::text::WrittenNumber n =
        gridlib::text::scan_number(gridlib::capi::text_arg(text, text_length), gridlib::text::Exponents::lettered);
    if (value) *value = n.length == 0 ? 0.0f : n.nearest<float>();
    if (used) *used = static_cast<int32_t>(n.length);
}
