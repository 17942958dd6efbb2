#include "platform/Environment.h"

#include <cstdlib>

namespace platform {

std::optional<std::string> GetEnv(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    if (!value)
        return std::nullopt;
    return std::string(value);
}

void SetEnv(const std::string& name, const std::string& value) {
    ::setenv(name.c_str(), value.c_str(), 1);
}

} // namespace platform
