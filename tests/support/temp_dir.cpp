#include "support/temp_dir.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace gridlib::testing {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "gridlib-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string TempDir::file(std::string_view name) const { return path_ + "/" + std::string(name); }

void write_file(const std::string& path, std::string_view content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

void write_file(const std::string& path, const std::vector<std::byte>& content) {
    write_file(path, std::string_view(reinterpret_cast<const char*>(content.data()), content.size()));
}

std::string read_text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::byte> read_file(const std::string& path) {
    const std::string s = read_text(path);
    std::vector<std::byte> out(s.size());
    std::memcpy(out.data(), s.data(), s.size());
    return out;
}

ByteWriter& ByteWriter::raw(const void* p, std::size_t n) {
    const auto* b = static_cast<const std::byte*>(p);
    const std::size_t at = bytes_.size();
    bytes_.insert(bytes_.end(), b, b + n);
    if (big_endian_) std::reverse(bytes_.begin() + static_cast<std::ptrdiff_t>(at), bytes_.end());
    return *this;
}

ByteWriter& ByteWriter::text(std::string_view s) {
    for (char c : s) bytes_.push_back(static_cast<std::byte>(c));
    return *this;
}

ByteWriter& ByteWriter::zeros(std::size_t n) {
    bytes_.insert(bytes_.end(), n, std::byte{0});
    return *this;
}

ByteWriter& ByteWriter::pad_to(std::size_t size) {
    if (bytes_.size() < size) zeros(size - bytes_.size());
    return *this;
}

}  // namespace gridlib::testing
