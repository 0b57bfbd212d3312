#pragma once
// Menu command identifiers and dialog identifiers.

namespace telorad {

inline constexpr int IDM_OPEN_UNUSED = 40001;  // Ctrl+O: no item, no handler
inline constexpr int IDM_SAVE_BMP = 40002;
inline constexpr int IDM_COPY = 40003;
inline constexpr int IDM_ABOUT = 40004;
inline constexpr int IDM_EXIT = 40005;
inline constexpr int IDM_PASTE_UNUSED = 40006;  // Ctrl+V: no item, no handler
inline constexpr int IDM_PRINT = 40010;
inline constexpr int IDM_RELOAD_UNUSED = 40011;  // Ctrl+R: no item, no handler
inline constexpr int IDM_CONNECT = 40023;
inline constexpr int IDM_DISCONNECT = 40024;
inline constexpr int IDM_MODE_STANDBY = 40025;
inline constexpr int IDM_MODE_MONITOR = 40026;
inline constexpr int IDM_MODE_CONTROL = 40027;
inline constexpr int IDM_AUTO_SCROLL = 40028;
inline constexpr int IDM_SYNC_CURSOR = 40029;
inline constexpr int IDM_COMMAND = 40030;

inline constexpr int IDD_CONNECT = 107;
inline constexpr int IDD_COMMAND = 110;

}  // namespace telorad
