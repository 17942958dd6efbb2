#pragma once
// Internal to the platform layer: the system's own message box behind ShowMessageBox.
#include <string_view>

namespace platform::detail {

void ShowSystemMessageBox(std::wstring_view text, std::wstring_view caption);

} // namespace platform::detail
