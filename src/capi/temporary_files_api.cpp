// C entry points of the temporary files: the one table of files to remove on
// a signal lives in the library, so that its own temporary images and the
// caller's files are removed alike.
#include "gridlib.h"

#include "capi/c_args.h"
#include "platform/cleanup.h"

#include <algorithm>

extern "C" void gridlib_create_temporary_file(const char* directory, const int32_t* directory_length,
                                              const char* prefix, const int32_t* prefix_length, const char* suffix,
                                              const int32_t* suffix_length, char* name, const int32_t* name_length,
                                              int32_t* status) noexcept {
    using namespace gridlib;
    if (!name || !name_length || *name_length <= 0) {
        capi::set_status(status, GRIDLIB_REFUSED);
        return;
    }
    try {
        const auto capacity = static_cast<std::size_t>(*name_length);
        // An empty directory text is the current directory; a given one gets its separator.
        std::string dir = capi::FileName(directory, directory_length).path;
        if (!dir.empty() && !dir.ends_with('/')) dir += '/';
        const std::string text_prefix(capi::FileName(prefix, prefix_length).path);
        const std::string text_suffix(capi::FileName(suffix, suffix_length).path);
        // A name ending in a blank would lose it on the way back: a caller
        // that passes the name as a blank-padded text, without its NUL, names
        // another file. Refused, rather than made under a name not asked for.
        if (text_suffix.ends_with(' ')) {
            capi::set_status(status, GRIDLIB_REFUSED);
            return;
        }
        // Refused before the file exists when the name cannot fit.
        if (dir.size() + text_prefix.size() + platform::unique_part_length() + text_suffix.size() >= capacity) {
            capi::set_status(status, GRIDLIB_REFUSED);
            return;
        }
        const auto created = platform::create_registered_unique_file(dir, text_prefix, text_suffix);
        if (!created || created->size() >= capacity) {
            if (created) platform::remove_registered_file(*created);
            capi::set_status(status, GRIDLIB_REFUSED);
            return;
        }
        std::fill(name, name + capacity, '\0');
        std::copy(created->begin(), created->end(), name);
        capi::set_status(status, GRIDLIB_OK);
    } catch (...) {
        capi::set_status(status, GRIDLIB_REFUSED);
    }
}

extern "C" void gridlib_remove_temporary_file(const char* name, const int32_t* name_length) noexcept {
    try {
        const gridlib::capi::FileName file(name, name_length);
        if (!file.path.empty()) gridlib::platform::remove_registered_file(file.path);
    } catch (...) {
    }
}

extern "C" void gridlib_remove_temporary_files_on_signals() noexcept {
    gridlib::platform::remove_registered_files_on_signals();
}
