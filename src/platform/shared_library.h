// A shared library loaded when it is first needed rather than when the
// program starts. The libraries behind some grid formats (libnetcdf with
// HDF5 and curl beneath it, libgeotiff with PROJ) bring some fifty more, and
// loading them costs every run milliseconds that only a run reading such a
// grid should pay.
#pragma once

#include <string>

namespace gridlib::platform {

// Never unloaded: libraries such as HDF5 register handlers that run at exit
// and would then point into unmapped code. The handle ends with the process.
class SharedLibrary {
public:
    // Loads the library of that file name (its soname); loaded() tells
    // whether that succeeded.
    explicit SharedLibrary(const std::string& name);
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    bool loaded() const { return handle_ != nullptr; }
    // The address of a symbol; nullptr when the library or the symbol is missing.
    void* symbol(const char* name) const;

    // Sets each function pointer to the symbol of its name; false when one is missing.
    template <typename Function>
    bool bind(Function*& function, const char* name) const {
        function = reinterpret_cast<Function*>(symbol(name));
        return function != nullptr;
    }

private:
    void* handle_ = nullptr;
};

}  // namespace gridlib::platform
