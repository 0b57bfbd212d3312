#include "menu_bar.h"

#include <QtGui/QAction>
#include <QtGui/QActionGroup>
#include <QtWidgets/QMenu>
#include <QtWidgets/QProxyStyle>
#include <array>

#include "app/commands.h"

namespace telorad::qt {
namespace {

constexpr std::array<std::string_view, 5> kPopups{
    "ファイル(&F)", "編集(&E)", "リモート(&R)", "設定(&C)", "ヘルプ(&H)",
};

constexpr auto kItems = std::to_array<MenuItemSpec>({
    {0, "BMPで保存(&S)...", IDM_SAVE_BMP},
    {0, "", 0},
    {0, "印刷(&P)...\tCtrl+P", IDM_PRINT},
    {0, "終了(X)", IDM_EXIT},
    {1, "クリップボードにコピー(&C)\tCtrl+C", IDM_COPY},
    {2, "接続", IDM_CONNECT},
    {2, "切断", IDM_DISCONNECT},
    {2, "", 0},
    {2, "待機", IDM_MODE_STANDBY},
    {2, "監視", IDM_MODE_MONITOR},
    {2, "制御", IDM_MODE_CONTROL},
    {2, "", 0},
    {2, "コマンド", IDM_COMMAND},
    {3, "自動スクロール(&R)", IDM_AUTO_SCROLL},
    {3, "マウスカーソルを同期(&M)", IDM_SYNC_CURSOR},
    {4, "バージョン情報(&A)...", IDM_ABOUT},
});

// Items that carry a mark; the modes form the radio group.
bool IsModeItem(int command) {
    return command == IDM_MODE_STANDBY || command == IDM_MODE_MONITOR ||
           command == IDM_MODE_CONTROL;
}
bool IsToggleItem(int command) { return command == IDM_AUTO_SCROLL || command == IDM_SYNC_CURSOR; }

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The application's look, without the bar's keyboard mode: a popup closed with Esc (or Alt
// alone) would otherwise leave the bar holding the keyboard, with an item silently current that
// Enter or Down then opens.
class MouseOnlyMenuBarStyle : public QProxyStyle {
  public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_MenuBar_AltKeyNavigation) return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

}  // namespace

const std::array<std::string_view, 5>& MenuPopupCaptions() { return kPopups; }
std::span<const MenuItemSpec> MenuItemSpecs() { return kItems; }

MainMenu::MainMenu(QMenuBar* bar, std::function<void(int)> onCommand)
    : bar_(bar), onCommand_(std::move(onCommand)) {
    bar_->setNativeMenuBar(false);
    // Menus are driven by the mouse: once a popup closes, however it closes, the keyboard
    // belongs to the picture again.
    bar_->setFocusPolicy(Qt::NoFocus);
    auto* style = new MouseOnlyMenuBarStyle;
    style->setParent(bar_);
    bar_->setStyle(style);
    modeGroup_ = new QActionGroup(bar_);
    // Before the first connection no mode is marked.
    modeGroup_->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);

    std::array<QMenu*, kPopups.size()> popups{};
    for (std::size_t i = 0; i < kPopups.size(); ++i)
        popups[i] = bar_->addMenu(FromUtf8(kPopups[i]));
    for (const MenuItemSpec& item : kItems) {
        QMenu* popup = popups[static_cast<std::size_t>(item.popup)];
        if (item.command == 0) {
            popup->addSeparator();
            continue;
        }
        // Qt shows the text after the tab as the item's shortcut, as the resource intends;
        // the accelerators themselves are the window's, not the actions'.
        QAction* action = popup->addAction(FromUtf8(item.text));
        action->setData(item.command);
        if (IsModeItem(item.command)) {
            action->setCheckable(true);
            action->setActionGroup(modeGroup_);
        } else if (IsToggleItem(item.command)) {
            action->setCheckable(true);
        }
        const int command = item.command;
        QObject::connect(action, &QAction::triggered, bar_, [this, command] {
            ShowMarks();  // undo Qt's toggle: the marks change only when the core says so
            onCommand_(command);
        });
        actions_[command] = action;
    }
}

QAction* MainMenu::Action(int command) const {
    const auto found = actions_.find(command);
    return found == actions_.end() ? nullptr : found->second;
}

void MainMenu::EnableItem(int command, bool enabled) {
    if (QAction* action = Action(command)) action->setEnabled(enabled);
}

bool MainMenu::IsItemEnabled(int command) const {
    const QAction* action = Action(command);
    return action == nullptr || action->isEnabled();
}

void MainMenu::CheckItem(int command, bool checked) {
    if (Action(command) == nullptr) return;
    marks_[command] = checked;
    ShowMarks();
}

bool MainMenu::IsItemChecked(int command) const {
    const auto found = marks_.find(command);
    return found != marks_.end() && found->second;
}

void MainMenu::CheckRadioItem(int first, int last, int chosen) {
    for (int command = first; command <= last; ++command) {
        if (Action(command) != nullptr) marks_[command] = command == chosen;
    }
    ShowMarks();
}

void MainMenu::ShowMarks() {
    // Clear first, then set, so an exclusive group never refuses a change.
    for (auto& [command, action] : actions_) {
        if (action->isCheckable() && !IsItemChecked(command)) action->setChecked(false);
    }
    for (auto& [command, action] : actions_) {
        if (action->isCheckable() && IsItemChecked(command)) action->setChecked(true);
    }
}

}  // namespace telorad::qt
