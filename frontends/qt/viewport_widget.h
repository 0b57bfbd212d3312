#pragma once
// The client area: paints the framebuffer 1:1 (one framebuffer pixel per device pixel) and hands
// every key, button, move and wheel event to the main window for translation.
#include <QtWidgets/QWidget>
#include <optional>

#include "screen/update_rect.h"

namespace telorad::qt {

class ViewerWindow;

class ViewportWidget : public QWidget {
  public:
    explicit ViewportWidget(ViewerWindow* owner);

    // Paints `source` with its corner at (windowX, windowY), device pixels, before returning.
    void PaintDirect(const PixelRect& source, int windowX, int windowY);

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    struct DirectPaint {
        PixelRect source;
        int windowX;
        int windowY;
    };
    ViewerWindow* owner_;
    std::optional<DirectPaint> direct_;
};

}  // namespace telorad::qt
