#include "update/PackageDownload.h"
#include "LocalService.h"
#include "RecordingMessageSink.h"
#include "TestEnvironment.h"

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

using testing_env::ReadFile;

void WriteFile(const fs::path& file, const std::string& content) {
    std::ofstream(file, std::ios::binary) << content;
}

std::string Encode(const std::string& source, size_t size = kEncodedUrlSize,
                   int* result = nullptr) {
    std::string out(size, '#');
    int n = EncodeUrl(source.data(), source.size(), out.data(), out.size());
    if (result)
        *result = n;
    return n < 0 ? (out[0] == '\0' ? std::string("<empty>") : std::string("<not emptied>"))
                 : out.substr(0, static_cast<size_t>(n));
}

TEST(EncodeUrl, EscapesEverythingButTheAddressCharacters) {
    struct Case {
        std::string source;
        std::string encoded;
    } cases[] = {
        {"https://h.example:8443/dir/pkg.exe?sll=123&x=a_b-c",
         "https://h.example:8443/dir/pkg.exe?sll=123&x=a_b-c"},
        {"AZaz09&-./:=?_", "AZaz09&-./:=?_"},
        {"/Kelmora Setup.exe", "/Kelmora%20Setup.exe"},
        {"/100%", "/100%25"},
        {"/a%20b", "/a%2520b"}, // an escape already present is escaped again
        {"a+b~c#d", "a%2bb%7ec%23d"},
        {"caf\xc3\xa9", "caf%c3%a9"}, // bytes above 127 stay two digits
        {std::string("a\0b", 3), "a%00b"},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        int n = 0;
        EXPECT_EQ(Encode(c.source, kEncodedUrlSize, &n), c.encoded);
        EXPECT_EQ(n, static_cast<int>(c.encoded.size()));
    }
}

TEST(EncodeUrl, EncodedTextStaysBelow255Characters) {
    struct Case {
        size_t plain;
        size_t escaped;
        bool fits;
    } cases[] = {
        {254, 0, true}, {255, 0, false}, {400, 0, false}, {251, 1, true}, {252, 1, false},
        {0, 84, true},  {0, 85, false},  {2, 84, true},   {3, 84, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.plain << " plain, " << c.escaped << " escaped");
        std::string source = std::string(c.escaped, ' ') + std::string(c.plain, 'a');
        int n = 0;
        std::string out = Encode(source, kEncodedUrlSize, &n);
        if (c.fits) {
            EXPECT_EQ(n, static_cast<int>(c.plain + 3 * c.escaped));
        } else {
            EXPECT_EQ(n, -1);
            EXPECT_EQ(out, "<empty>");
        }
    }
}

TEST(EncodeUrl, TooLongSourceLogsError3AndSmallBuffersAreNeverOverrun) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(Encode(std::string(255, 'a')), "<empty>");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "error3\n");

    // The destination's own size bounds the output as well.
    std::string out(12, '#');
    out.back() = '!';
    EXPECT_EQ(EncodeUrl("abcdefghijk", 11, out.data(), 11), -1);
    EXPECT_EQ(out[0], '\0');
    EXPECT_EQ(out.back(), '!');
    EXPECT_EQ(EncodeUrl("abc def", 7, out.data(), 11), 9);
    EXPECT_EQ(std::string(out.c_str()), "abc%20def");
    EXPECT_EQ(EncodeUrl(nullptr, 3, out.data(), 11), -1);
    EXPECT_EQ(EncodeUrl("abc", 3, nullptr, 11), -1);
}

TEST(Md5OfFile, GivesTheKnownDigests) {
    std::string million(1000000, 'a');
    struct Case {
        std::string content;
        const char* digest;
    } cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
        {std::string(63, 'a'), "b06521f39153d618550606be297466d5"},
        {std::string(64, 'a'), "014842d480b571495a4a0363793f7367"},
        {std::string(65, 'a'), "c743a45e0d2e6a95cb859adae0248435"},
        {million, "7707d6ae4e027c70eea2a935c2296f21"},
    };
    auto dir = testing_env::MakeTempDir("md5");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content.size());
        WriteFile(dir / "f", c.content);
        FILE* file = std::fopen((dir / "f").string().c_str(), "rb");
        ASSERT_NE(file, nullptr);
        char out[40];
        std::memset(out, '#', sizeof out);
        ASSERT_EQ(Md5OfFile(out, file), 0);
        EXPECT_EQ(std::string(out), c.digest);
    }
}

