#include "shell/KelmoraFpMain.h"

#include "platform/DeviceWatch.h"
#include "shell/Language.h"
#include "ui/CMainWnd.h"
#include "uilib/CPaintManagerUI.h"

#include <QByteArray>
#include <QFont>
#include <new>
#include <vector>

namespace {

// The embedded fonts in the order they are added, and the family each stands for in the
// layouts.
struct MemoryFont {
    int resourceId;
    const char* family;
    QFont::Weight weight;
};
constexpr MemoryFont kFonts[] = {
    {145, "NeutraText-BoldAlt", QFont::Bold},
    {146, "NeutraText-BookAlt", QFont::Normal},
    {147, "NeutraText-DemiAlt", QFont::DemiBold},
    {148, "NeutraText-LightAlt", QFont::Light},
    {153, "Helvetica Now Display", QFont::Bold},
    {154, "Helvetica Now Display Light", QFont::Light},
    {155, "Helvetica Now Micro", QFont::DemiBold},
    {156, "Helvetica Now Micro Light", QFont::Normal},
    {157, "Helvetica Now Text", QFont::Bold},
    {158, "Helvetica Now Text Light", QFont::Light},
};

constexpr int kSkinResource = 151;
constexpr unsigned kIconResource = 115;

// Adds the fonts in order; the first that is missing or rejected stops the others.
std::vector<int> AddMemoryFonts(KelmoraFpSystem& system) {
    std::vector<int> handles;
    for (const MemoryFont& font : kFonts) {
        const auto data = system.LoadResource(font.resourceId, "OTF");
        const int handle = data
                               ? CPaintManagerUI::AddMemoryFont(
                                     QByteArray(data->data(), static_cast<qsizetype>(data->size())),
                                     QString::fromLatin1(font.family), font.weight)
                               : 0;
        if (handle == 0) {
            system.ShowMessageBox(L"加载内存字体错误", L"");
            break;
        }
        handles.push_back(handle);
    }
    return handles;
}

} // namespace

int KelmoraFpMain(KelmoraFpSystem& system, int& argc, char** argv) {
    ChooseLanguageFile();

    system.MakeWindowTopmost(L"MainWnd", LookupText(L"AppName"));
    if (system.CreateInstanceMutex(L"KelmoraFp") == KelmoraFpSystem::MutexResult::AlreadyExists) {
        // The first instance's window is raised by its own class.
        system.RaiseWindow(L"KelmoraFp", LookupText(L"AppName"));
        return 0;
    }

    if (!system.InitializeCom())
        return 0;
    CPaintManagerUI::SetInstance(argc, argv);
    CPaintManagerUI::SetResourceLoader([&system](int id, const char* type) {
        const auto data = system.LoadResource(id, type);
        return data ? QByteArray(data->data(), static_cast<qsizetype>(data->size())) : QByteArray();
    });

    // The skin archive: a private copy that outlives the main window.
    auto skin = system.LoadResource(kSkinResource, "ZIPRES");
    if (!skin || !CPaintManagerUI::SetResourceZip(skin->data(), skin->size()))
        return 0;

    const std::vector<int> fonts = AddMemoryFonts(system);

    if (auto* window = new (std::nothrow) CMainWnd) {
        window->Create(nullptr, LookupText(L"AppName"), UI_WNDSTYLE_DIALOG, 0, 0, 0, 900, 600);
        window->CenterWindow();
        window->SetIcon(kIconResource);
        system.ListenForSecondStart(window->GetHWND());
        {
            // Volume arrivals and removals reach the window as the device-change message.
            auto volumes = platform::WatchVolumesForWindow(window->GetHWND());
            window->ShowModal(); // the window deletes itself at its end
        }
        skin.reset();

        CPaintManagerUI::MessageLoop();
        CPaintManagerUI::Term();
        system.UninitializeCom();
    }
    for (int handle : fonts)
        CPaintManagerUI::RemoveMemoryFont(handle);
    return 0;
}

#ifdef KELMORA_FP_EXECUTABLE
#include "ui/ProgramSystem.h"

int main(int argc, char** argv) {
    ProgramSystem system;
    return KelmoraFpMain(system, argc, argv);
}
#endif
