#pragma once
// Which Windows virtual-key codes are down, as the window has seen its key and button events.
// A generic modifier code (VK_SHIFT, VK_CONTROL, VK_MENU) is down while either of its sided codes
// is, so both change together.
#include <array>
#include <cstdint>

#include "key_map.h"

namespace telorad::qt {

class KeyState {
  public:
    void Press(const VirtualKeys& keys) { Set(keys, true); }
    void Release(const VirtualKeys& keys) { Set(keys, false); }
    void PressCode(int code) { SetCode(code, true); }
    void ReleaseCode(int code) { SetCode(code, false); }
    // Focus lost: from now on every key counts as up.
    void ReleaseAll() { down_.fill(false); }
    bool IsDown(int code) const;

  private:
    void Set(const VirtualKeys& keys, bool pressed);
    void SetCode(int code, bool pressed);
    std::array<bool, 256> down_{};
};

}  // namespace telorad::qt
