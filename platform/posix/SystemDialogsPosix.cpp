#include "platform/SystemDialogs.h"

namespace platform {

bool CloseSystemFormatDialog() {
    return false;
}

} // namespace platform