TEST(Md5OfFile, RefusesFilesOf2GBAndMore) {
    auto file = testing_env::MakeTempDir("big") / "sparse.bin";
    WriteFile(file, "");
    std::error_code ec;
    fs::resize_file(file, uint64_t(1) << 31, ec);
    if (ec)
        GTEST_SKIP() << "cannot make a 2 GB sparse file here: " << ec.message();
    FILE* f = std::fopen(file.string().c_str(), "rb");
    ASSERT_NE(f, nullptr);
    char out[33] = {};
    testing::internal::CaptureStderr();
    EXPECT_EQ(Md5OfFile(out, f), -1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Sorry! Can not calculate files which larger than 2 GB!\n");
    EXPECT_EQ(out[0], '\0');
    EXPECT_EQ(Md5OfFile(out, nullptr), -1);
}

TEST(DownloadProgress, ReachesTheWindowAsTheSentProgressMessage) {
    auto sink = std::make_shared<testing_env::RecordingMessageSink>();
    platform::SetMessageSink(sink);
    int window = 0;
    SendDownloadProgress(0, 37, &window);
    SendDownloadProgress(1, 100, &window);
    SendDownloadProgress(-1, 0, &window);
    platform::SetMessageSink(nullptr);
    auto messages = sink->Messages();
    ASSERT_EQ(messages.size(), 3u);
    const int expected[] = {37, 100, 0};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(messages[i].window, &window);
        EXPECT_EQ(messages[i].message, 2025u);
        EXPECT_EQ(messages[i].wParam, static_cast<platform::WParam>(expected[i]));
        EXPECT_EQ(messages[i].lParam, 0);
        EXPECT_TRUE(messages[i].sent);
    }
}

class PackageDownloadTest : public LocalServiceTest {
protected:
    void SetUp() override {
        LocalServiceTest::SetUp();
        platform::SetMessageSink(sink);
        folder = testing_env::MakeTempDir("folder");
    }
    void TearDown() override {
        platform::SetMessageSink(nullptr);
        LocalServiceTest::TearDown();
    }

    PackageDownload Run() { return DownloadPackage(results, folder.string(), &window, config); }

    std::vector<std::string> PackageRequests() const {
        std::vector<std::string> targets;
        for (const auto& r : server->Requests())
            if (r.method == "GET")
                targets.push_back(r.target);
        return targets;
    }

    std::shared_ptr<testing_env::RecordingMessageSink> sink =
        std::make_shared<testing_env::RecordingMessageSink>();
    fs::path folder;
    UpdateResults results;
    int window = 0;
};

TEST_F(PackageDownloadTest, SavesAndVerifiesThePackageTheServiceNames) {
    platform::SetClock(std::make_shared<SteppingClock>(1000));
    const std::string content(100000, 'K');
    Configure([&](ServiceBehaviour& b) {
        b.packageContent = content;
        b.versionOut = "010201"; // not newer: it is downloaded all the same
    });
    PackageDownload d = Run();
    EXPECT_EQ(d.result, DownloadResult::Verified);
    EXPECT_EQ(fs::path(d.filePath), folder / "KelmoraFp_Setup_1.2.2.exe");
    EXPECT_EQ(ReadFile(d.filePath), content);
    EXPECT_EQ(results.Snapshot().packageDigest, server->PackageDigest());

    auto targets = PackageRequests();
    ASSERT_EQ(targets.size(), 1u);
    EXPECT_EQ(targets[0].rfind("/packages/KelmoraFp_Setup_1.2.2.exe?sll=", 0), 0u) << targets[0];
    EXPECT_EQ(targets[0].find("?", targets[0].find("?sll=") + 1), std::string::npos);

    auto messages = sink->Messages();
    ASSERT_GE(messages.size(), 2u);
    platform::WParam last = 0;
    for (const auto& m : messages) {
        EXPECT_EQ(m.message, kDownloadProgressMessage);
        EXPECT_EQ(m.window, &window);
        EXPECT_TRUE(m.sent);
        EXPECT_GE(m.wParam, last);
        last = m.wParam;
    }
    EXPECT_EQ(last, 100u);
}

TEST_F(PackageDownloadTest, EachAttemptCarriesExactlyOneFreshSuffix) {
    ASSERT_EQ(Run().result, DownloadResult::Verified);
    ASSERT_EQ(Run().result, DownloadResult::Verified);
    auto targets = PackageRequests();
    ASSERT_EQ(targets.size(), 2u);
    for (const auto& t : targets) {
        size_t at = t.find("?sll=");
        ASSERT_NE(at, std::string::npos) << t;
        EXPECT_EQ(t.find("?sll=", at + 1), std::string::npos) << t;
    }
}

TEST_F(PackageDownloadTest, DigestThatDiffersKeepsTheFile) {
    for (bool uppercase : {false, true}) {
        SCOPED_TRACE(uppercase ? "digest in capitals" : "digest of another file");
        Configure([&](ServiceBehaviour& b) {
            b.md5Uppercase = uppercase;
            b.md5 = uppercase ? std::optional<std::string>() : "00000000000000000000000000000000";
        });
        PackageDownload d = Run();
        EXPECT_EQ(d.result, DownloadResult::DigestMismatch);
        EXPECT_EQ(ReadFile(d.filePath), server->Behaviour().packageContent);
        fs::remove(d.filePath);
    }
}

