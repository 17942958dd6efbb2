#include "update/UpdateConfig.h"

#include "platform/Environment.h"

#include <charconv>

namespace {

void ReadTimeout(const char* variable, uint32_t& value) {
    auto text = platform::GetEnv(variable);
    if (!text || text->empty())
        return;
    uint32_t parsed = 0;
    const char* end = text->data() + text->size();
    auto [ptr, ec] = std::from_chars(text->data(), end, parsed);
    if (ec == std::errc() && ptr == end && parsed > 0)
        value = parsed;
}

} // namespace

UpdateConfig CurrentUpdateConfig() {
    UpdateConfig config;
    config.serviceHost = kDefaultUpdateHost;
    if (auto host = platform::GetEnv(kUpdateHostVariable); host && !host->empty())
        config.serviceHost = *host;
    if (auto bundle = platform::GetEnv(kUpdateCaBundleVariable); bundle && !bundle->empty())
        config.https.caBundle = *bundle;
    ReadTimeout(kUpdateConnectTimeoutVariable, config.https.connectTimeoutMs);
    ReadTimeout(kUpdateReadTimeoutVariable, config.https.readTimeoutMs);
    return config;
}
