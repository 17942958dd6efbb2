#include "platform/DynamicLibrary.h"
#include "platform/Paths.h"
#include "platform/TextCodec.h"

#include <windows.h>

namespace platform {

std::string SharedLibraryFileName(const std::string& baseName) {
    return baseName + ".dll";
}

std::unique_ptr<DynamicLibrary> DynamicLibrary::Open(const std::string& baseName) {
    const std::wstring base = Utf8ToWide(baseName);
    const std::wstring file = base + L".dll";
    HMODULE module = nullptr;
    // A copy already in the process is used as it is (its reference count taken once more, so
    // that freeing ours leaves the other user's alone).
    if (HMODULE loaded = GetModuleHandleW(base.c_str())) {
        wchar_t path[MAX_PATH * 2] = {};
        if (GetModuleFileNameW(loaded, path, DWORD(std::size(path))))
            module = LoadLibraryW(path);
    }
    if (!module)
        module = LoadLibraryW((ExecutableDir() / file).c_str());
    if (!module)
        module = LoadLibraryW(file.c_str());
    if (!module)
        return nullptr;
    return std::unique_ptr<DynamicLibrary>(new DynamicLibrary(module));
}

DynamicLibrary::~DynamicLibrary() {
    FreeLibrary(static_cast<HMODULE>(handle_));
}

void* DynamicLibrary::Symbol(const char* name) const {
    if (!name)
        return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

} // namespace platform
