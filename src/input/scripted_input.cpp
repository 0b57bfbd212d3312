#include "input/scripted_input.h"

#include <algorithm>

#include "input/key_forwarding.h"
#include "net/wire.h"

namespace telorad {

namespace {

template <typename T>
void Forget(std::vector<T>& held, T value) {
    held.erase(std::remove(held.begin(), held.end(), value), held.end());
}

}  // namespace

void ScriptedInput::PressKey(std::uint8_t code) {
    Forget(heldKeys_, code);
    heldKeys_.push_back(code);
    SendKeyEvent(connection_, 0, code);
}

void ScriptedInput::ReleaseKey(std::uint8_t code) {
    Forget(heldKeys_, code);
    SendKeyEvent(connection_, 1, code);
}

void ScriptedInput::MovePointer(std::uint16_t x, std::uint16_t y) {
    position_ = PackPosition(x, y, 0, 0);
    SendMouseEvent(connection_, 0, position_);
}

void ScriptedInput::PressButton(std::uint32_t downCode, std::uint32_t upCode) {
    Forget(heldButtons_, upCode);
    heldButtons_.push_back(upCode);
    SendMouseEvent(connection_, downCode, position_);
}

void ScriptedInput::ReleaseButton(std::uint32_t upCode) {
    Forget(heldButtons_, upCode);
    SendMouseEvent(connection_, upCode, position_);
}

void ScriptedInput::ReleaseEverything() {
    while (!heldButtons_.empty()) ReleaseButton(heldButtons_.back());
    while (!heldKeys_.empty()) ReleaseKey(heldKeys_.back());
}

}  // namespace telorad
