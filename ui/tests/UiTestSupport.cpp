#include "UiTestSupport.h"

#include "shell/Language.h"
#include "ui/ProgramResources.h"
#include "uilib/CPaintManagerUI.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <string>

namespace ui_test {

void EnsureUi() {
    static int argc = 1;
    static char name[] = "ui_tests";
    static char* argv[] = {name, nullptr};
    CPaintManagerUI::SetInstance(argc, argv);
    ChooseLanguageFile();
}

bool InstallProgramSkin() {
    EnsureUi();
    static const auto skin = LoadProgramResource(151, "ZIPRES");
    return skin && CPaintManagerUI::SetResourceZip(skin->data(), skin->size());
}

void Pump(int ms) {
    QElapsedTimer timer;
    timer.start();
    do
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    while (timer.elapsed() < ms);
}

} // namespace ui_test
