#include "update/UpdateCheck.h"
#include "LocalService.h"
#include "platform/Environment.h"

namespace {

const char* const kExpectedTokenTarget =
    "/mi/base/security/authorize/getaccesstoken?accessToken=0&timeStamp=20200226095201"
    "&clientType=B102&clientChannel=D101&clientVer=010000&deviceType=P0601";
const char* const kExpectedTokenBody =
    R"({"appCode":"3e9ab2c7d15f4e08a6b3c9d2e7f10a4b","appSecret":"9c2e5b7a1d4f8e3c6b0a2d5f7e9c1b3a",)"
    R"("grantType":"appCredential","appVersionOut":"010000"})";
const char* const kExpectedVersionBody =
    R"({"appCode":"3e9ab2c7d15f4e08a6b3c9d2e7f10a4b","appSecret" : )"
    R"("9c2e5b7a1d4f8e3c6b0a2d5f7e9c1b3a","grantType" : "appCredential","appVersionOut" : )"
    R"("010000", "appVersionIn" : "010000", "deviceType" : "P0601", "deviceNum" : "P060101", )"
    R"("firmCode" : "d4e7a1c9b3f5e2d8c6a0b4f7e1d3c5a9", "firmSecret" : )"
    R"("5f1b9d3e7c2a6f0d8b4e1c9a3f7d2b6e", "firmVersionIn" : "010000", "firmVersionOut" : )"
    R"("010000", "firmNum" : "F070008", "hardCode" : "e8c3a7f1d5b9e2c6a4f0d8b3e7c1a5f9", )"
    R"("hardSecret" : "1a7e3c9f2b6d8a0e5c4f7b2d9e1a6c3f", "hardVersionIn" : "010000", )"
    R"("hardVersionOut" : "010000", "language" : "EN"})";

using UpdateCheck = LocalServiceTest;

TEST_F(UpdateCheck, AsksForATokenThenForTheVersionWithIt) {
    Configure([](ServiceBehaviour& b) { b.accessToken = "tok-7f3a"; });
    UpdateResults results;
    ASSERT_EQ(CheckForUpdate(results, nullptr, config), 1);

    auto requests = server->Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].target, kExpectedTokenTarget);
    EXPECT_EQ(requests[0].body, kExpectedTokenBody);
    EXPECT_EQ(requests[0].body.size(), 146u);
    EXPECT_EQ(requests[1].method, "POST");
    EXPECT_EQ(requests[1].target,
              "/mi/base/resources/version/upgradeapp?accessToken=tok-7f3a&timeStamp="
              "20200226095201&clientType=B102&clientChannel=D101&clientVer=010000&deviceType="
              "P0601");
    EXPECT_EQ(requests[1].body, kExpectedVersionBody);
    EXPECT_EQ(requests[1].body.size(), 584u);
    EXPECT_NE(requests[1].header.find("Content-Length: 584\r\n"), std::string::npos);
}

