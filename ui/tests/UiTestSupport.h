#pragma once
// What the window tests share: the library with the program's own skin, and a little patience.
#include <QColor>

class QWidget;

namespace ui_test {

// The application object and the library (once).
void EnsureUi();
// Installs the skin embedded in the program; false when the build has none.
bool InstallProgramSkin();
// Lets queued events run for `ms` of real time.
void Pump(int ms = 20);

} // namespace ui_test

#define REQUIRE_PROGRAM_SKIN()                                                                     \
    do {                                                                                           \
        if (!ui_test::InstallProgramSkin())                                                        \
            GTEST_SKIP() << "this build embeds no skin (resources/skin missing or not built)";     \
    } while (0)
