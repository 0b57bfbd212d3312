// telorad.exe's resources and menu read back from the real Win32 objects: the menu's captions,
// order and states as the core switches them, the accelerator table, and the dialogs' fonts,
// controls, texts, tab order, styles and pixel rectangles.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/client.h"
#include "app/commands.h"
#include "app/main_window.h"
#include "app/session.h"
#include "main_window.h"
#include "resource.h"
#include "win32_window_system.h"

namespace telorad::win32 {
namespace {

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

std::wstring MenuText(HMENU menu, UINT position) {
    wchar_t text[128] = {};
    GetMenuStringW(menu, position, text, 128, MF_BYPOSITION);
    return text;
}

// The main window with the client started, as telorad.exe has it before it is shown.
class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        RegisterMainWindowClass(Instance());
        window = CreateMainWindow(Instance());
        ASSERT_NE(window, nullptr);
        system.AttachWindow(window);
        StartClientWithSettings(client, {1280, 1024}, "no-such-dir\\remote.ini");
        menu = GetMenu(window);
        ASSERT_NE(menu, nullptr);
    }
    void TearDown() override { DestroyWindow(window); }

    // "g" grayed, "c" checked, "r" radio mark, "-" plain, per command in `commands`.
    std::string States(const std::vector<int>& commands) {
        std::string states;
        for (int command : commands) {
            MENUITEMINFOW info{};
            info.cbSize = sizeof info;
            info.fMask = MIIM_STATE | MIIM_FTYPE;
            GetMenuItemInfoW(menu, static_cast<UINT>(command), FALSE, &info);
            const bool checked = (info.fState & MFS_CHECKED) != 0;
            states += (info.fState & MFS_GRAYED) ? "g" : "";
            states += checked ? ((info.fType & MFT_RADIOCHECK) ? "r" : "c") : "";
            states += ((info.fState & MFS_GRAYED) || checked) ? " " : "- ";
        }
        return states;
    }

    Win32WindowSystem system{Instance()};
    Client client{system};
    HWND window = nullptr;
    HMENU menu = nullptr;
};

TEST_F(MainWindowTest, MenuCaptionsAndOrder) {
    const struct {
        const wchar_t* popup;
        std::vector<std::pair<const wchar_t*, UINT>> items;  // {nullptr, 0}: a separator
    } expected[] = {
        {L"ファイル(&F)",
         {{L"BMPで保存(&S)...", 40002}, {nullptr, 0}, {L"印刷(&P)...\tCtrl+P", 40010},
          {L"終了(X)", 40005}}},
        {L"編集(&E)", {{L"クリップボードにコピー(&C)\tCtrl+C", 40003}}},
        {L"リモート(&R)",
         {{L"接続", 40023}, {L"切断", 40024}, {nullptr, 0}, {L"待機", 40025}, {L"監視", 40026},
          {L"制御", 40027}, {nullptr, 0}, {L"コマンド", 40030}}},
        {L"設定(&C)", {{L"自動スクロール(&R)", 40028}, {L"マウスカーソルを同期(&M)", 40029}}},
        {L"ヘルプ(&H)", {{L"バージョン情報(&A)...", 40004}}},
    };
    ASSERT_EQ(GetMenuItemCount(menu), 5);
    for (UINT p = 0; p < 5; ++p) {
        EXPECT_EQ(MenuText(menu, p), expected[p].popup);
        const HMENU popup = GetSubMenu(menu, static_cast<int>(p));
        ASSERT_NE(popup, nullptr);
        ASSERT_EQ(GetMenuItemCount(popup), static_cast<int>(expected[p].items.size()));
        for (UINT i = 0; i < expected[p].items.size(); ++i) {
            const auto& [text, id] = expected[p].items[i];
            MENUITEMINFOW info{};
            info.cbSize = sizeof info;
            info.fMask = MIIM_FTYPE | MIIM_ID;
            GetMenuItemInfoW(popup, i, TRUE, &info);
            EXPECT_EQ((info.fType & MFT_SEPARATOR) != 0, text == nullptr) << p << "/" << i;
            EXPECT_EQ(info.wID, id) << p << "/" << i;
            if (text != nullptr) {
                EXPECT_EQ(MenuText(popup, i), text) << p << "/" << i;
            }
        }
    }
}

