// Helpers shared by the C entry points: every exported routine validates its
// pointers, turns fixed-length texts into C++ strings and never lets an
// exception cross the boundary.
#pragma once

#include <cstdint>
#include <string_view>

namespace gridlib::capi {

// A fixed-length text argument as a view; an absent text or a negative
// length gives an empty view.
inline std::string_view text_arg(const char* text, const std::int32_t* length) {
    if (!text || !length || *length <= 0) return {};
    return {text, static_cast<std::size_t>(*length)};
}

inline void set_status(std::int32_t* status, std::int32_t value) {
    if (status) *status = value;
}

}  // namespace gridlib::capi
