#pragma once
// The main window "Client": menu bar, the client area showing the framebuffer 1:1, and the two
// scroll bars, laid out by hand so that the client area's size is known the moment a bar comes
// or goes. Geometry towards the core is in device pixels (one framebuffer pixel each).
// Every event becomes a core call; no rule of the system is decided here.
#include <QtCore/QEvent>
#include <QtGui/QRegion>
#include <QtWidgets/QWidget>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>

#include "app/window_system.h"
#include "key_state.h"
#include "menu_bar.h"

class QKeyEvent;
class QMouseEvent;
class QScrollBar;
class QWheelEvent;
class QWindow;

namespace telorad {
struct Client;
}

namespace telorad::qt {

class ViewportWidget;

class ViewerWindow : public QWidget {
  public:
    ViewerWindow();
    ~ViewerWindow() override;

    // The client whose events this window reports; set before the window is shown, and set to
    // nullptr before that client goes (the client area's last focus-out comes later).
    void Attach(Client* client);
    Client* AttachedClient() const { return client_; }

    // Geometry in device pixels.
    Size ClientSize() const;
    Size WindowSize() const;
    std::int32_t FrameWidth() const;
    std::int32_t HorizontalBarHeight() const;
    std::int32_t VerticalBarWidth() const;
    bool HorizontalBarShown() const { return barShown_[0]; }
    bool VerticalBarShown() const { return barShown_[1]; }
    void ResizeOuter(Size outer);
    // The width the menu bar needs to show all five popups, in device pixels.
    std::int32_t MenuBarWidth() const;
    void SetBar(ScrollBarKind kind, const ScrollBarInfo& info);
    // Keeps the largest size the user may drag the window to in step with the core's limit.
    void UpdateSizeLimit();

    // Painting and scrolling of the client area.
    void PaintNow(const PixelRect& source, std::int32_t windowX, std::int32_t windowY);
    void ScrollContents(std::int32_t dx, std::int32_t dy);
    void RepaintPending();

    MainMenu& Menu() { return *menu_; }
    const KeyState& Keys() const { return keys_; }
    ViewportWidget* Viewport() const { return viewport_; }
    QScrollBar* Bar(ScrollBarKind kind) const;

    // True once the window was closed or destroyed: the main loop then ends.
    bool IsClosed() const { return closed_; }
    void MarkClosed();

    // Input from the client area, translated for the core.
    void KeyEvent(QKeyEvent* event, bool pressed);
    void MouseButtonEvent(QMouseEvent* event, bool pressed);
    void MouseMoveEvent(QMouseEvent* event);
    void WheelEvent(QWheelEvent* event);
    void FocusLost();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    double Ratio() const;
    // A position in logical pixels of the client area in device pixels; std::nullopt outside.
    std::optional<QPoint> ClientDevicePosition(QPointF logical) const;
    // A button or move at a position in logical pixels of the client area, for the core.
    void Pointer(QEvent::Type type, Qt::MouseButton button, QPointF logical);
    // A pointer event of the native window; true when no widget may have it.
    bool WindowPointerEvent(QMouseEvent* event);
    int ToDevice(int logical) const;
    int ToLogical(int device) const;
    QSize LogicalClientSize() const;
    int MenuHeight() const;
    void Relayout();
    void DeliverClientSize();
    void ScrollBarAction(ScrollBarKind kind, int action);
    // The accelerator table: Ctrl plus C, O, P, R or V runs its command; true when consumed.
    bool Accelerator(const VirtualKeys& keys);

    Client* client_ = nullptr;
    std::unique_ptr<MainMenu> menu_;
    QMenuBar* menuBar_;
    ViewportWidget* viewport_;
    std::array<QScrollBar*, 2> bars_{};  // horizontal, vertical
    QWidget* corner_;
    std::array<bool, 2> barShown_{};
    std::array<ScrollBarInfo, 2> barInfo_{};
    KeyState keys_;
    QRegion pendingRepaint_;  // logical pixels of the client area
    Size deliveredClientSize_{-1, -1};
    int sizeNotifyDepth_ = 0;
    bool limitingSize_ = false;
    bool closed_ = false;
    QWindow* watchedWindow_ = nullptr;  // the native window, whose pointer events are exact
    // The time stamp of its last pointer event: the widget's copy of it is handled already.
    std::optional<std::uint64_t> windowPointerTime_;
    bool dragBesideClient_ = false;  // the buttons went down beside the client area
};

}  // namespace telorad::qt
