#pragma once
// Key and mouse events sent by a script rather than by a window: what is held is tracked here,
// so that everything pressed can be released again, whatever ends the script.
#include <cstdint>
#include <vector>

namespace telorad {

struct Connection;

class ScriptedInput {
  public:
    explicit ScriptedInput(Connection& connection) : connection_(connection) {}

    // MSG_KEY pressed / released. A press of a key already held and a release of a key not
    // held are sent all the same (the server may think otherwise), and tracked.
    void PressKey(std::uint8_t code);
    void ReleaseKey(std::uint8_t code);
    // MSG_MOUSE event 0 at (x, y), packed as y × 65536 + x; later button events use it.
    void MovePointer(std::uint16_t x, std::uint16_t y);
    void PressButton(std::uint32_t downCode, std::uint32_t upCode);
    void ReleaseButton(std::uint32_t upCode);

    // Releases every held button (at the last position), then every held key, last pressed
    // first. Sends nothing when nothing is held.
    void ReleaseEverything();
    bool AnythingHeld() const { return !heldKeys_.empty() || !heldButtons_.empty(); }

  private:
    Connection& connection_;
    std::uint32_t position_ = 0;
    std::vector<std::uint8_t> heldKeys_;       // in the order pressed
    std::vector<std::uint32_t> heldButtons_;   // the up codes that are owed
};

}  // namespace telorad
