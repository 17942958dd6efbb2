#include "update/HttpsClient.h"
#include "LocalService.h"
#include "TestEnvironment.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

using testing_env::ReadFile;

std::string PostHeader(const std::string& path, const std::string& host, int port, size_t length) {
    return "POST " + path + " HTTP/1.0\r\nHost: " + host + ":" + std::to_string(port) +
           "\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 5.01; Windows NT 5.0)\r\n"
           "Cache-Control: no-cache\r\nAccept: */*\r\nContent-type: application/json\r\n"
           "Content-Length: " +
           std::to_string(length) + "\r\n\r\n";
}

std::string GetHeader(const std::string& path, const std::string& host, int port) {
    return "GET " + path + " HTTP/1.0\r\nHost: " + host + ":" + std::to_string(port) +
           "\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 5.01; Windows NT 5.0)\r\n"
           "Cache-Control: no-cache\r\nAccept: */*\r\nContent-type: application/json\r\n"
           "Content-Length: 0\r\n\r\n";
}

std::chrono::milliseconds Since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start);
}

TEST(HttpsUrl, SplitsHostPortAndPathOrRefuses) {
    struct Case {
        const char* url;
        int result;
        const char* host;
        int port;
        const char* path;
    } cases[] = {
        {"https://update.example.com/a/b?x=1&y=2", 0, "update.example.com", 443, "/a/b?x=1&y=2"},
        {"https://127.0.0.1:8443/mi/base?q=a:b", 0, "127.0.0.1", 8443, "/mi/base?q=a:b"},
        {"https://h.example/", 0, "h.example", 443, "/"},
        {"https://h.example/p:8443/q", 0, "h.example", 443, "/p:8443/q"},
        {"http://update.example.com/a", -1, "", 0, ""},
        {"HTTPS://update.example.com/a", -1, "", 0, ""},
        {"ftp://update.example.com/a", -1, "", 0, ""},
        {"https://update.example.com", -1, "", 0, ""},      // no path
        {"https://update.example.com:8443", -1, "", 0, ""}, // no path after the port either
        {"https://host:84x3/a", -1, "", 0, ""},
        {"https://host:70000/a", -1, "", 0, ""},
        {"https://host:/a", -1, "", 0, ""},
        {"https:///path/only", -1, "", 0, ""},
        {"https://", -1, "", 0, ""}, // shorter than 9 characters
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        char* host = nullptr;
        char* path = nullptr;
        int port = -7;
        ASSERT_EQ(https_parser_url(c.url, &host, &port, &path), c.result);
        if (c.result == 0) {
            EXPECT_STREQ(host, c.host);
            EXPECT_EQ(port, c.port);
            EXPECT_STREQ(path, c.path);
        } else {
            EXPECT_EQ(host, nullptr);
            EXPECT_EQ(path, nullptr);
        }
        std::free(host);
        std::free(path);
    }
}

TEST(HttpsUrl, RefusalsPrintTheirFixedLines) {
    char* host = nullptr;
    char* path = nullptr;
    int port = 0;
    testing::internal::CaptureStdout();
    EXPECT_EQ(https_parser_url("http://plain.example/x", &host, &port, &path), -1);
    EXPECT_EQ(https_parser_url(nullptr, &host, &port, &path), -1);
    EXPECT_EQ(https_parser_url("https://ok.example/x", nullptr, &port, &path), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "[https_demo] illegal url = http://plain.example/x.\n"
              "[https_demo] url or host or path is null.\n"
              "[https_demo] url or host or path is null.\n");
}

TEST(HttpsContext, EveryStepRefusesAContextWithoutConnection) {
    https_context_t context{};
    char buffer[16];
    testing::internal::CaptureStdout();
    EXPECT_EQ(https_get_status(&context), -1);
    EXPECT_EQ(https_read_content(&context, buffer, sizeof buffer), -1);
    EXPECT_EQ(https_read_header(&context, nullptr), -1);
    EXPECT_EQ(https_write_file(&context, "unused", 10, nullptr, nullptr), -1);
    EXPECT_EQ(https_init(nullptr, "https://h/x"), -1);
    EXPECT_EQ(https_uninit(nullptr), -1);
    EXPECT_EQ(https_uninit(&context), 0);
    EXPECT_EQ(context.socket, -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "[https_demo] get status https_context_t or ssl is null.\n"
              "[https_demo] read content https_context_t or ssl is null.\n"
              "[https_demo] get status https_context_t or ssl is null.\n"
              "[https_demo] read content https_context_t or ssl is null.\n"
              "[https_demo] init https_context_t is null.\n"
              "[https_demo] uninit https_context_t is null.\n");
}

