#include "platform/Locale.h"

#include <windows.h>

namespace platform {

LangId UiLanguageId() {
    return GetThreadUILanguage();
}

} // namespace platform
