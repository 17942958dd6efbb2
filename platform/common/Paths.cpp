#include "platform/Paths.h"
#include "platform/TextCodec.h"

#include <algorithm>
#include <cwctype>
#include <type_traits>

namespace platform {

std::filesystem::path MapProgramDataPath(std::wstring_view windowsPath) {
    static constexpr std::wstring_view kPrefix = L"c:\\programdata";
    auto fold = [](wchar_t c) {
        return c == L'/' ? L'\\' : static_cast<wchar_t>(std::towlower(c));
    };
    const bool underRoot =
        windowsPath.size() >= kPrefix.size() &&
        std::equal(kPrefix.begin(), kPrefix.end(), windowsPath.begin(),
                   [&](wchar_t p, wchar_t c) { return p == fold(c); }) &&
        (windowsPath.size() == kPrefix.size() || fold(windowsPath[kPrefix.size()]) == L'\\');

    if (!underRoot) {
        std::wstring text(windowsPath);
        std::replace(text.begin(), text.end(), L'\\', L'/');
        return std::filesystem::path(text).make_preferred();
    }
    std::filesystem::path result = ProgramDataRoot();
    std::wstring_view rest = windowsPath.substr(kPrefix.size());
    size_t start = 0;
    while (start < rest.size()) {
        size_t end = std::min(rest.find_first_of(L"\\/", start), rest.size());
        if (end > start)
            result /= std::wstring(rest.substr(start, end - start));
        start = end + 1;
    }
    return result;
}

std::string PathToUtf8(const std::filesystem::path& path) {
    if constexpr (std::is_same_v<std::filesystem::path::value_type, wchar_t>)
        return WideToUtf8(path.wstring());
    else
        return path.string();
}

std::filesystem::path Utf8ToPath(std::string_view utf8) {
    if constexpr (std::is_same_v<std::filesystem::path::value_type, wchar_t>)
        return std::filesystem::path(Utf8ToWide(utf8));
    else
        return std::filesystem::path(std::string(utf8));
}

} // namespace platform
