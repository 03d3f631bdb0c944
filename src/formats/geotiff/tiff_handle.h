// A libtiff handle over our own file: libtiff reads through positioned reads
// of a platform::File rather than opening the path itself, so that file
// errors are ours to report, and its warnings and errors are counted with
// the handle instead of being printed.
#pragma once

#include "platform/file.h"

#include <cstdint>
#include <memory>
#include <string>

struct tiff;

namespace gridlib::formats::geotiff {

// Makes the GeoTIFF tags and GDAL's nodata tag known to every libtiff handle
// opened from then on, as the typed fields they are; once per process,
// whoever calls it first.
void register_geotiff_tags();

class TiffHandle {
public:
    // The first image of the TIFF file at path; nullptr when the file cannot
    // be opened or libtiff finds no readable image in it.
    static std::unique_ptr<TiffHandle> open(const std::string& path);
    ~TiffHandle();
    TiffHandle(const TiffHandle&) = delete;
    TiffHandle& operator=(const TiffHandle&) = delete;

    tiff* get() const { return tif_; }
    std::uint64_t file_size() const { return size_; }
    // How many errors libtiff reported since the handle was opened: a
    // decoder may report damage and still fill its buffer.
    std::uint64_t errors() const { return errors_; }

    // libtiff's callbacks; not for other callers.
    std::int64_t read_bytes(void* to, std::int64_t count);
    std::uint64_t seek_to(std::uint64_t offset, int whence);
    void count_error() { ++errors_; }

private:
    explicit TiffHandle(platform::File file, std::uint64_t size) : file_(std::move(file)), size_(size) {}

    platform::File file_;
    std::uint64_t size_ = 0;
    std::uint64_t position_ = 0;
    std::uint64_t errors_ = 0;
    tiff* tif_ = nullptr;
};

}  // namespace gridlib::formats::geotiff
