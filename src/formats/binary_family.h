// The binary grids whose headers state an element size and a storage order
// code (the 512-byte-header grid, the 24-byte-header grid, "TOOL", "K" and
// Surfer grids): their drivers share one planner for the values, which lie
// from the data offset on as rows or columns of 2-, 4- or 8-byte elements.
#pragma once

#include "formats/driver.h"
#include "rows/storage_order.h"

namespace gridlib::formats {

// These formats keep their element size in bytes in the value-type word; the
// 512-byte header puts a minus sign on it for the elements its second byte flags.
inline std::int64_t element_size(const DescriptorView& d) { return rows::magnitude(d.value_type()); }
inline void set_element_size(DescriptorView& d, std::int32_t bytes, bool flagged = false) {
    d.value_type() = flagged ? -bytes : bytes;
}
inline void set_element_size(DescriptorView& d, ElementSize e) { set_element_size(d, static_cast<std::int32_t>(e)); }
constexpr std::int64_t bytes_of(ElementSize e) { return static_cast<std::int64_t>(e); }

struct BinaryFamilyRules {
    // Each block of 64 values is preceded by one element that is not a value.
    bool blocks_of_64 = false;
    // Stored rows begin in the south whatever the storage order code says.
    bool always_south_first = false;
    // The tolerance within which 4-byte reals match the header's null value,
    // 0 when they are not compared; other element sizes always are, within
    // kNullTolerance.
    double real_null_tolerance = 0;
};

// Plans the reads of the open grid file: 2-byte integers, 4-byte or 8-byte
// reals (2 or 4 for blocks of 64), any other size is not handled; stored
// rows are taken byte for byte, as the files written for this reader expect,
// while stored columns honour the byte-order word.
Status plan_binary_family(platform::File file, const RowRequest& request, const BinaryFamilyRules& family,
                          rows::ReadPlan& plan);
// The same, opening the grid file first (refused when it cannot be opened).
Status plan_binary_family(const RowRequest& request, const BinaryFamilyRules& family, rows::ReadPlan& plan);

}  // namespace gridlib::formats
