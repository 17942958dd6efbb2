#pragma once
// How a second start reaches the first instance on systems without window search by class:
// the first instance listens on a local socket of its mutex's name and raises its main window
// when a later start says so. Windows finds the window itself and needs none of this.
#include "platform/Messaging.h"

#include <filesystem>
#include <functional>
#include <memory>

class QLocalServer;

class SecondStartChannel {
public:
    explicit SecondStartChannel(std::filesystem::path socketPath);
    ~SecondStartChannel();

    // First instance (UI thread): `raise` runs each time a later start knocks.
    bool Listen(std::function<void()> raise);
    // Second instance (any thread, no event loop needed): false when nobody listens.
    bool Knock() const;

private:
    std::filesystem::path path_;
    std::unique_ptr<QLocalServer> server_;
};

// Brings a window to the front and gives it the focus.
void RaiseMainWindow(platform::WindowHandle window);
