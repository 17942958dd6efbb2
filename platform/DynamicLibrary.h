#pragma once
// A shared library bound at run time (dlopen / LoadLibraryW) and its entries looked up by name.
#include <memory>
#include <string>

namespace platform {

class DynamicLibrary {
public:
    // Binds the library of this base name ("JMUsbDll"): a copy already loaded in the process
    // (Windows: GetModuleHandleW), else the file beside the executable, else the system's search.
    // The file is "<base>.dll" on Windows and "lib<base>.so" elsewhere. Null when none loads.
    static std::unique_ptr<DynamicLibrary> Open(const std::string& baseName);

    ~DynamicLibrary();
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;

    // The exported entry of this name, or null.
    void* Symbol(const char* name) const;

private:
    explicit DynamicLibrary(void* handle) : handle_(handle) {}
    void* handle_;
};

// "<base>.dll" on Windows, "lib<base>.so" elsewhere.
std::string SharedLibraryFileName(const std::string& baseName);

} // namespace platform
