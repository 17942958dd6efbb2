// kelmora-screenshots DIR [language file]
// Starts the program offscreen with the texts of a language file (English.ini by default),
// and writes every page of the main window and the message popup, in both display modes, to
// PNG files in DIR.
#include "platform/Environment.h"
#include "shell/KelmoraFpMain.h"
#include "shell/Language.h"
#include "ui/CMainWnd.h"
#include "ui/CPopMSGDailog.h"
#include "ui/PageIds.h"
#include "ui/ProgramResources.h"
#include "uilib/ModalHook.h"

#include <QDir>
#include <QString>
#include <QWidget>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

// The locale whose language picks each language file.
const struct {
    const char* file;
    const char* locale;
} kLocales[] = {{"English.ini", "en_US"}, {"Chinese.ini", "zh_CN"}, {"Japan.ini", "ja_JP"},
                {"Deusce.ini", "de_DE"},  {"France.ini", "fr_FR"},  {"Spain.ini", "es_ES"},
                {"Italy.ini", "it_IT"}};

// The program's own services, except that it is always the first instance and never waits
// for a person.
class ScreenshotSystem : public KelmoraFpSystem {
public:
    void MakeWindowTopmost(std::wstring_view, std::wstring_view) override {}
    void RaiseWindow(std::wstring_view, std::wstring_view) override {}
    MutexResult CreateInstanceMutex(std::wstring_view) override { return MutexResult::Created; }
    void ListenForSecondStart(void*) override {}
    bool InitializeCom() override { return true; }
    void UninitializeCom() override {}
    std::optional<std::string> LoadResource(int id, const char* type) override {
        return LoadProgramResource(id, type);
    }
    void ShowMessageBox(std::wstring_view, std::wstring_view) override {
        std::fprintf(stderr, "kelmora-screenshots: a font of the program is missing\n");
    }
};

bool Save(QWidget* widget, const QString& file) {
    const bool ok = widget->grab().save(file);
    std::fprintf(ok ? stdout : stderr, "%s %s\n", ok ? "wrote" : "cannot write",
                 file.toLocal8Bit().constData());
    return ok;
}

struct Popup {
    const char* name;
    int kind;
    const wchar_t* messageKey;
    const wchar_t* titleKey; // nullptr: no title
};

void RenderAll(CMainWnd& window, const QString& dir, int& failures) {
    const Popup popups[] = {
        {"kind0", 0, L"Fp_List_AlertDeleteLast", nullptr},
        {"kind0-title", 0, L"Fp_SetUp_CancelAlertContent", L"Fp_SetUp_CancelAlertTitle"},
        {"kind1", 1, L"OtherAlert_AutoExit", nullptr},
        {"kind1-title", 1, L"Unlock_Alert_ToManyCountContent", L"Unlock_Alert_ToManyCountTitle"},
    };
    for (bool dark : {false, true}) {
        const QString mode = dark ? QStringLiteral("dark") : QStringLiteral("normal");
        window.SetDarkMode(dark);
        for (unsigned id = 0; id <= Page_Last; ++id) {
            window.ShowPage(id);
            failures += !Save(window.GetWidget(), QStringLiteral("%1/page-%2-%3-%4.png")
                                                      .arg(dir)
                                                      .arg(id, 2, 10, QLatin1Char('0'))
                                                      .arg(QLatin1String(kPageNames[id]), mode));
        }
        window.ShowPage(Page_Disconnected);
        for (const Popup& popup : popups) {
            const QString base = QStringLiteral("%1/popup-%2-%3").arg(dir, popup.name, mode);
            uilib::SetModalHook([&](CWindowWnd& shown) {
                failures += !Save(shown.GetWidget(), base + QStringLiteral(".png"));
                if (popup.kind == 0 && !popup.titleKey)
                    failures += !Save(window.GetWidget(), base + QStringLiteral("-over.png"));
                shown.Close(1);
            });
            const std::wstring title = popup.titleKey ? LookupText(popup.titleKey) : L"";
            window.ShowMessage(LookupText(popup.messageKey), popup.kind, title);
        }
    }
    uilib::SetModalHook({});
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s DIR [language file, e.g. Chinese.ini]\n", argv[0]);
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    const std::string languageFile = argc == 3 ? argv[2] : "English.ini";
    const char* locale = nullptr;
    for (const auto& entry : kLocales)
        if (languageFile == entry.file)
            locale = entry.locale;
    if (!locale) {
        std::fprintf(stderr, "unknown language file %s\n", languageFile.c_str());
        return 2;
    }
    if (!QDir().mkpath(dir)) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    platform::SetEnv("LANGUAGE", locale);
    if (!platform::GetEnv("QT_QPA_PLATFORM"))
        platform::SetEnv("QT_QPA_PLATFORM", "offscreen");

    int failures = 0;
    bool rendered = false;
    uilib::SetModalHook([&](CWindowWnd& shown) {
        auto* window = dynamic_cast<CMainWnd*>(&shown);
        if (!window || rendered)
            return;
        rendered = true;
        RenderAll(*window, dir, failures);
        window->Close(1);
    });
    ScreenshotSystem system;
    KelmoraFpMain(system, argc, argv);
    if (!rendered) {
        std::fprintf(stderr, "the main window did not open (is the skin embedded?)\n");
        return 1;
    }
    return failures == 0 ? 0 : 1;
}
