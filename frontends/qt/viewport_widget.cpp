#include "viewport_widget.h"

#include <QtGui/QKeyEvent>
#include <QtGui/QPainter>
#include <cmath>

#include "app/client.h"
#include "app/main_window.h"
#include "framebuffer_image.h"
#include "viewer_window.h"

namespace telorad::qt {

ViewportWidget::ViewportWidget(ViewerWindow* owner) : QWidget(owner), owner_(owner) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_InputMethodEnabled, false);  // keys arrive as keys, not composed text
}

void ViewportWidget::PaintDirect(const PixelRect& source, int windowX, int windowY) {
    if (source.Empty()) return;
    const double ratio = devicePixelRatioF();
    const QRect logical =
        QRectF(windowX / ratio, windowY / ratio, source.width / ratio, source.height / ratio)
            .toAlignedRect();
    direct_ = DirectPaint{source, windowX, windowY};
    repaint(logical);
    direct_.reset();
}

bool ViewportWidget::event(QEvent* event) {
    switch (event->type()) {
        case QEvent::ShortcutOverride:
            // Every key belongs to the core: no menu mnemonic or shortcut may take it.
            event->accept();
            return true;
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            // Tab and Backtab too, which QWidget would spend on moving the focus.
            owner_->KeyEvent(static_cast<QKeyEvent*>(event), event->type() == QEvent::KeyPress);
            return true;
        default:
            return QWidget::event(event);
    }
}

void ViewportWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const Client* client = owner_->AttachedClient();
    QRegion uncovered(event->region());
    if (client != nullptr) {
        const double ratio = devicePixelRatioF();
        QImage image = WrapFramebuffer(client->framebuffer);
        image.setDevicePixelRatio(ratio);
        const auto draw = [&](const PixelRect& source, int windowX, int windowY) {
            if (image.isNull() || source.Empty()) return;
            const QRectF target(windowX / ratio, windowY / ratio, source.width / ratio,
                                source.height / ratio);
            painter.drawImage(target, image,
                              QRectF(source.x, source.y, source.width, source.height));
            uncovered -= target.toAlignedRect();
        };
        // Qt may fold other waiting updates into this paint, so the whole region is painted
        // from the view first; a direct paint then lands on top of it.
        draw(VisiblePart(*client), 0, 0);
        if (direct_) draw(direct_->source, direct_->windowX, direct_->windowY);
    }
    // Beyond the picture's right and bottom edges the window background shows.
    const QColor background = palette().color(QPalette::Base);
    for (const QRect& rect : uncovered) painter.fillRect(rect, background);
}

void ViewportWidget::mousePressEvent(QMouseEvent* event) { owner_->MouseButtonEvent(event, true); }

void ViewportWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    // A double click is a second press, as for a window class without double clicks.
    owner_->MouseButtonEvent(event, true);
}

void ViewportWidget::mouseReleaseEvent(QMouseEvent* event) {
    owner_->MouseButtonEvent(event, false);
}

void ViewportWidget::mouseMoveEvent(QMouseEvent* event) { owner_->MouseMoveEvent(event); }

void ViewportWidget::wheelEvent(QWheelEvent* event) { owner_->WheelEvent(event); }

void ViewportWidget::focusOutEvent(QFocusEvent* event) {
    owner_->FocusLost();
    QWidget::focusOutEvent(event);
}

}  // namespace telorad::qt
