// The service registry this layer keeps on POSIX systems (see Services.h).
#include "platform/Paths.h"
#include "platform/Services.h"
#include "platform/TextCodec.h"

#include <csignal>
#include <fstream>
#include <system_error>

namespace platform {
namespace {

std::filesystem::path RegistryFolder() {
    return ProgramDataRoot() / ".kelmora-services";
}

// A name that is not a plain file name would reach outside the registry.
bool IsValidName(std::wstring_view name) {
    return !name.empty() && name != L"." && name != L".." &&
           name.find_first_of(L"/\\") == std::wstring_view::npos &&
           name.find(L'\0') == std::wstring_view::npos;
}

std::filesystem::path EntryFile(std::wstring_view name) {
    return RegistryFolder() / (WideToUtf8(name) + ".service");
}

bool OpenRegistry() {
    std::error_code ec;
    std::filesystem::create_directories(RegistryFolder(), ec);
    return std::filesystem::is_directory(RegistryFolder(), ec);
}

} // namespace

ServiceDeletion RequestServiceDeletion(std::wstring_view name) {
    if (!OpenRegistry())
        return ServiceDeletion::ManagerUnavailable;
    if (!IsValidName(name))
        return ServiceDeletion::NoSuchService;
    std::error_code ec;
    return std::filesystem::remove(EntryFile(name), ec) ? ServiceDeletion::Requested
                                                        : ServiceDeletion::NoSuchService;
}

bool RegisterServiceProgram(std::wstring_view name, const std::filesystem::path& program) {
    if (!IsValidName(name) || !OpenRegistry())
        return false;
    if (IsServiceRegistered(name))
        return true;
    std::ofstream out(EntryFile(name), std::ios::binary | std::ios::trunc);
    out << PathToUtf8(std::filesystem::absolute(program)) << '\n';
    out.close();
    return !out.fail();
}

bool IsServiceRegistered(std::wstring_view name) {
    std::error_code ec;
    return IsValidName(name) && std::filesystem::is_regular_file(EntryFile(name), ec);
}

int RunServiceUntilStopped(std::wstring_view /*name*/) {
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGTERM);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);
    int signal = 0;
    while (sigwait(&stop, &signal) != 0) {
    }
    return 0;
}

} // namespace platform
