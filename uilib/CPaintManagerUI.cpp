#include "uilib/CPaintManagerUI.h"

#include "uilib/AppEventFilter.h"
#include "uilib/CContainerUI.h"
#include "uilib/CWindowWnd.h"
#include "uilib/WindowRegistry.h"

#include <QApplication>
#include <QEventLoop>
#include <QFontDatabase>
#include <algorithm>
#include <atomic>
#include <map>

namespace {

struct FontAlias {
    QString family; // the family the font data really carries
    int weight;
};

uilib::SkinArchive skin;
std::map<int, std::pair<QString, FontAlias>> memoryFonts; // handle -> (layout family, face)
CPaintManagerUI::ResourceLoader resourceLoader;
std::vector<QEventLoop*> loops;
std::atomic<bool> quitPosted{false};
std::atomic<int> quitCode{0};
uilib::AppEventFilter* eventFilter = nullptr;

} // namespace

CPaintManagerUI::~CPaintManagerUI() = default;

void CPaintManagerUI::SetInstance(int& argc, char** argv) {
    if (!QCoreApplication::instance())
        new QApplication(argc, argv); // lives until the process ends
    if (!eventFilter) {
        eventFilter = new uilib::AppEventFilter;
        qApp->installEventFilter(eventFilter);
    }
    uilib::WindowRegistry::InstallMessageSink();
}

bool CPaintManagerUI::SetResourceZip(const void* data, size_t size, const char* password) {
    if (password && *password)
        return false; // encrypted skins are not supported
    return skin.Load(data, size);
}

uilib::SkinArchive& CPaintManagerUI::Skin() {
    return skin;
}

int CPaintManagerUI::AddMemoryFont(const QByteArray& data, const QString& family, int weight) {
    const int id = QFontDatabase::addApplicationFontFromData(data);
    if (id < 0)
        return 0;
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    if (families.isEmpty()) {
        QFontDatabase::removeApplicationFont(id);
        return 0;
    }
    memoryFonts[id + 1] = {family, FontAlias{families.first(), weight}};
    return id + 1;
}

void CPaintManagerUI::RemoveMemoryFont(int handle) {
    if (memoryFonts.erase(handle))
        QFontDatabase::removeApplicationFont(handle - 1);
}

QFont CPaintManagerUI::MakeFont(const QString& family, int pixelSize, bool bold, bool italic) {
    QFont font(family);
    int weight = bold ? QFont::Bold : QFont::Normal;
    for (const auto& [handle, entry] : memoryFonts) {
        if (entry.first.compare(family, Qt::CaseInsensitive) == 0) {
            font = QFont(entry.second.family);
            weight = bold ? std::max<int>(entry.second.weight, QFont::Bold) : entry.second.weight;
            break;
        }
    }
    font.setWeight(static_cast<QFont::Weight>(weight));
    font.setPixelSize(pixelSize > 0 ? pixelSize : 14);
    font.setItalic(italic);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

void CPaintManagerUI::SetResourceLoader(ResourceLoader loader) {
    resourceLoader = std::move(loader);
}

QByteArray CPaintManagerUI::LoadResource(int id, const char* type) {
    return resourceLoader ? resourceLoader(id, type) : QByteArray();
}

int CPaintManagerUI::MessageLoop() {
    if (!quitPosted) {
        QEventLoop loop;
        EnterLoop(&loop);
        loop.exec();
        LeaveLoop(&loop);
    }
    return quitCode;
}

void CPaintManagerUI::PostQuit(int code) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return;
    QMetaObject::invokeMethod(
        app,
        [code] {
            if (quitPosted.exchange(true))
                return;
            quitCode = code;
            for (QEventLoop* loop : loops)
                loop->exit(0);
        },
        Qt::QueuedConnection);
}

bool CPaintManagerUI::QuitPosted() {
    return quitPosted;
}

void CPaintManagerUI::Term() {
    for (CWindowWnd* window : uilib::WindowRegistry::All())
        window->DestroyWithoutFinalMessage();
    skin.Clear();
    quitPosted = false;
    quitCode = 0;
}

void CPaintManagerUI::EnterLoop(QEventLoop* loop) {
    loops.push_back(loop);
}

void CPaintManagerUI::LeaveLoop(QEventLoop* loop) {
    std::erase(loops, loop);
}

void CPaintManagerUI::AttachRoot(CControlUI* root) {
    root_ = root;
    if (!root_)
        return;
    if (window_ && window_->GetClientWidget()) {
        root_->setParent(window_->GetClientWidget());
        root_->setGeometry(window_->GetClientWidget()->rect());
        root_->setVisible(root_->IsVisible());
    }
    root_->SetOwner(this, nullptr);
}

CControlUI* CPaintManagerUI::FindControl(std::wstring_view name) const {
    return root_ ? root_->FindSubControl(name) : nullptr;
}

void CPaintManagerUI::AddNotifier(INotifyUI* notifier) {
    if (std::find(notifiers_.begin(), notifiers_.end(), notifier) == notifiers_.end())
        notifiers_.push_back(notifier);
}

void CPaintManagerUI::RemoveNotifier(INotifyUI* notifier) {
    std::erase(notifiers_, notifier);
}

void CPaintManagerUI::SendNotify(CControlUI* sender, const std::wstring& type,
                                 platform::WParam wParam, platform::LParam lParam) {
    TNotifyUI msg;
    msg.sType = type;
    msg.pSender = sender;
    msg.ptMouse = mouse_;
    msg.wParam = wParam;
    msg.lParam = lParam;
    const auto notifiers = notifiers_; // a listener may remove itself
    for (INotifyUI* notifier : notifiers)
        notifier->Notify(msg);
}

void CPaintManagerUI::AddFont(int id, const QFont& font) {
    fonts_[id] = font;
}

QFont CPaintManagerUI::GetFont(int id) const {
    auto it = fonts_.find(id);
    if (it == fonts_.end())
        it = fonts_.find(0);
    if (it == fonts_.end())
        it = fonts_.begin();
    if (it != fonts_.end())
        return it->second;
    QFont font;
    font.setPixelSize(14);
    return font;
}