TEST_F(UpdateCheck, StoresTheAnswerAndJudgesTheVersion) {
    struct Case {
        const char* versionOut;
        int updateAvailable;
        const char* text;
    } cases[] = {
        {"010201", 0, "1.2.1"}, {"010202", 1, "1.2.2"}, {"020000", 1, "2.0.0"},
        {"010200", 0, "1.2.0"}, {"0a0b0c", 1, "a.b.c"}, {"", 0, "1.2.1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.versionOut);
        Configure([&](ServiceBehaviour& b) {
            b.versionOut = c.versionOut;
            b.downloadAddress = "https://cdn.example.com/pkg/KelmoraFp_Setup.exe";
            b.md5 = "0123456789abcdef0123456789abcdef";
        });
        UpdateResults results;
        UpdateInfo mine;
        ASSERT_EQ(CheckForUpdate(results, &mine, config), 1);
        UpdateInfo kept = results.Snapshot();
        EXPECT_EQ(kept.updateAvailable, c.updateAvailable);
        EXPECT_EQ(kept.newVersionText, c.text);
        EXPECT_EQ(kept.downloadAddress, L"https://cdn.example.com/pkg/KelmoraFp_Setup.exe");
        EXPECT_EQ(kept.packageDigest, "0123456789abcdef0123456789abcdef");
        EXPECT_EQ(mine.downloadAddress, kept.downloadAddress);
        EXPECT_EQ(mine.packageDigest, kept.packageDigest);
    }
}

TEST(VersionJudgement, ComparesTheSixDigitTextsBytewise) {
    struct Case {
        const char* versionOut;
        int updateAvailable;
        const char* text;
    } cases[] = {
        {"010201", 0, "1.2.1"},    {"0102010", 1, "1.2.1"}, // longer sorts after
        {"01", 0, "1.2.1"},        {"1", 1, "1.2.1"},       // "1" > "0": newer, yet unreadable
        {"ffffff", 1, "ff.ff.ff"}, {"0102zz", 1, "1.2.1"},  {"zz", 1, "1.2.1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.versionOut);
        VersionVerdict v = JudgeServiceVersion(c.versionOut);
        EXPECT_EQ(v.updateAvailable, c.updateAvailable);
        EXPECT_EQ(v.newVersionText, c.text);
    }
}

TEST_F(UpdateCheck, AnyFaultInTheAnswersEndsTheCheckWithZero) {
    struct Case {
        const char* what;
        std::function<void(ServiceBehaviour&)> change;
        size_t requests; // how far the check got
    } cases[] = {
        {"token \"Success\"", [](ServiceBehaviour& b) { b.tokenStateMsg = "Success"; }, 1},
        {"token without data", [](ServiceBehaviour& b) { b.tokenData = DataMember::Missing; }, 1},
        {"token with null data", [](ServiceBehaviour& b) { b.tokenData = DataMember::Null; }, 1},
        {"token data not an object", [](ServiceBehaviour& b) { b.tokenData = DataMember::Text; },
         1},
        {"token status 201", [](ServiceBehaviour& b) { b.tokenStatus = 201; }, 1},
        {"token not JSON", [](ServiceBehaviour& b) { b.tokenBody = "<html>busy</html>"; }, 1},
        {"token is an array", [](ServiceBehaviour& b) { b.tokenBody = "[1,2]"; }, 1},
        {"token value an object", [](ServiceBehaviour& b) { b.nonStringMember = "accessToken"; },
         1},
        {"version \"fail\"", [](ServiceBehaviour& b) { b.versionStateMsg = "fail"; }, 2},
        {"version without data", [](ServiceBehaviour& b) { b.versionData = DataMember::Missing; },
         2},
        {"version status 500", [](ServiceBehaviour& b) { b.versionStatus = 500; }, 2},
        {"versionOut an object", [](ServiceBehaviour& b) { b.nonStringMember = "versionOut"; }, 2},
        {"md5Str an object", [](ServiceBehaviour& b) { b.nonStringMember = "md5Str"; }, 2},
        {"empty download address", [](ServiceBehaviour& b) { b.downloadAddress = ""; }, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // A successful check first: a failed one keeps its results but empties the digest.
        server->SetBehaviour(ServiceBehaviour{});
        Configure([](ServiceBehaviour& b) { b.versionOut = "020100"; });
        UpdateResults results;
        ASSERT_EQ(CheckForUpdate(results, nullptr, config), 1);
        const UpdateInfo before = results.Snapshot();
        ASSERT_FALSE(before.packageDigest.empty());

        Configure(c.change);
        server->ClearRequests();
        UpdateInfo mine;
        mine.updateAvailable = 42;
        EXPECT_EQ(CheckForUpdate(results, &mine, config), 0);
        EXPECT_EQ(server->Requests().size(), c.requests);
        UpdateInfo after = results.Snapshot();
        EXPECT_EQ(after.packageDigest, "");
        EXPECT_EQ(after.downloadAddress, before.downloadAddress);
        EXPECT_EQ(after.updateAvailable, 1);
        EXPECT_EQ(after.newVersionText, "2.1.0");
        EXPECT_EQ(mine.updateAvailable, 42) << "a failed check hands back nothing";
    }
}

TEST_F(UpdateCheck, NothingToAskBeforeTheFirstAnswer) {
    UpdateResults results;
    EXPECT_EQ(results.Snapshot().updateAvailable, -1);
    server->Stop();
    EXPECT_EQ(CheckForUpdate(results, nullptr, config), 0);
    EXPECT_EQ(results.Snapshot().updateAvailable, -1);
    EXPECT_EQ(results.Snapshot().downloadAddress, L"");
}

TEST(UpdateConfiguration, EnvironmentOverridesTheDefaults) {
    struct Restore {
        ~Restore() {
            for (const char* v : {kUpdateHostVariable, kUpdateCaBundleVariable,
                                  kUpdateConnectTimeoutVariable, kUpdateReadTimeoutVariable})
                platform::SetEnv(v, "");
        }
    } restore;
    UpdateConfig defaults = CurrentUpdateConfig();
    EXPECT_EQ(defaults.serviceHost, kDefaultUpdateHost);
    EXPECT_EQ(defaults.https.caBundle, "");
    EXPECT_GT(defaults.https.connectTimeoutMs, 0u);
    EXPECT_GT(defaults.https.readTimeoutMs, 0u);

    platform::SetEnv(kUpdateHostVariable, "127.0.0.1:8443");
    platform::SetEnv(kUpdateCaBundleVariable, "/tmp/ca.pem");
    platform::SetEnv(kUpdateConnectTimeoutVariable, "1500");
    platform::SetEnv(kUpdateReadTimeoutVariable, "250");
    UpdateConfig set = CurrentUpdateConfig();
    EXPECT_EQ(set.serviceHost, "127.0.0.1:8443");
    EXPECT_EQ(set.https.caBundle, "/tmp/ca.pem");
    EXPECT_EQ(set.https.connectTimeoutMs, 1500u);
    EXPECT_EQ(set.https.readTimeoutMs, 250u);

    for (const char* bad : {"0", "-5", "12s", "99999999999"}) {
        SCOPED_TRACE(bad);
        platform::SetEnv(kUpdateReadTimeoutVariable, bad);
        EXPECT_EQ(CurrentUpdateConfig().https.readTimeoutMs, defaults.https.readTimeoutMs);
    }
}

TEST_F(UpdateCheck, EnvironmentPointsTheCheckAtALocalService) {
    struct Restore {
        ~Restore() {
            platform::SetEnv(kUpdateHostVariable, "");
            platform::SetEnv(kUpdateCaBundleVariable, "");
        }
    } restore;
    platform::SetEnv(kUpdateHostVariable, server->Host());
    platform::SetEnv(kUpdateCaBundleVariable, TestCaFile());
    UpdateResults results;
    EXPECT_EQ(CheckForUpdate(results), 1);
    EXPECT_EQ(server->Requests().size(), 2u);
}

} // namespace
