#include "platform/Environment.h"
#include "platform/TextCodec.h"

#include <cstdlib>

namespace platform {

std::optional<std::string> GetEnv(const std::string& name) {
    const wchar_t* value = _wgetenv(Utf8ToWide(name).c_str());
    if (!value)
        return std::nullopt;
    return WideToUtf8(value);
}

void SetEnv(const std::string& name, const std::string& value) {
    _wputenv_s(Utf8ToWide(name).c_str(), Utf8ToWide(value).c_str());
}

} // namespace platform
