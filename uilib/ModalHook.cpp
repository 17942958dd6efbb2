#include "uilib/ModalHook.h"

namespace uilib {
namespace {
ModalHook hook;
} // namespace

void SetModalHook(ModalHook h) {
    hook = std::move(h);
}

const ModalHook& CurrentModalHook() {
    return hook;
}

} // namespace uilib
