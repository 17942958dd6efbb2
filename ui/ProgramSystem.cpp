#include "ui/ProgramSystem.h"

#include "ui/ProgramResources.h"

#include <QMessageBox>

ProgramSystem::ProgramSystem(std::filesystem::path runtimeFolder)
    : folder_(std::move(runtimeFolder)) {}

void ProgramSystem::MakeWindowTopmost(std::wstring_view, std::wstring_view) {
    // Windows of other programs cannot be found by class here: nothing to do.
}

void ProgramSystem::RaiseWindow(std::wstring_view, std::wstring_view) {
    SecondStartChannel(folder_ / (name_ + L".socket")).Knock();
}

KelmoraFpSystem::MutexResult ProgramSystem::CreateInstanceMutex(std::wstring_view name) {
    name_ = name;
    mutex_ = std::make_unique<InstanceMutex>(name_, folder_);
    switch (mutex_->Create()) {
    case InstanceMutex::Result::Created:
        return MutexResult::Created;
    case InstanceMutex::Result::AlreadyExists:
        return MutexResult::AlreadyExists;
    case InstanceMutex::Result::Failed:
        break;
    }
    return MutexResult::Failed;
}

void ProgramSystem::ListenForSecondStart(void* mainWindowHandle) {
    channel_ = std::make_unique<SecondStartChannel>(folder_ / (name_ + L".socket"));
    channel_->Listen([mainWindowHandle] { RaiseMainWindow(mainWindowHandle); });
}

std::optional<std::string> ProgramSystem::LoadResource(int id, const char* type) {
    return LoadProgramResource(id, type);
}

void ProgramSystem::ShowMessageBox(std::wstring_view text, std::wstring_view caption) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdWString(std::wstring(caption)),
                    QString::fromStdWString(std::wstring(text)), QMessageBox::Ok);
    box.exec();
}