using HttpsClient = LocalServiceTest;

TEST_F(HttpsClient, PostSendsTheTemplateAndTakesOnlyA200Body) {
    HttpInterface http(config.https);
    const std::string body = R"({"appCode":"x","grantType":"appCredential"})";
    EXPECT_EQ(http.Post(Url("/echo?a=1&b=2"), body), body);
    EXPECT_EQ(http.LastError(), HttpInterfaceNoError);
    EXPECT_EQ(http.Post(Url("/status/201"), body), "") << "201 carries a body, still not 200";
    EXPECT_EQ(http.Post(Url("/status/404"), body), "");
    EXPECT_EQ(http.Post(Url("/size/0"), body), "");

    auto requests = server->Requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[0].header,
              PostHeader("/echo?a=1&b=2", "127.0.0.1", server->Port(), body.size()));
    EXPECT_EQ(requests[0].body, body);
}

TEST_F(HttpsClient, MissingUrlIsError14ForPostAndDownload) {
    HttpInterface http(config.https);
    EXPECT_EQ(http.Post("", "{}"), "");
    EXPECT_EQ(http.LastError(), HttpInterfaceNoUrl);
    ProgressLog log;
    EXPECT_EQ(http.Download("", ProgressLog::Callback, &log, "unused"), -1);
    EXPECT_EQ(http.LastError(), 14);
    ASSERT_EQ(log.reports.size(), 1u);
    EXPECT_EQ(log.reports[0].state, -1);
    EXPECT_EQ(log.reports[0].percent, 0);
    EXPECT_TRUE(server->Requests().empty());
}

TEST_F(HttpsClient, RequestsBeyondTheTemplateLimitsFailBeforeSending) {
    HttpInterface http(config.https);
    // A POST of exactly 1023 bytes goes out; one byte more is refused.
    const size_t fixed = PostHeader("/echo", "127.0.0.1", server->Port(), 100).size();
    std::string body(kPostRequestLimit - fixed, 'b');
    ASSERT_EQ(PostHeader("/echo", "127.0.0.1", server->Port(), body.size()).size(), fixed);
    EXPECT_EQ(http.Post(Url("/echo"), body), body);
    testing::internal::CaptureStdout();
    EXPECT_EQ(http.Post(Url("/echo"), body + "b"), "");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "[https_demo] request too long.\n");
    EXPECT_EQ(server->Requests().size(), 1u);

    // The same for a GET over 2047 bytes.
    const std::string name = "KelmoraFp_Setup_1.2.2.exe";
    const size_t getFixed =
        GetHeader("/packages/" + name + "?", "127.0.0.1", server->Port()).size();
    std::string query(kGetRequestLimit - getFixed, 'q');
    auto target = fs::path(testing_env::MakeTempDir("limit")) / "pkg";
    EXPECT_GT(
        http.Download(Url("/packages/" + name + "?" + query), nullptr, nullptr, target.string()),
        0);
    EXPECT_EQ(http.Download(Url("/packages/" + name + "?" + query + "q"), nullptr, nullptr,
                            target.string()),
              -1);
    EXPECT_EQ(server->Requests().size(), 2u);
}

TEST_F(HttpsClient, PostAnswerLongerThanTheBodyBufferFailsInsteadOfBeingCut) {
    HttpInterface http(config.https);
    EXPECT_EQ(http.Post(Url("/size/4096"), "{}"), std::string(kPostBodyLimit, 'x'));
    EXPECT_EQ(http.Post(Url("/size/4097"), "{}"), "");
    EXPECT_EQ(http.Post(Url("/size/100000"), "{}"), "");
}

TEST_F(HttpsClient, DownloadSavesTheBodyAndReportsOnlyCompletionWithinTheFirstSecond) {
    platform::SetClock(std::make_shared<SteppingClock>(0));
    Configure([](ServiceBehaviour& b) { b.packageContent = std::string(50000, 'k') + "end"; });
    auto file = testing_env::MakeTempDir("dl") / "package.exe";
    HttpInterface http(config.https);
    ProgressLog log;
    EXPECT_EQ(http.Download(server->PackageAddress() + "?sll=42", ProgressLog::Callback, &log,
                            file.string()),
              50003);
    EXPECT_TRUE(http.CreatedFile());
    EXPECT_EQ(ReadFile(file), std::string(50000, 'k') + "end");
    ASSERT_EQ(log.reports.size(), 1u);
    EXPECT_EQ(log.reports[0].state, 1);
    EXPECT_EQ(log.reports[0].percent, 100);

    auto requests = server->Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].header,
              GetHeader("/packages/KelmoraFp_Setup_1.2.2.exe?sll=42", "127.0.0.1", server->Port()));
}

