// A fresh directory per test, removed with everything in it afterwards, and
// small helpers to write and read whole files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace gridlib::testing {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // path() + "/" + name
    std::string file(std::string_view name) const;

private:
    std::string path_;
};

void write_file(const std::string& path, std::string_view content);
void write_file(const std::string& path, const std::vector<std::byte>& content);
std::vector<std::byte> read_file(const std::string& path);
std::string read_text(const std::string& path);

// Appends little-endian (or, with big_endian, big-endian) encodings of values.
class ByteWriter {
public:
    ByteWriter& i16(std::int16_t v) { return raw(&v, 2); }
    ByteWriter& i32(std::int32_t v) { return raw(&v, 4); }
    ByteWriter& f32(float v) { return raw(&v, 4); }
    ByteWriter& f64(double v) { return raw(&v, 8); }
    ByteWriter& text(std::string_view s);
    ByteWriter& zeros(std::size_t n);
    ByteWriter& big_endian(bool on) { big_endian_ = on; return *this; }
    // Pads with zero bytes up to a total size.
    ByteWriter& pad_to(std::size_t size);
    const std::vector<std::byte>& bytes() const { return bytes_; }
    std::size_t size() const { return bytes_.size(); }

private:
    ByteWriter& raw(const void* p, std::size_t n);
    std::vector<std::byte> bytes_;
    bool big_endian_ = false;
};

}  // namespace gridlib::testing
