#include "platform/shared_library.h"

#include <dlfcn.h>

namespace gridlib::platform {

// RTLD_LOCAL: the library's symbols stay its own, never interposing on the
// program's or another library's.
SharedLibrary::SharedLibrary(const std::string& name) : handle_(::dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL)) {}

void* SharedLibrary::symbol(const char* name) const { return handle_ ? ::dlsym(handle_, name) : nullptr; }

}  // namespace gridlib::platform
