// Services on Windows: the service control manager and the service dispatcher.
#include "platform/Services.h"

#include <string>
#include <windows.h>

namespace platform {
namespace {

// Closes a service control manager or service handle.
struct ScHandle {
    SC_HANDLE handle;
    explicit ScHandle(SC_HANDLE h) : handle(h) {}
    ~ScHandle() {
        if (handle)
            CloseServiceHandle(handle);
    }
    ScHandle(const ScHandle&) = delete;
    ScHandle& operator=(const ScHandle&) = delete;
    explicit operator bool() const { return handle != nullptr; }
};

// State of the running service program (one per process).
std::wstring serviceName;
HANDLE stopEvent = nullptr;
SERVICE_STATUS_HANDLE statusHandle = nullptr;

void ReportStatus(DWORD state) {
    SERVICE_STATUS status{};
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    status.dwControlsAccepted =
        state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN : 0;
    SetServiceStatus(statusHandle, &status);
}

DWORD WINAPI ControlHandler(DWORD control, DWORD, void*, void*) {
    switch (control) {
    case SERVICE_CONTROL_STOP:
    case SERVICE_CONTROL_SHUTDOWN:
        ReportStatus(SERVICE_STOP_PENDING);
        SetEvent(stopEvent);
        return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE:
        return NO_ERROR;
    default:
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

void WINAPI ServiceMain(DWORD, wchar_t**) {
    statusHandle = RegisterServiceCtrlHandlerExW(serviceName.c_str(), ControlHandler, nullptr);
    if (!statusHandle)
        return;
    ReportStatus(SERVICE_RUNNING);
    WaitForSingleObject(stopEvent, INFINITE);
    ReportStatus(SERVICE_STOPPED);
}

BOOL WINAPI ConsoleHandler(DWORD) {
    SetEvent(stopEvent);
    return TRUE;
}

} // namespace

ServiceDeletion RequestServiceDeletion(std::wstring_view name) {
    ScHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE));
    if (!manager)
        return ServiceDeletion::ManagerUnavailable;
    const std::wstring serviceNameText(name);
    ScHandle service(OpenServiceW(manager.handle, serviceNameText.c_str(), SERVICE_ALL_ACCESS));
    if (!service)
        return ServiceDeletion::NoSuchService;
    DeleteService(service.handle);
    return ServiceDeletion::Requested;
}

bool RegisterServiceProgram(std::wstring_view name, const std::filesystem::path& program) {
    ScHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE));
    if (!manager)
        return false;
    const std::wstring text(name);
    const std::wstring commandLine = L"\"" + std::filesystem::absolute(program).wstring() + L"\"";
    ScHandle service(CreateServiceW(manager.handle, text.c_str(), text.c_str(), SERVICE_ALL_ACCESS,
                                    SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START,
                                    SERVICE_ERROR_NORMAL, commandLine.c_str(), nullptr, nullptr,
                                    nullptr, nullptr, nullptr));
    return service || GetLastError() == ERROR_SERVICE_EXISTS;
}

bool IsServiceRegistered(std::wstring_view name) {
    ScHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager)
        return false;
    const std::wstring text(name);
    ScHandle service(OpenServiceW(manager.handle, text.c_str(), SERVICE_QUERY_STATUS));
    return static_cast<bool>(service);
}

int RunServiceUntilStopped(std::wstring_view name) {
    serviceName = name;
    stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!stopEvent)
        return 1;
    SERVICE_TABLE_ENTRYW table[] = {{serviceName.data(), ServiceMain}, {nullptr, nullptr}};
    if (StartServiceCtrlDispatcherW(table))
        return 0; // ran as a service until its stop control
    if (GetLastError() != ERROR_FAILED_SERVICE_CONTROLLER_CONNECT)
        return 1;
    // Started as a plain program.
    SetConsoleCtrlHandler(ConsoleHandler, TRUE);
    WaitForSingleObject(stopEvent, INFINITE);
    return 0;
}

} // namespace platform
