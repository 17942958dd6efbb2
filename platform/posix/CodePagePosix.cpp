#include "platform/CodePage.h"
#include "platform/TextCodec.h"

namespace platform {

// The narrow code page of this build's POSIX systems is UTF-8, whatever the locale says: the
// program's texts must not change with LC_CTYPE.
std::wstring SystemCodePageToWide(std::string_view narrow) {
    return Utf8ToWide(narrow);
}

std::string WideToSystemCodePage(std::wstring_view wide) {
    return WideToUtf8(wide);
}

} // namespace platform
