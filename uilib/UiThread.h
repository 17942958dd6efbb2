#pragma once
// Runs work on the UI thread and waits for it: how a worker thread asks for something that
// only the UI thread may do (a popup, a control change).
#include <functional>

namespace uilib {

// Direct when called on the UI thread.
void RunOnUiThread(const std::function<void()>& work);
bool IsUiThread();

} // namespace uilib
