// What only the Windows build has: the launcher's image (GUI subsystem, manifest asking for
// administrator rights) and the companion stand-in run by the service control manager.
#ifdef _WIN32
#include "LauncherTestSupport.h"
#include "platform/Services.h"

#include <cstring>
#include <windows.h>

namespace launcher_test {
namespace {

TEST(ZavuvidaImageTest, IsAWindowlessGuiProgramWhoseManifestAsksForAdministratorRights) {
    const fs::path program = BuiltProgram(L"Zavuvida.exe");
    const std::string image = ReadBytes(program);
    ASSERT_GT(image.size(), 0x200u) << program;
    uint32_t peOffset = 0;
    std::memcpy(&peOffset, image.data() + 0x3C, sizeof peOffset);
    // Signature (4), file header (20), then the optional header with Subsystem at offset 68.
    uint16_t subsystem = 0;
    ASSERT_LT(peOffset + 4 + 20 + 70, image.size());
    std::memcpy(&subsystem, image.data() + peOffset + 4 + 20 + 68, sizeof subsystem);
    EXPECT_EQ(subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);

    HMODULE module = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(resource, nullptr) << "no manifest";
    const char* text = static_cast<const char*>(LockResource(LoadResource(module, resource)));
    const std::string manifest(text, SizeofResource(module, resource));
    FreeLibrary(module);
    EXPECT_NE(manifest.find("level=\"requireAdministrator\""), std::string::npos) << manifest;
}

// Closes a service control manager handle.
struct Sc {
    SC_HANDLE h;
    ~Sc() {
        if (h)
            CloseServiceHandle(h);
    }
};

DWORD ServiceState(SC_HANDLE service) {
    SERVICE_STATUS status{};
    return QueryServiceStatus(service, &status) ? status.dwCurrentState : 0;
}

TEST(CompanionServiceTest, RunsAsARegisteredServiceUntilItsStopControl) {
    const fs::path program = BuiltProgram(L"KelmoraFpSSDServer.exe");
    if (!fs::exists(program))
        GTEST_SKIP() << "the companion stand-in KelmoraFpSSDServer was not built";
    ASSERT_TRUE(platform::RegisterServiceProgram(L"KelmoraFpSSDServer", program));
    Sc manager{OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT)};
    ASSERT_NE(manager.h, nullptr);
    {
        Sc service{OpenServiceW(manager.h, L"KelmoraFpSSDServer",
                                SERVICE_START | SERVICE_STOP | SERVICE_QUERY_STATUS)};
        ASSERT_NE(service.h, nullptr) << GetLastError();
        ASSERT_TRUE(StartServiceW(service.h, 0, nullptr)) << GetLastError();
        EXPECT_TRUE(WaitUntil([&] { return ServiceState(service.h) == SERVICE_RUNNING; }));
        EXPECT_TRUE(launcher::IsProcessRunning(L"KelmoraFpSSDServer.exe"));

        SERVICE_STATUS status{};
        EXPECT_TRUE(ControlService(service.h, SERVICE_CONTROL_STOP, &status));
        EXPECT_TRUE(WaitUntil([&] { return ServiceState(service.h) == SERVICE_STOPPED; }));
        EXPECT_TRUE(
            WaitUntil([] { return !launcher::IsProcessRunning(L"KelmoraFpSSDServer.exe"); }));
    }
    EXPECT_EQ(platform::RequestServiceDeletion(L"KelmoraFpSSDServer"),
              platform::ServiceDeletion::Requested);
    EXPECT_FALSE(platform::IsServiceRegistered(L"KelmoraFpSSDServer"));
}

} // namespace
} // namespace launcher_test
#endif
