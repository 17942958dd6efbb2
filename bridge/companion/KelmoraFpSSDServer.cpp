// Stand-in for the companion service that runs beside KelmoraFp. It does nothing but stay
// running until it is stopped, so that the launcher and the main window find a real process
// (and, registered, a real service) of the expected names.
//
//   KelmoraFpSSDServer             run until stopped (as a service when the system starts it)
//   KelmoraFpSSDServer install     register this program as the service "KelmoraFpSSDServer"
//   KelmoraFpSSDServer uninstall   remove that service
#include "platform/Process.h"
#include "platform/Services.h"

#include <cstdio>
#include <string_view>

namespace {
constexpr wchar_t kServiceName[] = L"KelmoraFpSSDServer";
}

int main(int argc, char** argv) {
    const std::string_view command = argc > 1 ? argv[1] : "";
    if (command == "install")
        return platform::RegisterServiceProgram(kServiceName, platform::OwnExecutablePath()) ? 0
                                                                                             : 1;
    if (command == "uninstall")
        return platform::RequestServiceDeletion(kServiceName) ==
                       platform::ServiceDeletion::Requested
                   ? 0
                   : 1;
    if (!command.empty()) {
        std::fprintf(stderr, "usage: KelmoraFpSSDServer [install|uninstall]\n");
        return 2;
    }
    return platform::RunServiceUntilStopped(kServiceName);
}