TEST_F(MainWindowTest, MenuStatesFollowTheConnectionModeAndOptions) {
    const std::vector<int> items = {IDM_SAVE_BMP,     IDM_PRINT,       IDM_CONNECT,
                                    IDM_DISCONNECT,   IDM_MODE_STANDBY, IDM_MODE_MONITOR,
                                    IDM_MODE_CONTROL, IDM_AUTO_SCROLL, IDM_SYNC_CURSOR,
                                    IDM_COPY,         IDM_COMMAND,     IDM_EXIT};
    EXPECT_EQ(States(items), "g g - g g g g - - - - - ") << "start";
    SetConnectedMenuState(client);
    EXPECT_EQ(States(items), "g g g - - - - - - - - - ") << "connected";
    HandleCommand(client, IDM_MODE_MONITOR);
    EXPECT_EQ(States(items), "g g g - - r - - - - - - ") << "monitor";
    HandleCommand(client, IDM_MODE_CONTROL);  // no socket: the send is dropped
    HandleCommand(client, IDM_AUTO_SCROLL);
    EXPECT_EQ(States(items), "g g g - - - r c - - - - ") << "control, auto scroll";
    DisconnectFromServer(client);
    EXPECT_EQ(States(items), "g g - g g g gr c - - - - ") << "disconnected";
    HandleCommand(client, IDM_AUTO_SCROLL);
    HandleCommand(client, IDM_SYNC_CURSOR);
    EXPECT_EQ(States(items), "g g - g g g gr - c - - - ") << "options toggled";
}

TEST(AcceleratorTest, FiveControlKeys) {
    const HACCEL table = LoadAcceleratorsW(Instance(), MAKEINTRESOURCEW(IDR_ACCELERATORS));
    ASSERT_NE(table, nullptr);
    ACCEL entries[8] = {};
    ASSERT_EQ(CopyAcceleratorTableW(table, entries, 8), 5);
    const std::pair<WORD, WORD> expected[] = {
        {'C', 40003}, {'O', 40001}, {'P', 40010}, {'R', 40011}, {'V', 40006}};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(entries[i].fVirt & ~0x80, FVIRTKEY | FCONTROL | FNOINVERT) << i;
        EXPECT_EQ(entries[i].key, expected[i].first) << i;
        EXPECT_EQ(entries[i].cmd, expected[i].second) << i;
    }
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

struct ControlLayout {
    int id;
    const wchar_t* className;
    const wchar_t* text;  // nullptr: not compared (the combo box's)
    RECT units;           // x, y, width, height in dialog units (in left, top, right, bottom)
    LONG styles;          // bits that must be set
};

// The font the dialog manager made from the template: its face, and 9 points at the dialog's
// resolution. The face GDI really draws with (a substitute where the system lacks it) is shown.
void ExpectDialogFont(HWND dialog) {
    const auto font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr) << "the dialog has no font of its own";
    LOGFONTW described{};
    ASSERT_EQ(GetObjectW(font, sizeof described, &described), static_cast<int>(sizeof described));
    EXPECT_STREQ(described.lfFaceName, L"ＭＳ Ｐゴシック");
    const HDC screen = GetDC(dialog);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    EXPECT_EQ(described.lfHeight, -MulDiv(9, dpi, 72)) << "at " << dpi << " dpi";
    const HGDIOBJ previous = SelectObject(screen, font);
    wchar_t drawn[LF_FACESIZE] = {};
    GetTextFaceW(screen, LF_FACESIZE, drawn);
    SelectObject(screen, previous);
    ReleaseDC(dialog, screen);
    char drawnUtf8[4 * LF_FACESIZE] = {};
    WideCharToMultiByte(CP_UTF8, 0, drawn, -1, drawnUtf8, sizeof drawnUtf8, nullptr, nullptr);
    std::printf("dialog font: height %ld at %d dpi, drawn with \"%s\"\n", described.lfHeight, dpi,
                drawnUtf8);
}

