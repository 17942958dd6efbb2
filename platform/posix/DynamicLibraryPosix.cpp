#include "platform/DynamicLibrary.h"
#include "platform/Paths.h"

#include <dlfcn.h>

namespace platform {

std::string SharedLibraryFileName(const std::string& baseName) {
    return "lib" + baseName + ".so";
}

std::unique_ptr<DynamicLibrary> DynamicLibrary::Open(const std::string& baseName) {
    const std::string file = SharedLibraryFileName(baseName);
    // Beside the executable first, as the program finds its bridge library in the field.
    void* handle = dlopen((ExecutableDir() / file).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return nullptr;
    return std::unique_ptr<DynamicLibrary>(new DynamicLibrary(handle));
}

DynamicLibrary::~DynamicLibrary() {
    dlclose(handle_);
}

void* DynamicLibrary::Symbol(const char* name) const {
    return name ? dlsym(handle_, name) : nullptr;
}

} // namespace platform
