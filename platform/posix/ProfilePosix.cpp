// Profile files on POSIX systems, answering as the Windows profile API does (see Profile.h).
#include "platform/CodePage.h"
#include "platform/Profile.h"
#include "platform/TextCodec.h"

#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>
#include <vector>

namespace platform {
namespace {

enum class Encoding { Ansi, Utf8Bom, Utf16Le };

struct ProfileText {
    Encoding encoding = Encoding::Ansi;
    std::vector<std::wstring> lines;
};

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\v' || c == L'\f' || c == 0x1A;
}

std::wstring_view Trim(std::wstring_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool EqualNoCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size())
        return false;
    auto fold = [](wchar_t c) { return (c >= L'A' && c <= L'Z') ? wchar_t(c - L'A' + L'a') : c; };
    for (size_t i = 0; i < a.size(); ++i)
        if (fold(a[i]) != fold(b[i]))
            return false;
    return true;
}

std::optional<ProfileText> Load(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
    ProfileText text;
    std::wstring all;
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        text.encoding = Encoding::Utf16Le;
        all = Utf16LeToWide(bytes.data() + 2, bytes.size() - 2);
    } else if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        text.encoding = Encoding::Utf8Bom;
        all = Utf8ToWide(
            std::string_view(reinterpret_cast<const char*>(bytes.data()) + 3, bytes.size() - 3));
    } else {
        all = SystemCodePageToWide(
            std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }
    size_t start = 0;
    while (start < all.size()) {
        size_t end = all.find(L'\n', start);
        if (end == std::wstring::npos)
            end = all.size();
        std::wstring line = all.substr(start, end - start);
        if (!line.empty() && line.back() == L'\r')
            line.pop_back();
        text.lines.push_back(std::move(line));
        start = end + 1;
    }
    return text;
}

// A line's role: a section header with its name, a key line with name and value, or nothing.
struct ParsedLine {
    enum Kind { Other, Section, Key } kind = Other;
    std::wstring_view name;
    std::optional<std::wstring_view> value;
};

ParsedLine Parse(std::wstring_view line) {
    ParsedLine p;
    std::wstring_view s = Trim(line);
    if (s.empty())
        return p;
    if (s.front() == L'[') {
        size_t close = s.rfind(L']');
        if (close != std::wstring_view::npos) {
            p.kind = ParsedLine::Section;
            p.name = s.substr(1, close - 1);
            return p;
        }
    }
    p.kind = ParsedLine::Key;
    size_t eq = s.find(L'=');
    p.name = Trim(s.substr(0, eq));
    if (eq != std::wstring_view::npos)
        p.value = Trim(s.substr(eq + 1));
    return p;
}

// Index range [first, last) of the lines that belong to the first section of that name.
std::optional<std::pair<size_t, size_t>> FindSection(const ProfileText& text,
                                                     std::wstring_view section) {
    section = Trim(section);
    for (size_t i = 0; i < text.lines.size(); ++i) {
        ParsedLine p = Parse(text.lines[i]);
        if (p.kind != ParsedLine::Section || !EqualNoCase(p.name, section))
            continue;
        size_t end = i + 1;
        while (end < text.lines.size() && Parse(text.lines[end]).kind != ParsedLine::Section)
            ++end;
        return std::make_pair(i + 1, end);
    }
    return std::nullopt;
}

std::optional<size_t> FindKey(const ProfileText& text, std::pair<size_t, size_t> range,
                              std::wstring_view key) {
    key = Trim(key);
    for (size_t i = range.first; i < range.second; ++i) {
        ParsedLine p = Parse(text.lines[i]);
        if (p.kind == ParsedLine::Key && EqualNoCase(p.name, key))
            return i;
    }
    return std::nullopt;
}

// Cuts to `bufferChars - 1` UTF-16 units, as a fixed buffer on Windows would.
std::wstring FitBuffer(std::wstring_view value, size_t bufferChars) {
    if (bufferChars == 0)
        return {};
    size_t units = 0, i = 0;
    for (; i < value.size(); ++i) {
        size_t w = (sizeof(wchar_t) == 4 && static_cast<uint32_t>(value[i]) >= 0x10000) ? 2 : 1;
        if (units + w > bufferChars - 1)
            break;
        units += w;
    }
    return std::wstring(value.substr(0, i));
}

std::wstring StripQuotes(std::wstring_view v) {
    if (v.size() >= 2 && (v.front() == L'"' || v.front() == L'\'') && v.back() == v.front())
        return std::wstring(v.substr(1, v.size() - 2));
    return std::wstring(v);
}

bool Save(const std::filesystem::path& file, const ProfileText& text) {
    std::wstring all;
    for (const std::wstring& line : text.lines) {
        all += line;
        all += L"\r\n";
    }
    std::vector<uint8_t> bytes;
    if (text.encoding == Encoding::Utf16Le) {
        bytes = {0xFF, 0xFE};
        std::vector<uint8_t> body = WideToUtf16Le(all);
        bytes.insert(bytes.end(), body.begin(), body.end());
    } else {
        if (text.encoding == Encoding::Utf8Bom)
            bytes = {0xEF, 0xBB, 0xBF};
        std::string body =
            text.encoding == Encoding::Utf8Bom ? WideToUtf8(all) : WideToSystemCodePage(all);
        bytes.insert(bytes.end(), body.begin(), body.end());
    }
    // Write beside the file and rename over it, so that a failed write never loses the old one.
    std::filesystem::path temp = file;
    temp += ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        if (!out.flush())
            return false;
    }
    std::error_code ec;
    std::filesystem::rename(temp, file, ec);
    if (ec)
        std::filesystem::remove(temp, ec);
    return !ec;
}

} // namespace

std::wstring ReadIniString(const std::filesystem::path& file, std::wstring_view section,
                           std::wstring_view key, std::wstring_view defaultValue,
                           size_t bufferChars) {
    std::wstring fallback = FitBuffer(defaultValue, bufferChars);
    std::optional<ProfileText> text = Load(file);
    if (!text)
        return fallback;
    auto range = FindSection(*text, section);
    if (!range)
        return fallback;
    auto line = FindKey(*text, *range, key);
    if (!line)
        return fallback;
    ParsedLine p = Parse(text->lines[*line]);
    if (!p.value)
        return fallback;
    return FitBuffer(StripQuotes(*p.value), bufferChars);
}

bool WriteIniString(const std::filesystem::path& file, std::wstring_view section,
                    std::wstring_view key, std::wstring_view value) {
    ProfileText text = Load(file).value_or(ProfileText{});
    const std::wstring entry = std::wstring(Trim(key)) + L"=" + std::wstring(value);
    if (auto range = FindSection(text, section)) {
        if (auto line = FindKey(text, *range, key)) {
            text.lines[*line] = entry;
        } else {
            // After the section's last non-blank line, so blank separators stay where they are.
            size_t at = range->second;
            while (at > range->first && Trim(text.lines[at - 1]).empty())
                --at;
            text.lines.insert(text.lines.begin() + static_cast<std::ptrdiff_t>(at), entry);
        }
    } else {
        text.lines.push_back(L"[" + std::wstring(Trim(section)) + L"]");
        text.lines.push_back(entry);
    }
    return Save(file, text);
}

} // namespace platform
