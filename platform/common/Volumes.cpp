#include "platform/Volumes.h"

namespace platform {

char DriveLetterOf(std::string_view text) {
    if (text.empty())
        return 0;
    char c = text[0];
    if (c >= 'a' && c <= 'z')
        c = char(c - 'a' + 'A');
    return c >= 'A' && c <= 'Z' ? c : 0;
}

} // namespace platform
