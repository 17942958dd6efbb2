#include "platform/Locale.h"

#include <cstdlib>
#include <string>

namespace platform {

LangId UiLanguageId() {
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (!value || !*value)
            continue;
        std::string first(value);
        first = first.substr(0, first.find(':')); // LANGUAGE is a list of preferences
        if (!first.empty())
            return LangIdFromLocaleName(first);
    }
    return kLangIdEnglishUS;
}

} // namespace platform