TEST_F(HttpsClient, ProgressAfterTheFirstSecondRisesToAHundredForAnySize) {
    // Every clock reading is a second later, so every chunk reports. Sizes below 100 bytes used
    // to divide by zero; 199 bytes used to report 199 %.
    platform::SetClock(std::make_shared<SteppingClock>(1000));
    for (size_t size : {1u, 99u, 100u, 199u, 30000u}) {
        SCOPED_TRACE(size);
        Configure([&](ServiceBehaviour& b) { b.packageContent = std::string(size, 'p'); });
        auto file = testing_env::MakeTempDir("progress") / "p.bin";
        HttpInterface http(config.https);
        ProgressLog log;
        ASSERT_EQ(
            http.Download(server->PackageAddress(), ProgressLog::Callback, &log, file.string()),
            static_cast<long long>(size));
        ASSERT_GE(log.reports.size(), 2u);
        int last = 0;
        for (size_t i = 0; i + 1 < log.reports.size(); ++i) {
            EXPECT_EQ(log.reports[i].state, 0);
            EXPECT_GE(log.reports[i].percent, last);
            EXPECT_LE(log.reports[i].percent, 100);
            last = log.reports[i].percent;
        }
        EXPECT_EQ(last, 100) << "the last chunk completes the body";
        EXPECT_EQ(log.reports.back().state, 1);
        EXPECT_EQ(log.reports.back().percent, 100);
    }
}

TEST_F(HttpsClient, DownloadFailuresReportMinusOne) {
    struct Case {
        const char* what;
        std::function<void(ServiceBehaviour&)> change;
        bool leavesFile;
    } cases[] = {
        {"no Content-Length", [](ServiceBehaviour& b) { b.sendContentLength = false; }, false},
        {"body cut short", [](ServiceBehaviour& b) { b.cutShortBy = 10; }, true},
        {"status 404", [](ServiceBehaviour& b) { b.packageStatus = 404; }, false},
        {"empty body", [](ServiceBehaviour& b) { b.packageContent.clear(); }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        server->SetBehaviour(ServiceBehaviour{});
        Configure([](ServiceBehaviour& b) { b.packageContent = std::string(20000, 'c'); });
        Configure(c.change);
        auto file = testing_env::MakeTempDir("fail") / "p.bin";
        HttpInterface http(config.https);
        ProgressLog log;
        EXPECT_EQ(
            http.Download(server->PackageAddress(), ProgressLog::Callback, &log, file.string()),
            -1);
        ASSERT_FALSE(log.reports.empty());
        EXPECT_EQ(log.reports.back().state, -1);
        EXPECT_EQ(log.reports.back().percent, 0);
        EXPECT_EQ(http.CreatedFile(), c.leavesFile);
        EXPECT_EQ(fs::exists(file), c.leavesFile);
    }
}

TEST_F(HttpsClient, OnlyAVerifiedCertificateForTheRightHostIsAccepted) {
    TestCertificateAuthority otherCa("Somebody Else's CA");
    auto otherCaFile = testing_env::MakeTempDir("ca") / "other.pem";
    ASSERT_TRUE(otherCa.WritePem(otherCaFile));
    struct Case {
        const char* what;
        TlsIdentity identity;
        std::string host;
        std::string caBundle;
        bool accepted;
    };
    Case cases[] = {
        {"test CA, IP address", LoopbackIdentity(), "127.0.0.1", TestCaFile(), true},
        {"test CA, host name", LoopbackIdentity(), "localhost", TestCaFile(), true},
        {"system trust store", LoopbackIdentity(), "127.0.0.1", "", false},
        {"another CA", LoopbackIdentity(), "127.0.0.1", otherCaFile.string(), false},
        {"self-signed by another CA", otherCa.IssueServer({"localhost"}, {"127.0.0.1"}),
         "127.0.0.1", TestCaFile(), false},
        {"name of another host", TestCa().IssueServer({"update.example.com"}, {}), "localhost",
         TestCaFile(), false},
        {"address of another host", TestCa().IssueServer({}, {"127.0.0.2"}), "127.0.0.1",
         TestCaFile(), false},
        {"missing CA bundle", LoopbackIdentity(), "127.0.0.1", "/nonexistent/ca.pem", false},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(c.identity);
        UpdateTestServer tls(std::move(c.identity));
        ASSERT_TRUE(tls.Start());
        HttpsOptions options = config.https;
        options.caBundle = c.caBundle;
        HttpInterface http(options);
        const std::string url = "https://" + c.host + ":" + std::to_string(tls.Port()) + "/echo";
        testing::internal::CaptureStdout();
        std::string answer = http.Post(url, "{}");
        std::string log = testing::internal::GetCapturedStdout();
        EXPECT_EQ(answer, c.accepted ? "{}" : "");
        EXPECT_EQ(tls.Requests().size(), c.accepted ? 1u : 0u)
            << "nothing may reach an unverified server";
        if (!c.accepted && c.caBundle != "/nonexistent/ca.pem") {
            EXPECT_NE(log.find("[https_demo] certificate verify fail"), std::string::npos) << log;
        }
        tls.Stop();
    }
}

TEST_F(HttpsClient, StalledServerFailsWithinTheReadTimeOut) {
    config.https.readTimeoutMs = 200;
    for (Stall stall : {Stall::Handshake, Stall::Header, Stall::Body}) {
        SCOPED_TRACE(static_cast<int>(stall));
        Configure([&](ServiceBehaviour& b) {
            b.stall = stall;
            b.packageContent = std::string(40000, 's');
        });
        HttpInterface http(config.https);
        auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(http.Post(Url("/echo"), "{\"stall\":1}"), "");
        EXPECT_LT(Since(start).count(), 2500);

        auto file = testing_env::MakeTempDir("stall") / "p.bin";
        ProgressLog log;
        start = std::chrono::steady_clock::now();
        EXPECT_EQ(
            http.Download(server->PackageAddress(), ProgressLog::Callback, &log, file.string()),
            -1);
        EXPECT_GE(Since(start).count(), 150);
        EXPECT_LT(Since(start).count(), 2500);
        ASSERT_FALSE(log.reports.empty());
        EXPECT_EQ(log.reports.back().state, -1);
    }
}

TEST_F(HttpsClient, UnreachableServerFailsAtOnce) {
    uint16_t port = server->Port();
    server->Stop();
    HttpInterface http(config.https);
    testing::internal::CaptureStdout();
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(http.Post("https://127.0.0.1:" + std::to_string(port) + "/echo", "{}"), "");
    EXPECT_LT(Since(start).count(), 1500);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "[http_demo] create_request_socket connect fail.\n"
              "[https_demo] create_request_socket fail.\n");
}

