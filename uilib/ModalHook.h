#pragma once
// A hook for tests: called on the UI thread each time a modal run starts (the window shown and
// its loop running), so that a test can answer a popup without a person.
#include <functional>

class CWindowWnd;

namespace uilib {

using ModalHook = std::function<void(CWindowWnd& window)>;
// Replaces the hook (an empty function removes it).
void SetModalHook(ModalHook hook);
const ModalHook& CurrentModalHook();

} // namespace uilib
