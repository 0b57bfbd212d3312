#include "key_state.h"

namespace telorad::qt {
namespace {

struct SidedPair {
    int generic;
    int left;
    int right;
};

constexpr std::array<SidedPair, 3> kSidedPairs{{
    {VK_SHIFT, VK_LSHIFT, VK_RSHIFT},
    {VK_CONTROL, VK_LCONTROL, VK_RCONTROL},
    {VK_MENU, VK_LMENU, VK_RMENU},
}};

}  // namespace

bool KeyState::IsDown(int code) const {
    if (code < 0 || code >= static_cast<int>(down_.size())) return false;
    return down_[static_cast<std::size_t>(code)];
}

void KeyState::SetCode(int code, bool pressed) {
    if (code <= 0 || code >= static_cast<int>(down_.size())) return;
    down_[static_cast<std::size_t>(code)] = pressed;
}

void KeyState::Set(const VirtualKeys& keys, bool pressed) {
    SetCode(keys.virtualKey, pressed);
    if (keys.genericKey == 0) return;
    for (const SidedPair& pair : kSidedPairs) {
        if (pair.generic != keys.genericKey) continue;
        SetCode(pair.generic, IsDown(pair.left) || IsDown(pair.right));
    }
}

}  // namespace telorad::qt
