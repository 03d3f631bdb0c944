// Free-format reading of the converter's option values and prompt answers:
// one value per text, leading blanks skipped, the value ending at a blank or
// a comma (numbers also at a slash), or enclosed in apostrophes or quotes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace rastrify {

struct FreeField {
    enum class Kind {
        none,   // only blanks: a reader of console lines goes on to the next line
        null,   // a separator before any value: the value is empty
        value,
    };
    Kind kind = Kind::none;
    std::string text;
    bool quoted = false;
};

// Whether a slash ends an unquoted value. File names keep it, because it is
// this platform's directory separator; numbers end at it.
enum class SlashEnds { no, yes };

// The first value of text. A quoted value may hold blanks, commas and slashes;
// a doubled quote character inside it stands for one.
FreeField first_field(std::string_view text, SlashEnds slash);

// The first value of text read as a number. Empty when the text holds no value
// or the value is not entirely a number of that kind; reals must be finite and
// within the range of a 32-bit real. Reals may use E, e, D or d for the exponent.
std::optional<std::int32_t> free_integer(std::string_view text);
std::optional<float> free_real(std::string_view text);

}  // namespace rastrify
