#include "shell/TextFormat.h"

#include "platform/CodePage.h"

#include <cstdio>

std::wstring FormatSize(int64_t bytes) {
    double value = static_cast<double>(bytes);
    const char* unit = "";
    if (value > 1073741824.0) {
        value *= 1.0 / 1073741824.0;
        unit = "GB";
    } else if (value > 1048576.0) {
        value *= 1.0 / 1048576.0;
        unit = "MB";
    } else if (value > 1024.0) {
        value *= 1.0 / 1024.0;
        unit = "KB";
    } else {
        value = 0.0;
    }
    char text[64];
    std::snprintf(text, sizeof text, "%.2lf%s", value, unit);
    return std::wstring(text, text + std::char_traits<char>::length(text));
}

std::wstring AnsiToWide(std::string_view narrow) {
    std::wstring wide = platform::SystemCodePageToWide(narrow);
    return wide.substr(0, wide.find(L'\0'));
}

std::string WideToAnsi(std::wstring_view wide) {
    std::string narrow = platform::WideToSystemCodePage(wide);
    return narrow.substr(0, narrow.find('\0'));
}
