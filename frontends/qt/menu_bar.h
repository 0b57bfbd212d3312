#pragma once
// The main window's menu bar: five popups with the system's captions, items found by command
// identifier. The menu holds the marks; a choice only reports the command, and the core decides
// what the marks become (Qt's own toggling on a click is undone before the command runs).
#include <QtWidgets/QMenuBar>
#include <array>
#include <functional>
#include <map>
#include <span>
#include <string_view>

class QAction;
class QActionGroup;

namespace telorad::qt {

struct MenuItemSpec {
    int popup;              // index of the popup on the bar
    std::string_view text;  // "&" marks the access letter; after a tab, the shortcut shown
    int command;            // 0: separator
};

// The popups' captions, left to right, and their items in order.
const std::array<std::string_view, 5>& MenuPopupCaptions();
std::span<const MenuItemSpec> MenuItemSpecs();

class MainMenu {
  public:
    MainMenu(QMenuBar* bar, std::function<void(int command)> onCommand);

    void EnableItem(int command, bool enabled);
    bool IsItemEnabled(int command) const;  // items not on the menu count as enabled
    void CheckItem(int command, bool checked);
    bool IsItemChecked(int command) const;
    void CheckRadioItem(int first, int last, int chosen);

    QAction* Action(int command) const;  // nullptr for an identifier without an item
    QMenuBar* Bar() const { return bar_; }

  private:
    void ShowMarks();
    QMenuBar* bar_;
    std::function<void(int)> onCommand_;
    std::map<int, QAction*> actions_;
    std::map<int, bool> marks_;
    QActionGroup* modeGroup_ = nullptr;
};

}  // namespace telorad::qt