TEST_F(PackageDownloadTest, FailedTransferRemovesWhatItWrote) {
    struct Case {
        const char* what;
        std::function<void(ServiceBehaviour&)> change;
    } cases[] = {
        {"body cut short", [](ServiceBehaviour& b) { b.cutShortBy = 1; }},
        {"no Content-Length", [](ServiceBehaviour& b) { b.sendContentLength = false; }},
        {"status 404", [](ServiceBehaviour& b) { b.packageStatus = 404; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        server->SetBehaviour(ServiceBehaviour{});
        Configure([](ServiceBehaviour& b) { b.packageContent = std::string(64 * 1024, 'z'); });
        Configure(c.change);
        sink = std::make_shared<testing_env::RecordingMessageSink>();
        platform::SetMessageSink(sink);
        PackageDownload d = Run();
        EXPECT_EQ(d.result, DownloadResult::TransferFailed);
        EXPECT_FALSE(fs::exists(d.filePath));
        auto messages = sink->Messages();
        ASSERT_FALSE(messages.empty());
        EXPECT_EQ(messages.back().wParam, 0u) << "the failure report resets the bar";
    }
    EXPECT_TRUE(fs::is_empty(folder));
}

TEST_F(PackageDownloadTest, StalledPackageServerFailsWithinTheReadTimeOut) {
    // The package lies on a second server that stops in the middle of the body.
    UpdateTestServer stalled(LoopbackIdentity());
    ServiceBehaviour s;
    s.packageName = "stalled.bin";
    s.packageContent = std::string(64 * 1024, 'z');
    s.stall = Stall::Body;
    stalled.SetBehaviour(s);
    ASSERT_TRUE(stalled.Start());
    Configure([&](ServiceBehaviour& b) { b.downloadAddress = stalled.PackageAddress(); });
    config.https.readTimeoutMs = 300;
    auto start = std::chrono::steady_clock::now();
    PackageDownload d = Run();
    auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(d.result, DownloadResult::TransferFailed);
    EXPECT_FALSE(fs::exists(d.filePath));
    EXPECT_LT(elapsed, std::chrono::milliseconds(2500));
    stalled.Stop();
}

TEST_F(PackageDownloadTest, AnOlderFileOfThatNameSurvivesAFailedConnection) {
    // The service names a package on a port where nothing listens.
    UpdateTestServer gone(LoopbackIdentity());
    ASSERT_TRUE(gone.Start());
    const std::string deadHost = gone.Host();
    gone.Stop();
    Configure([&](ServiceBehaviour& b) {
        b.downloadAddress = "https://" + deadHost + "/packages/KelmoraFp_Setup_1.2.2.exe";
    });
    WriteFile(folder / "KelmoraFp_Setup_1.2.2.exe", "the user's own copy");
    EXPECT_EQ(Run().result, DownloadResult::TransferFailed);
    EXPECT_EQ(ReadFile(folder / "KelmoraFp_Setup_1.2.2.exe"), "the user's own copy");
}

TEST_F(PackageDownloadTest, FailedCheckDownloadsNothing) {
    Configure([](ServiceBehaviour& b) { b.tokenStateMsg = "Success"; });
    PackageDownload d = Run();
    EXPECT_EQ(d.result, DownloadResult::CheckFailed);
    EXPECT_TRUE(PackageRequests().empty());
    EXPECT_TRUE(sink->Messages().empty());
    EXPECT_TRUE(fs::is_empty(folder));
}

TEST_F(PackageDownloadTest, FileNameIsTheLastPartOfTheAddress) {
    struct Case {
        const char* what;
        std::string address; // after "https://<host>"
        std::string fileName;
        DownloadResult result;
    } cases[] = {
        {"query in the last part", "/packages/KelmoraFp_Setup_1.2.2.exe?x=1",
         "KelmoraFp_Setup_1.2.2.exe?x=1", DownloadResult::Verified},
        {"no name after the last slash", "/packages/", "", DownloadResult::BadAddress},
        {"parent folder", "/packages/..", "..", DownloadResult::BadAddress},
        {"no path after the host", "", "", DownloadResult::TransferFailed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Configure([&](ServiceBehaviour& b) {
            b.downloadAddress = "https://" + server->Host() + c.address;
        });
        PackageDownload d = Run();
        EXPECT_EQ(d.result, c.result);
        if (c.result == DownloadResult::Verified) {
            EXPECT_EQ(fs::path(d.filePath), folder / c.fileName);
        }
    }
}

TEST_F(PackageDownloadTest, AddressTooLongToEncodeFailsWithError3) {
    // 255 characters or more once "?sll=<ticks>" is appended.
    std::string longName(230, 'n');
    Configure([&](ServiceBehaviour& b) {
        b.packageName = longName;
        b.downloadAddress = "https://" + server->Host() + "/" + longName;
    });
    testing::internal::CaptureStdout();
    PackageDownload d = Run();
    std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(d.result, DownloadResult::BadAddress);
    EXPECT_NE(log.find("error3\n"), std::string::npos) << log;
    EXPECT_TRUE(PackageRequests().empty());
    EXPECT_TRUE(fs::is_empty(folder));
}

} // namespace
