#pragma once
// The entry of KelmoraFp: language, single instance, skin and fonts, the main window, and the
// teardown in order. The system services it uses come through KelmoraFpSystem, so that tests
// can stand in for them.
#include <optional>
#include <string>
#include <string_view>

class KelmoraFpSystem {
public:
    enum class MutexResult { Created, AlreadyExists, Failed };

    virtual ~KelmoraFpSystem() = default;
    // A top-level window of that class and title, if one exists, made topmost / raised.
    virtual void MakeWindowTopmost(std::wstring_view className, std::wstring_view title) = 0;
    virtual void RaiseWindow(std::wstring_view className, std::wstring_view title) = 0;
    // The named mutex that marks a running instance; the system releases it when the process
    // ends.
    virtual MutexResult CreateInstanceMutex(std::wstring_view name) = 0;
    // Called once the main window exists: a later start's RaiseWindow reaches it.
    virtual void ListenForSecondStart(void* mainWindowHandle) = 0;
    // COM and OLE (nothing to do where they do not exist).
    virtual bool InitializeCom() = 0;
    virtual void UninitializeCom() = 0;
    // The bytes of a resource of the program ("ZIPRES" 151, "OTF" 145-158, "ICON" 115).
    virtual std::optional<std::string> LoadResource(int id, const char* type) = 0;
    virtual void ShowMessageBox(std::wstring_view text, std::wstring_view caption) = 0;
};

// Runs the program; always returns 0.
int KelmoraFpMain(KelmoraFpSystem& system, int& argc, char** argv);
