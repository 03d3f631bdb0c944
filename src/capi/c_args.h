// Helpers shared by the C entry points: every exported routine validates its
// pointers, turns fixed-length texts into C++ strings here and nowhere else,
// and never lets an exception cross the boundary.
#pragma once

#include "descriptor/grid_descriptor.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace gridlib::capi {

// A fixed-length text argument as a view; an absent text or a negative
// length gives an empty view.
inline std::string_view text_arg(const char* text, const std::int32_t* length) {
    if (!text || !length || *length <= 0) return {};
    return {text, static_cast<std::size_t>(*length)};
}

// A file name held in a fixed-length text: it ends at the first NUL, or
// else at the last non-blank character.
struct FileName {
    std::string path;
    bool starts_with_nul = false;
    bool ends_at_nul = false;

    explicit FileName(std::string_view text) {
        if (const auto nul = text.find('\0'); nul != std::string_view::npos) {
            starts_with_nul = nul == 0;
            ends_at_nul = true;
            path = text.substr(0, nul);
            return;
        }
        const auto last = text.find_last_not_of(' ');
        if (last != std::string_view::npos) path = text.substr(0, last + 1);
    }
    FileName(const char* text, const std::int32_t* length) : FileName(text_arg(text, length)) {}

    // Blank-padded names of one character are taken for slips: a name that
    // is meant to be that short ends at a NUL.
    bool too_short() const { return !ends_at_nul && path.size() < 2; }
    bool blank() const { return path.find_first_not_of(' ') == std::string::npos; }
};

inline void set_status(std::int32_t* status, std::int32_t value) {
    if (status) *status = value;
}

// The descriptor of a routine that only reads it. DescriptorView has no
// read-only form, so the caller's const arrays are cast here, once.
inline DescriptorView read_only_descriptor(const std::int32_t* ihead, const float* rhead) {
    return DescriptorView(const_cast<std::int32_t*>(ihead), const_cast<float*>(rhead));
}

}  // namespace gridlib::capi
