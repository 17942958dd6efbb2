#pragma once
// One per window: the window's controls, fonts and listeners. Its static part is the library
// itself: the QApplication, the skin archive, the memory fonts, the message loop and the quit
// message. Everything here runs on the UI thread, except PostQuit.
#include "uilib/SkinArchive.h"
#include "uilib/UiTypes.h"

#include <QFont>
#include <QSize>
#include <functional>
#include <map>
#include <string_view>
#include <vector>

class CControlUI;
class CWindowWnd;
class QEventLoop;

class CPaintManagerUI {
public:
    CPaintManagerUI() = default;
    ~CPaintManagerUI();
    CPaintManagerUI(const CPaintManagerUI&) = delete;
    CPaintManagerUI& operator=(const CPaintManagerUI&) = delete;

    // --- the library ---

    // Creates the application object (unless one exists) and installs the window message
    // sink and the keyboard filter. argc/argv must outlive the library.
    static void SetInstance(int& argc, char** argv);
    // Installs the skin from a zip in memory (no password); false when it is not a zip.
    static bool SetResourceZip(const void* data, size_t size, const char* password = nullptr);
    static uilib::SkinArchive& Skin();

    // Adds a font from memory under the family name the layouts use; `weight` picks the face
    // (QFont::Weight). Returns a handle, 0 when the data is not a font.
    static int AddMemoryFont(const QByteArray& data, const QString& family, int weight);
    static void RemoveMemoryFont(int handle);
    // The font a layout's family name stands for.
    static QFont MakeFont(const QString& family, int pixelSize, bool bold, bool italic);

    // Where CWindowWnd::SetIcon and the program find their resources: the bytes of resource
    // `id` of `type` ("ICON", ...), empty when missing.
    using ResourceLoader = std::function<QByteArray(int id, const char* type)>;
    static void SetResourceLoader(ResourceLoader loader);
    static QByteArray LoadResource(int id, const char* type);

    // Runs until the quit message; returns its code at once when it was already posted.
    static int MessageLoop();
    // Posts the quit message (any thread): message loops and modal runs end.
    static void PostQuit(int code);
    static bool QuitPosted();
    // Destroys the windows that remain (without their final message), drops the skin and
    // clears the quit message.
    static void Term();
    // Modal runs and message loops register here so that the quit message ends them.
    static void EnterLoop(QEventLoop* loop);
    static void LeaveLoop(QEventLoop* loop);

    // --- one window ---

    CControlUI* GetRoot() const { return root_; }
    void AttachRoot(CControlUI* root);
    CWindowWnd* GetWindow() const { return window_; }
    void SetWindow(CWindowWnd* window) { window_ = window; }

    // The control of that name, or none when the layout lacks it.
    CControlUI* FindControl(std::wstring_view name) const;

    void AddNotifier(INotifyUI* notifier);
    void RemoveNotifier(INotifyUI* notifier);
    void SendNotify(CControlUI* sender, const std::wstring& type, platform::WParam wParam = 0,
                    platform::LParam lParam = 0);

    void AddFont(int id, const QFont& font);
    QFont GetFont(int id) const; // -1: the default font

    // The last mouse position in the window's client coordinates.
    QPoint GetMousePos() const { return mouse_; }
    void SetMousePos(const QPoint& pos) { mouse_ = pos; }

    // Window attributes of the layout.
    QSize initSize;
    int caption = 0;
    int roundCorner = 0;
    bool shadow = false;
    uint32_t bkColor = 0;

private:
    CControlUI* root_ = nullptr;
    CWindowWnd* window_ = nullptr;
    std::vector<INotifyUI*> notifiers_;
    std::map<int, QFont> fonts_;
    QPoint mouse_;
};
