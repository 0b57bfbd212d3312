#include "qt_window_system.h"

#include <QtCore/QFile>
#include <QtGui/QClipboard>
#include <QtGui/QGuiApplication>
#include <QtWidgets/QFileDialog>
#include <QtWidgets/QLineEdit>

#include "app/client.h"
#include "app/connect_form_text.h"
#include "command_dialog.h"
#include "connect_dialog.h"
#include "framebuffer_image.h"
#include "message_box.h"
#include "hosts/connect_form.h"
#include "print_picture.h"
#include "viewer_window.h"
#include "viewport_widget.h"

namespace telorad::qt {
namespace {

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Dialogs open at the corner of the owner's client area, as their layouts place them.
void PlaceAtClientCorner(QDialog& dialog, ViewerWindow& window) {
    dialog.move(window.Viewport()->mapToGlobal(QPoint(0, 0)));
}

}  // namespace

QtWindowSystem::QtWindowSystem(ViewerWindow& window) : window_(window) {}

void QtWindowSystem::ShowMessageBox(std::string_view text, std::string_view caption,
                                    MessageBoxStyle style) {
    RunMessageBox(&window_, FromUtf8(text), FromUtf8(caption),
                  style == MessageBoxStyle::Warning ? BoxIcon::Warning : BoxIcon::None);
}

void QtWindowSystem::PaintNow(const ScreenBitmap&, const PixelRect& source, std::int32_t windowX,
                              std::int32_t windowY) {
    window_.PaintNow(source, windowX, windowY);
}

Size QtWindowSystem::ClientSize() { return window_.ClientSize(); }
Size QtWindowSystem::WindowSize() { return window_.WindowSize(); }
void QtWindowSystem::ResizeWindow(Size outer) { window_.ResizeOuter(outer); }
bool QtWindowSystem::HasHorizontalScrollBar() { return window_.HorizontalBarShown(); }
bool QtWindowSystem::HasVerticalScrollBar() { return window_.VerticalBarShown(); }
std::int32_t QtWindowSystem::FrameWidth() { return window_.FrameWidth(); }
std::int32_t QtWindowSystem::HorizontalScrollBarHeight() { return window_.HorizontalBarHeight(); }
std::int32_t QtWindowSystem::VerticalScrollBarWidth() { return window_.VerticalBarWidth(); }

void QtWindowSystem::SetScrollBar(ScrollBarKind bar, const ScrollBarInfo& info) {
    window_.SetBar(bar, info);
}

void QtWindowSystem::EnableMenuItem(int command, bool enabled) {
    window_.Menu().EnableItem(command, enabled);
}
bool QtWindowSystem::IsMenuItemEnabled(int command) {
    return window_.Menu().IsItemEnabled(command);
}
void QtWindowSystem::CheckMenuItem(int command, bool checked) {
    window_.Menu().CheckItem(command, checked);
}
bool QtWindowSystem::IsMenuItemChecked(int command) {
    return window_.Menu().IsItemChecked(command);
}
void QtWindowSystem::CheckMenuRadioItem(int first, int last, int chosen) {
    window_.Menu().CheckRadioItem(first, last, chosen);
}

void QtWindowSystem::ScrollClientArea(std::int32_t dx, std::int32_t dy) {
    window_.ScrollContents(dx, dy);
}
void QtWindowSystem::RepaintNow() { window_.RepaintPending(); }

bool QtWindowSystem::IsKeyDown(int virtualKey) { return window_.Keys().IsDown(virtualKey); }

std::uint32_t QtWindowSystem::TickCount() {
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start_);
    return static_cast<std::uint32_t>(elapsed.count());
}

void QtWindowSystem::CopyToClipboard(const ScreenBitmap& framebuffer) {
    const QImage picture = CopyFramebuffer(framebuffer);
    if (picture.isNull()) return;
    QGuiApplication::clipboard()->setImage(picture);
}

std::optional<std::string> QtWindowSystem::AskSaveFileName() {
    QFileDialog dialog(&window_, QStringLiteral("保存"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(
        {QStringLiteral("ビットマップ (*.bmp)"), QStringLiteral("すべて(*.*) (*.*)")});
    dialog.setDefaultSuffix(QStringLiteral("bmp"));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString();
}

bool QtWindowSystem::PrintPicture(const ScreenBitmap& framebuffer,
                                  const std::function<PixelRect(Size printable)>& fit) {
    const QImage picture = CopyFramebuffer(framebuffer);
    if (picture.isNull()) return false;
    return PrintImage(&window_, picture, fit);
}

int QtWindowSystem::RunConnectDialog(ConnectForm& form) {
    Client* client = window_.AttachedClient();
    ConnectDialog::Actions actions;
    actions.select = [client](ConnectForm& edited, int index) {
        if (client != nullptr) {
            SelectDecodedConnectFormEntry(edited, client->hostHistory, index, client->wireCodePage);
        }
    };
    ConnectDialog dialog(&window_, form, std::move(actions));
    PlaceAtClientCorner(dialog, window_);
    return dialog.exec() == QDialog::Accepted ? kConnectFormOk : kConnectFormCancel;
}

std::optional<std::string> QtWindowSystem::RunCommandDialog(std::string_view shownText) {
    CommandDialog dialog(&window_);
    dialog.command()->setText(FromUtf8(shownText));
    PlaceAtClientCorner(dialog, window_);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.command()->text().toUtf8().toStdString();
}

void QtWindowSystem::DestroyMainWindow() { window_.MarkClosed(); }

}  // namespace telorad::qt
