// Written numbers: the one grammar by which the library recognises a number
// in text (header fields, the rows of text grids, and through
// gridlib_read_real the converter's option values), and its conversion to
// the nearest real of a type.
#pragma once

#include <cstddef>
#include <string_view>

namespace gridlib::text {

// How an exponent may be introduced. Fortran writes D or d before a double
// precision exponent, and drops the letter when the exponent needs three
// digits ("1.5+103"): the rows of text grids, written by such programs,
// accept that form; header fields and option values do not.
enum class Exponents { lettered, lettered_or_signed };

// A number at the start of a text: a sign, digits with at most one decimal
// point (one digit at least), then an exponent of one digit at least after
// E, e, D or d (and its sign), which is left out when it has no digit:
// "2E" and "2E+" are 2.
struct WrittenNumber {
    std::size_t length = 0;     // the characters it takes; 0 when no number starts there
    bool negative = false;
    std::string_view mantissa;  // its digits and point
    std::string_view exponent;  // the exponent's sign and digits; empty when there is none

    // The nearest value of type T (float or double), rounded once; beyond
    // the range of T an infinity, below it a zero, with the number's sign.
    template <typename T>
    T nearest() const;
};

// The longest number at the very start of text.
WrittenNumber scan_number(std::string_view text, Exponents exponents);

}  // namespace gridlib::text
