#include "display_probe.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <string_view>

namespace telorad::qt {
namespace {

std::string_view Environment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string_view() : std::string_view(value);
}

// What is missing for the platforms QT_QPA_PLATFORM names, or for Qt's own choice; empty when
// nothing is, or when X is wanted (then the caller asks the X server).
std::string FindMissingDisplay(bool& wantsX) {
    // QT_QPA_PLATFORM is a list of plugins Qt tries in turn, each maybe with ":arguments".
    std::string_view platforms = Environment("QT_QPA_PLATFORM");
    if (platforms.empty()) {
        platforms = Environment("WAYLAND_DISPLAY").empty() ? "xcb" : "wayland;xcb";
    }
    wantsX = false;
    while (!platforms.empty()) {
        const std::size_t end = platforms.find(';');
        std::string_view name = platforms.substr(0, end);
        platforms = end == std::string_view::npos ? std::string_view() : platforms.substr(end + 1);
        name = name.substr(0, name.find(':'));
        if (name == "xcb") {
            wantsX = true;
        } else if (name.starts_with("wayland")) {
            if (!Environment("WAYLAND_DISPLAY").empty()) return {};
        } else if (!name.empty()) {
            wantsX = false;  // offscreen, minimal, eglfs, ...: that plugin knows what it needs
            return {};
        }
    }
    if (!wantsX) return "no Wayland display to open (WAYLAND_DISPLAY is not set)";
    if (Environment("DISPLAY").empty()) return "no display to open (DISPLAY is not set)";
    return {};
}

}  // namespace

DisplayProbe::DisplayProbe() {
    bool wantsX = false;
    problem_ = FindMissingDisplay(wantsX);
    if (!problem_.empty() || !wantsX) return;
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    connection_ = connection;
    if (xcb_connection_has_error(connection) != 0) {
        problem_ = "cannot open display '" + std::string(Environment("DISPLAY")) + "'";
    }
}

DisplayProbe::~DisplayProbe() {
    // A connection that failed still has to be released.
    if (connection_ != nullptr) xcb_disconnect(static_cast<xcb_connection_t*>(connection_));
}

}  // namespace telorad::qt
