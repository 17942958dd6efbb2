#pragma once
// The system's registry of services. Windows: the service control manager. POSIX systems
// have none that fits, so this layer keeps one below the data root (Paths.h): the folder
// ".kelmora-services" with one file "<name>.service" per service naming its program.
#include <filesystem>
#include <string_view>

namespace platform {

enum class ServiceDeletion {
    ManagerUnavailable, // the registry could not be opened with the right to change it
    NoSuchService,      // no service of that name, or no right to delete it
    Requested,          // deletion requested (Windows completes it once the service stops)
};
// Requests the deletion of the service without waiting for or checking its outcome.
ServiceDeletion RequestServiceDeletion(std::wstring_view name);

// Registers `program` as an own-process service started on demand; true when it is
// registered afterwards (also when it already was).
bool RegisterServiceProgram(std::wstring_view name, const std::filesystem::path& program);

bool IsServiceRegistered(std::wstring_view name);

// The body of a service program: runs until the program is stopped and returns its exit code.
// Windows: as the service `name` when the service control manager started it (stopped by its
// stop control), otherwise as a plain program (stopped by a console close or Ctrl+C, or by
// termination). POSIX: until SIGTERM, SIGINT or SIGHUP.
int RunServiceUntilStopped(std::wstring_view name);

} // namespace platform