TEST(HttpsConnect, HostThatNeverAnswersFailsAfterTheConnectTimeOut) {
    ASSERT_TRUE(platform::StartSockets());
    // A listener with a full queue leaves further connection attempts unanswered.
    platform::SocketHandle full = platform::ListenTcp("127.0.0.1", 0, 0);
    ASSERT_NE(full, platform::kNoSocket);
    const std::string url =
        "https://127.0.0.1:" + std::to_string(platform::SocketLocalPort(full)) + "/echo";
    HttpsOptions options;
    options.caBundle = TestCaFile();
    options.connectTimeoutMs = 200;
    options.readTimeoutMs = 200;
    std::vector<platform::SocketHandle> queued;
    bool timedOut = false;
    for (int i = 0; i < 8 && !timedOut; ++i) {
        testing::internal::CaptureStdout();
        auto start = std::chrono::steady_clock::now();
        int socket = create_request_socket("127.0.0.1", platform::SocketLocalPort(full), options);
        std::string log = testing::internal::GetCapturedStdout();
        if (socket >= 0) {
            queued.push_back(socket);
            continue;
        }
        EXPECT_EQ(log, "[http_demo] create_request_socket connect timeout.\n"
                       "[http_demo] create_request_socket connect fail.\n");
        EXPECT_LT(Since(start).count(), 2500);
        timedOut = true;
        // The whole request gives up the same way.
        start = std::chrono::steady_clock::now();
        testing::internal::CaptureStdout();
        EXPECT_EQ(HttpInterface(options).Post(url, "{}"), "");
        testing::internal::GetCapturedStdout();
        EXPECT_GE(Since(start).count(), 150);
        EXPECT_LT(Since(start).count(), 2500);
    }
    for (auto s : queued)
        platform::CloseSocket(s);
    platform::CloseSocket(full);
    if (!timedOut)
        GTEST_SKIP() << "this system queued every connection; the time-out could not be reached";
}

} // namespace
