#pragma once
// The real system services of KelmoraFp's entry on this system.
#include "shell/KelmoraFpMain.h"
#include "ui/InstanceMutex.h"
#include "ui/SecondStartChannel.h"

#include <memory>

class ProgramSystem : public KelmoraFpSystem {
public:
    // `runtimeFolder` holds the instance lock and the second-start socket.
    explicit ProgramSystem(std::filesystem::path runtimeFolder = InstanceMutex::RuntimeFolder());

    void MakeWindowTopmost(std::wstring_view className, std::wstring_view title) override;
    void RaiseWindow(std::wstring_view className, std::wstring_view title) override;
    MutexResult CreateInstanceMutex(std::wstring_view name) override;
    void ListenForSecondStart(void* mainWindowHandle) override;
    bool InitializeCom() override { return true; }
    void UninitializeCom() override {}
    std::optional<std::string> LoadResource(int id, const char* type) override;
    void ShowMessageBox(std::wstring_view text, std::wstring_view caption) override;

private:
    std::filesystem::path folder_;
    std::wstring name_ = L"KelmoraFp";
    std::unique_ptr<InstanceMutex> mutex_;
    std::unique_ptr<SecondStartChannel> channel_;
};
