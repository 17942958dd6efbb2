#include "platform/TextCodec.h"

namespace platform {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Code points of a wide string, whatever the width of wchar_t.
template <typename Fn> void ForEachCodePoint(std::wstring_view wide, Fn fn) {
    for (size_t i = 0; i < wide.size(); ++i) {
        char32_t c = static_cast<char32_t>(wide[i]);
        if constexpr (sizeof(wchar_t) == 2) {
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < wide.size()) {
                char32_t low = static_cast<char32_t>(wide[i + 1]);
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                    ++i;
                }
            }
        }
        if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
            c = kReplacement;
        fn(c);
    }
}

void AppendWide(std::wstring& out, char32_t c) {
    if constexpr (sizeof(wchar_t) == 2) {
        if (c >= 0x10000) {
            c -= 0x10000;
            out.push_back(static_cast<wchar_t>(0xD800 + (c >> 10)));
            out.push_back(static_cast<wchar_t>(0xDC00 + (c & 0x3FF)));
            return;
        }
    }
    out.push_back(static_cast<wchar_t>(c));
}

} // namespace

std::wstring Utf8ToWide(std::string_view utf8) {
    std::wstring out;
    out.reserve(utf8.size());
    const auto* s = reinterpret_cast<const unsigned char*>(utf8.data());
    const size_t n = utf8.size();
    size_t i = 0;
    while (i < n) {
        const unsigned char b = s[i];
        const int extra = b < 0x80             ? 0
                          : (b & 0xE0) == 0xC0 ? 1
                          : (b & 0xF0) == 0xE0 ? 2
                          : (b & 0xF8) == 0xF0 ? 3
                                               : -1;
        if (extra < 0) {
            AppendWide(out, kReplacement);
            ++i;
            continue;
        }
        char32_t c = extra == 0   ? b
                     : extra == 1 ? (b & 0x1F)
                     : extra == 2 ? (b & 0x0F)
                                  : (b & 0x07);
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            if (i + k >= n || (s[i + k] & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            c = (c << 6) | (s[i + k] & 0x3F);
        }
        static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
        if (!ok || c < kMin[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            AppendWide(out, kReplacement);
            ++i;
            continue;
        }
        AppendWide(out, c);
        i += extra + 1;
    }
    return out;
}

std::string WideToUtf8(std::wstring_view wide) {
    std::string out;
    out.reserve(wide.size());
    ForEachCodePoint(wide, [&](char32_t c) {
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    });
    return out;
}

std::wstring Utf16LeToWide(const uint8_t* bytes, size_t size) {
    std::wstring out;
    const size_t units = size / 2;
    out.reserve(units);
    for (size_t i = 0; i < units; ++i) {
        char32_t c = bytes[2 * i] | (bytes[2 * i + 1] << 8);
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units) {
            char32_t low = bytes[2 * i + 2] | (bytes[2 * i + 3] << 8);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendWide(out, 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        AppendWide(out, (c >= 0xD800 && c <= 0xDFFF) ? kReplacement : c);
    }
    return out;
}

std::vector<uint8_t> WideToUtf16Le(std::wstring_view wide) {
    std::vector<uint8_t> out;
    out.reserve(wide.size() * 2);
    auto unit = [&](char32_t u) {
        out.push_back(static_cast<uint8_t>(u & 0xFF));
        out.push_back(static_cast<uint8_t>(u >> 8));
    };
    ForEachCodePoint(wide, [&](char32_t c) {
        if (c >= 0x10000) {
            c -= 0x10000;
            unit(0xD800 + (c >> 10));
            unit(0xDC00 + (c & 0x3FF));
        } else {
            unit(c);
        }
    });
    return out;
}

size_t Utf16Length(std::wstring_view wide) {
    size_t n = 0;
    ForEachCodePoint(wide, [&](char32_t c) { n += c >= 0x10000 ? 2 : 1; });
    return n;
}

} // namespace platform
