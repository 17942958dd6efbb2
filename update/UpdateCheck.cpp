#include "update/UpdateCheck.h"

#include "platform/CodePage.h"
#include "platform/Socket.h"
#include "update/HttpsClient.h"

#include <json/json.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

namespace {

const char* const kTokenAddress =
    "/mi/base/security/authorize/getaccesstoken?accessToken=0&timeStamp=20200226095201&"
    "clientType=B102&clientChannel=D101&clientVer=010000&deviceType=P0601";
const char* const kTokenBody =
    "{\"appCode\":\"3e9ab2c7d15f4e08a6b3c9d2e7f10a4b\",\"appSecret\":"
    "\"9c2e5b7a1d4f8e3c6b0a2d5f7e9c1b3a\",\"grantType\":\"appCredential\",\"appVersionOut\":"
    "\"010000\"}";
const char* const kVersionAddressHead = "/mi/base/resources/version/upgradeapp?accessToken=";
const char* const kVersionAddressTail =
    "&timeStamp=20200226095201&clientType=B102&clientChannel=D101&clientVer=010000&deviceType="
    "P0601";
const char* const kVersionBody =
    "{\"appCode\":\"3e9ab2c7d15f4e08a6b3c9d2e7f10a4b\",\"appSecret\" : "
    "\"9c2e5b7a1d4f8e3c6b0a2d5f7e9c1b3a\",\"grantType\" : \"appCredential\",\"appVersionOut\" : "
    "\"010000\", \"appVersionIn\" : \"010000\", \"deviceType\" : \"P0601\", \"deviceNum\" : "
    "\"P060101\", \"firmCode\" : \"d4e7a1c9b3f5e2d8c6a0b4f7e1d3c5a9\", \"firmSecret\" : "
    "\"5f1b9d3e7c2a6f0d8b4e1c9a3f7d2b6e\", \"firmVersionIn\" : \"010000\", \"firmVersionOut\" : "
    "\"010000\", \"firmNum\" : \"F070008\", \"hardCode\" : \"e8c3a7f1d5b9e2c6a4f0d8b3e7c1a5f9\", "
    "\"hardSecret\" : \"1a7e3c9f2b6d8a0e5c4f7b2d9e1a6c3f\", \"hardVersionIn\" : \"010000\", "
    "\"hardVersionOut\" : \"010000\", \"language\" : \"EN\"}";

// The fields of one answer as text. All stay empty unless the answer parses and has a "data"
// member that is not null. Throws Json::Exception for values that cannot be read as text.
struct Answer {
    std::string stateCode;
    std::string stateMsg;
    std::map<std::string, std::string> data;
};

Answer ReadAnswer(const std::string& text, const std::vector<const char*>& dataMembers) {
    Answer answer;
    Json::Value root;
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    std::string errors;
    if (!reader->parse(text.data(), text.data() + text.size(), &root, &errors) || !root.isObject())
        return answer;
    const Json::Value& data = root["data"];
    if (data.isNull())
        return answer;
    answer.stateCode = root["stateCode"].asString();
    answer.stateMsg = root["stateMsg"].asString();
    for (const char* member : dataMembers)
        answer.data[member] = data[member].asString();
    return answer;
}

} // namespace

UpdateInfo UpdateResults::Snapshot() const {
    std::lock_guard lock(mutex_);
    return info_;
}

VersionVerdict JudgeServiceVersion(const std::string& versionOut) {
    unsigned parts[3] = {0, 0, 0};
    std::string own = kProgramVersion;
    for (char& c : own)
        if (c == '.')
            c = ' ';
    std::sscanf(own.c_str(), "%2x %2x %2x", &parts[0], &parts[1], &parts[2]);
    char ownHex[16];
    std::snprintf(ownHex, sizeof ownHex, "%02x%02x%02x", parts[0], parts[1], parts[2]);

    VersionVerdict verdict;
    verdict.updateAvailable = std::strcmp(versionOut.c_str(), ownHex) > 0 ? 1 : 0;
    std::sscanf(versionOut.c_str(), "%02x%02x%02x", &parts[0], &parts[1], &parts[2]);
    char text[32];
    std::snprintf(text, sizeof text, "%x.%x.%x", parts[0], parts[1], parts[2]);
    verdict.newVersionText = text;
    return verdict;
}

int CheckForUpdate(UpdateResults& results, UpdateInfo* thisCheck, const UpdateConfig& config) {
    {
        std::lock_guard lock(results.mutex_);
        results.info_.packageDigest.clear();
    }
    platform::StartSockets();
    const std::string service = "https://" + config.serviceHost;
    HttpInterface http(config.https);
    try {
        Answer token = ReadAnswer(http.Post(service + kTokenAddress, kTokenBody),
                                  {"accessToken", "expiresIn"});
        if (token.stateMsg != "success")
            return 0;
        Answer version =
            ReadAnswer(http.Post(service + kVersionAddressHead + token.data["accessToken"] +
                                     kVersionAddressTail,
                                 kVersionBody),
                       {"versionOut", "download", "loop", "md5Str", "remark", "attention"});
        if (version.stateMsg != "success")
            return 0;

        UpdateInfo info;
        info.downloadAddress = platform::SystemCodePageToWide(version.data["download"]);
        if (info.downloadAddress.empty())
            return 0; // nothing to download from: the conversion failed or there was no text
        info.packageDigest = version.data["md5Str"];
        VersionVerdict verdict = JudgeServiceVersion(version.data["versionOut"]);
        info.updateAvailable = verdict.updateAvailable;
        info.newVersionText = verdict.newVersionText;
        {
            std::lock_guard lock(results.mutex_);
            results.info_ = info;
        }
        if (thisCheck)
            *thisCheck = std::move(info);
        return 1;
    } catch (const std::exception&) {
        // A value of another type than text, null or true/false.
        return 0;
    }
}
