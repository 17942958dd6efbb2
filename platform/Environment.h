#pragma once
#include <optional>
#include <string>

namespace platform {

// Environment variables as UTF-8 text (converted on Windows).
std::optional<std::string> GetEnv(const std::string& name);
void SetEnv(const std::string& name, const std::string& value);

} // namespace platform
