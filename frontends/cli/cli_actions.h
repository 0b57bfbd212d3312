#pragma once
// The actions of `telorad-cli run`, parsed and checked whole before anything is sent.
#include <cstdint>
#include <string>
#include <vector>

#include "input/key_names.h"

namespace telorad::cli {

enum class ActionKind {
    Key, KeyDown, KeyUp, Type, Move, Click, DoubleClick, MouseDown, MouseUp, Drag,
    Pause, Capture, RegionCapture, Expect, Command, Mode,
};

struct Action {
    ActionKind kind = ActionKind::Pause;
    std::string text;                 // key combination, typed text, command text or file name
    std::vector<std::uint8_t> codes;  // keys, in the order pressed
    std::vector<KeyStroke> strokes;   // typed text
    MouseButtonCodes button{};
    std::int32_t x = 0, y = 0, width = 0, height = 0;
    bool hasRegion = false;  // expect at X Y
    int tolerance = 0;
    int pauseMs = 0;
    std::uint32_t mode = 0;

    // Key, mouse and text actions need control mode.
    bool IsInput() const;
};

// Actions from command-line words: "key ctrl+c type 'hello world' move 10 20 click".
bool ParseActionWords(const std::vector<std::string>& words, std::vector<Action>& actions,
                      std::string& error);

// A script: one action per line, the same syntax; blank lines and lines starting with '#' are
// skipped. The text of `type` and `command` is the rest of the line after one space.
bool ParseScript(const std::string& script, std::vector<Action>& actions, std::string& error);

}  // namespace telorad::cli
