// drivesim as a person uses it: its command line, and its state shared with another process.
#include "StandIn.h"

#include "drivesim/DriveSimCommand.h"
#include "sim/SimStore.h"

#include <cstdlib>
#include <sstream>

namespace bridge_test {
namespace {

using DriveSim = StandIn;

struct SimRun {
    int code;
    std::string out, err;
};
SimRun Sim(std::vector<std::string> args) {
    std::ostringstream out, err;
    int code = sim::RunDriveSim(args, out, err);
    return {code, out.str(), err.str()};
}

TEST_F(DriveSim, CommandsChangeTheDrives) {
    EXPECT_EQ(Sim({"attach"}).out, "1\n");
    EXPECT_EQ(Sim({"attach", "--password", "pw", "--product", "Other SSD"}).out, "2\n");
    EXPECT_EQ(Sim({"volume", "1", "--size", "1000", "--used", "0x100"}).code, 0);
    EXPECT_EQ(Sim({"fault", "1", "send-fail", "always"}).code, 0);
    EXPECT_EQ(Sim({"similarity", "1", "0x201", "100"}).code, 0);
    EXPECT_EQ(Sim({"touch", "thumb", "--drive", "1"}).code, 0);
    EXPECT_EQ(Sim({"detach", "2"}).code, 0);

    SimRun status = Sim({"status"});
    ASSERT_EQ(status.code, 0);
    for (const char* part :
         {"drive 1: on the bus", "drive 2: detached", "\"Other SSD\"", "password set, locked",
          "no password (open)", "256 of 1000", "touched by thumb", "send-fail (always)",
          "function off", "checksum valid"})
        EXPECT_NE(status.out.find(part), std::string::npos) << part << "\n" << status.out;
    EXPECT_EQ(status.out.find("pw\n"), std::string::npos);

    sim::State s;
    ASSERT_TRUE(sim::Snapshot(s));
    EXPECT_EQ(s.Find(1)->size, 1000u);
    EXPECT_EQ(s.Find(1)->similarity, (std::deque<uint16_t>{0x201, 100}));
    EXPECT_EQ(s.Find(1)->faults.at("send-fail"), -1);

    EXPECT_EQ(Sim({"plug"}).code, 0) << "plugs the first drive off the bus";
    EXPECT_EQ(Sim({"lift"}).code, 0);
    EXPECT_EQ(Sim({"fault", "1", "clear"}).code, 0);
    EXPECT_EQ(Sim({"clear"}).code, 0);
    EXPECT_NE(Sim({"status"}).out.find("no drives"), std::string::npos);
}

TEST_F(DriveSim, BadInputIsExplained) {
    Sim({"attach"});
    const struct {
        std::vector<std::string> args;
        int code;
        const char* says;
    } cases[] = {
        {{}, 2, "no command"},
        {{"fly"}, 2, "unknown command 'fly'"},
        {{"attach", "--colour", "red"}, 2, "unexpected '--colour'"},
        {{"attach", "--password", std::string(40, 'x')}, 2, "at most 31 bytes"},
        {{"detach", "x"}, 2, "not a drive number"},
        {{"detach", "9"}, 1, "no drive 9"},
        {{"plug", "1"}, 1, "already on the bus"},
        {{"touch"}, 2, "one finger name"},
        {{"touch", "thumb", "--drive"}, 2, "--drive needs"},
        {{"volume", "1"}, 2, "--size or --used"},
        {{"volume", "1", "--used", "-5"}, 2, "not a byte count"},
        {{"volume", "1", "--size", "10", "--used", "20"}, 1, "must not exceed"},
        {{"fault", "1", "melt"}, 2, "unknown kind 'melt'"},
        {{"fault", "1", "send-fail", "0"}, 2, "1 or more"},
        {{"similarity", "1", "70000"}, 2, "0..65535"},
        {{"statusbytes", "1", "0x100", "0"}, 2, "0..255"},
        {{"--dir"}, 2, "needs a folder"},
    };
    for (const auto& c : cases) {
        SimRun r = Sim(c.args);
        std::string line;
        for (const auto& a : c.args)
            line += a + " ";
        EXPECT_EQ(r.code, c.code) << line;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << line << "\n" << r.err;
    }
    SimRun help = Sim({"--help"});
    EXPECT_EQ(help.code, 0);
    for (const char* command : {"attach", "detach", "plug", "touch", "lift", "status", "volume",
                                "fault", "similarity", "statusbytes", "no-return", "bad-header"})
        EXPECT_NE(help.out.find(command), std::string::npos) << command;
}

// The program (this process, through the library) and drivesim (another process) at once.
TEST_F(DriveSim, AnotherProcessPlaysTheDriveWhileTheLibraryIsInUse) {
    std::filesystem::path tool = platform::ExecutableDir() / "drivesim";
#ifdef _WIN32
    tool += ".exe";
#endif
    if (!std::filesystem::exists(tool))
        GTEST_SKIP() << "drivesim is not beside the test executable";
    Attach();
    Symbol s = SymbolOfSlot(0);
    auto status = Entry<AP_GetSecurityStatusFn>("AP_GetSecurityStatus");
    std::atomic<bool> polling{true};
    std::atomic<int> failures{0};
    std::thread program([&] {
        while (polling) {
            unsigned char b[32] = {};
            failures += status(s.text, 3, b) != 1;
        }
    });
    std::string command = "\"";
    command.append(platform::PathToUtf8(tool)).append("\" attach --product Other");
#ifdef _WIN32
    // cmd.exe strips the outer quotes.
    command.insert(command.begin(), '"');
    command.push_back('"');
#endif
    int rc = 0;
    for (int i = 0; i < 3 && rc == 0; ++i)
        rc = std::system(command.c_str());
    polling = false;
    program.join();
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(failures, 0) << "the drive kept answering";
    EXPECT_EQ(Count(), 4) << "every attach of the other process arrived";
}

} // namespace
} // namespace bridge_test