void ExpectDialogLayout(int resource, const wchar_t* caption, SIZE units,
                        const std::vector<ControlLayout>& controls) {
    const HWND dialog =
        CreateDialogParamW(Instance(), MAKEINTRESOURCEW(resource), nullptr, PlainDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
    wchar_t text[64] = {};
    GetWindowTextW(dialog, text, 64);
    EXPECT_STREQ(text, caption);
    EXPECT_EQ(LOWORD(SendMessageW(dialog, DM_GETDEFID, 0, 0)), IDOK);
    const LONG dialogStyle = static_cast<LONG>(GetWindowLongPtrW(dialog, GWL_STYLE));
    const LONG frame = static_cast<LONG>(WS_POPUP | WS_CAPTION | WS_SYSMENU);
    EXPECT_EQ(dialogStyle & frame, frame);
    ExpectDialogFont(dialog);
    RECT client{};
    GetClientRect(dialog, &client);
    RECT size{0, 0, units.cx, units.cy};
    MapDialogRect(dialog, &size);
    EXPECT_EQ(client.right, size.right);
    EXPECT_EQ(client.bottom, size.bottom);

    // Child order is tab order, as the template lists them.
    HWND child = GetWindow(dialog, GW_CHILD);
    for (const ControlLayout& expected : controls) {
        ASSERT_NE(child, nullptr) << expected.id;
        EXPECT_EQ(GetDlgCtrlID(child), expected.id);
        wchar_t className[32] = {};
        GetClassNameW(child, className, 32);
        EXPECT_EQ(_wcsicmp(className, expected.className), 0) << expected.id;
        if (expected.text != nullptr) {
            GetWindowTextW(child, text, 64);
            EXPECT_STREQ(text, expected.text);
        }
        LONG style = static_cast<LONG>(GetWindowLongPtrW(child, GWL_STYLE));
        // The dialog manager draws an edit's border as a sunken client edge instead.
        if (GetWindowLongPtrW(child, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) style |= WS_BORDER;
        EXPECT_EQ(style & (expected.styles | WS_VISIBLE | WS_CHILD),
                  expected.styles | WS_VISIBLE | WS_CHILD)
            << expected.id;
        // Position and size are each mapped from dialog units, as the dialog manager does.
        RECT want = expected.units;
        MapDialogRect(dialog, &want);
        RECT got{};
        GetWindowRect(child, &got);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&got), 2);
        EXPECT_EQ(got.left, want.left) << expected.id;
        EXPECT_EQ(got.top, want.top) << expected.id;
        EXPECT_EQ(got.right - got.left, want.right) << expected.id;
        // A drop-down list's height in the template includes its list.
        if (std::wstring(expected.className) != L"ComboBox") {
            EXPECT_EQ(got.bottom - got.top, want.bottom) << expected.id;
        }
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr) << "more controls than the layout has";
    DestroyWindow(dialog);
}

TEST(DialogLayoutTest, ConnectDialog) {
    ExpectDialogLayout(
        IDD_CONNECT_DIALOG, L"接続", {218, 91},
        {{IDOK, L"Button", L"OK", {106, 70, 50, 14}, WS_TABSTOP | BS_DEFPUSHBUTTON},
         {IDCANCEL, L"Button", L"ｷｬﾝｾﾙ", {161, 70, 50, 14}, WS_TABSTOP},
         {IDC_HISTORY, L"ComboBox", nullptr, {10, 5, 99, 65},
          WS_TABSTOP | CBS_DROPDOWNLIST | CBS_SORT},  // WS_VSCROLL goes to the list
         {0xFFFF, L"Static", L"host:", {20, 27, 15, 8}, WS_GROUP},
         {IDC_HOST, L"Edit", L"", {40, 24, 90, 14}, WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL},
         {0xFFFF, L"Static", L"port:", {140, 27, 14, 8}, WS_GROUP},
         {IDC_PORT, L"Edit", L"", {160, 24, 40, 14},
          WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL | ES_NUMBER},
         {0xFFFF, L"Static", L"passwd:", {17, 45, 24, 8}, WS_GROUP},
         {IDC_PASSWORD, L"Edit", L"", {52, 43, 40, 14},
          WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL | ES_PASSWORD}});
}

TEST(DialogLayoutTest, CommandDialog) {
    ExpectDialogLayout(
        IDD_COMMAND_DIALOG, L"コマンド実行", {245, 75},
        {{IDOK, L"Button", L"実行", {125, 54, 50, 14}, WS_TABSTOP | BS_DEFPUSHBUTTON},
         {IDCANCEL, L"Button", L"ｷｬﾝｾﾙ", {188, 54, 50, 14}, WS_TABSTOP},
         {IDC_COMMAND_TEXT, L"Edit", L"", {48, 25, 181, 14},
          WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL},
         {0xFFFF, L"Static", L"コマンド", {19, 27, 23, 8}, WS_GROUP}});
}

}  // namespace
}  // namespace telorad::win32
