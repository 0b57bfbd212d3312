#include "viewer_window.h"

#include <QtCore/QDir>
#include <QtGui/QCloseEvent>
#include <QtGui/QIcon>
#include <QtGui/QKeyEvent>
#include <QtGui/QMouseEvent>
#include <QtGui/QWheelEvent>
#include <QtGui/QWindow>
#include <QtWidgets/QScrollBar>
#include <algorithm>
#include <cmath>
#include <limits>

#include "app/client.h"
#include "app/commands.h"
#include "app/main_window.h"
#include "app/view.h"
#include "viewport_widget.h"

namespace telorad::qt {
namespace {

// Window-message numbers of the button events, as the server expects them.
constexpr std::uint32_t kLeftDown = 513;
constexpr std::uint32_t kLeftUp = 514;
constexpr std::uint32_t kRightDown = 516;
constexpr std::uint32_t kRightUp = 517;
constexpr std::uint32_t kMiddleDown = 519;
constexpr std::uint32_t kMiddleUp = 520;

// Key-state bits of a wheel event.
constexpr std::uint32_t kMkLeftButton = 0x01;
constexpr std::uint32_t kMkRightButton = 0x02;
constexpr std::uint32_t kMkShift = 0x04;
constexpr std::uint32_t kMkControl = 0x08;
constexpr std::uint32_t kMkMiddleButton = 0x10;

// Scroll-bar request codes beyond those the core acts on.
constexpr int kScrollTop = 6;
constexpr int kScrollBottom = 7;

// The accelerator table: Ctrl plus a letter, neither Shift nor Alt.
struct Accel {
    int virtualKey;
    int command;
};
constexpr std::array<Accel, 5> kAccelerators{{
    {'C', IDM_COPY},
    {'O', IDM_OPEN_UNUSED},
    {'P', IDM_PRINT},
    {'R', IDM_RELOAD_UNUSED},
    {'V', IDM_PASTE_UNUSED},
}};

struct ButtonCodes {
    int virtualKey;
    std::uint32_t down;
    std::uint32_t up;
};

std::optional<ButtonCodes> CodesFor(Qt::MouseButton button) {
    switch (button) {
        case Qt::LeftButton:
            return ButtonCodes{VK_LBUTTON, kLeftDown, kLeftUp};
        case Qt::RightButton:
            return ButtonCodes{VK_RBUTTON, kRightDown, kRightUp};
        case Qt::MiddleButton:
            return ButtonCodes{VK_MBUTTON, kMiddleDown, kMiddleUp};
        case Qt::XButton1:  // key state only: the server gets no message for these buttons
            return ButtonCodes{0x05, 0, 0};
        case Qt::XButton2:
            return ButtonCodes{0x06, 0, 0};
        default:
            return std::nullopt;
    }
}

constexpr int kBarIndex(ScrollBarKind kind) { return kind == ScrollBarKind::Horizontal ? 0 : 1; }

}  // namespace

ViewerWindow::ViewerWindow() {
    setWindowTitle(QStringLiteral("Client"));
    // The PNG sizes built into the program: no image plugin and no icon theme needed.
    QIcon icon;
    const QDir icons(QStringLiteral(":/icons"));
    for (const QString& name : icons.entryList(QDir::Files)) icon.addFile(icons.filePath(name));
    setWindowIcon(icon);
    menuBar_ = new QMenuBar(this);
    menu_ = std::make_unique<MainMenu>(menuBar_, [this](int command) {
        if (client_ != nullptr) HandleCommand(*client_, command);
    });
    viewport_ = new ViewportWidget(this);
    const std::array<Qt::Orientation, 2> orientations{Qt::Horizontal, Qt::Vertical};
    for (int i = 0; i < 2; ++i) {
        QScrollBar* bar = new QScrollBar(orientations[static_cast<std::size_t>(i)], this);
        const ScrollBarKind kind = i == 0 ? ScrollBarKind::Horizontal : ScrollBarKind::Vertical;
        bar->setFocusPolicy(Qt::NoFocus);
        bar->hide();
        bar->installEventFilter(this);  // the wheel over a bar scrolls as over the picture
        connect(bar, &QScrollBar::actionTriggered, this,
                [this, kind](int action) { ScrollBarAction(kind, action); });
        connect(bar, &QScrollBar::sliderReleased, this, [this, kind, bar] {
            if (client_ == nullptr) return;
            OnScrollRequest(*client_, kind, 4, static_cast<std::uint32_t>(bar->value()));
        });
        bars_[static_cast<std::size_t>(i)] = bar;
    }
    corner_ = new QWidget(this);
    corner_->setAutoFillBackground(true);
    corner_->hide();
    setFocusProxy(viewport_);
    viewport_->setFocus();
}

ViewerWindow::~ViewerWindow() {
    // The client area goes while this is still a ViewerWindow: its last focus-out calls back.
    for (QScrollBar* bar : bars_) bar->removeEventFilter(this);
    if (watchedWindow_ != nullptr) watchedWindow_->removeEventFilter(this);
    delete viewport_;
}

void ViewerWindow::Attach(Client* client) {
    client_ = client;
    Relayout();
    UpdateSizeLimit();
}

double ViewerWindow::Ratio() const { return devicePixelRatioF(); }

int ViewerWindow::ToDevice(int logical) const {
    return static_cast<int>(std::lround(logical * Ratio()));
}

int ViewerWindow::ToLogical(int device) const {
    return static_cast<int>(std::lround(device / Ratio()));
}

QScrollBar* ViewerWindow::Bar(ScrollBarKind kind) const {
    return bars_[static_cast<std::size_t>(kBarIndex(kind))];
}

int ViewerWindow::MenuHeight() const {
    const int forWidth = menuBar_->heightForWidth(width());
    return forWidth > 0 ? forWidth : menuBar_->sizeHint().height();
}

QSize ViewerWindow::LogicalClientSize() const {
    const int barWidth = barShown_[1] ? bars_[1]->sizeHint().width() : 0;
    const int barHeight = barShown_[0] ? bars_[0]->sizeHint().height() : 0;
    return {std::max(0, width() - barWidth), std::max(0, height() - MenuHeight() - barHeight)};
}

Size ViewerWindow::ClientSize() const {
    const QSize logical = LogicalClientSize();
    return {ToDevice(logical.width()), ToDevice(logical.height())};
}

Size ViewerWindow::WindowSize() const {
    const QSize outer = frameGeometry().size();
    return {ToDevice(outer.width()), ToDevice(outer.height())};
}

std::int32_t ViewerWindow::FrameWidth() const {
    return ToDevice((frameGeometry().width() - width()) / 2);
}

std::int32_t ViewerWindow::HorizontalBarHeight() const {
    return ToDevice(bars_[0]->sizeHint().height());
}

std::int32_t ViewerWindow::VerticalBarWidth() const {
    return ToDevice(bars_[1]->sizeHint().width());
}

void ViewerWindow::Relayout() {
    const int menuHeight = MenuHeight();
    const QSize client = LogicalClientSize();
    const int barWidth = barShown_[1] ? bars_[1]->sizeHint().width() : 0;
    const int barHeight = barShown_[0] ? bars_[0]->sizeHint().height() : 0;
    menuBar_->setGeometry(0, 0, width(), menuHeight);
    viewport_->setGeometry(0, menuHeight, client.width(), client.height());
    bars_[0]->setGeometry(0, menuHeight + client.height(), client.width(), barHeight);
    bars_[1]->setGeometry(client.width(), menuHeight, barWidth, client.height());
    corner_->setGeometry(client.width(), menuHeight + client.height(), barWidth, barHeight);
    bars_[0]->setVisible(barShown_[0]);
    bars_[1]->setVisible(barShown_[1]);
    corner_->setVisible(barShown_[0] && barShown_[1]);
    DeliverClientSize();
}

void ViewerWindow::DeliverClientSize() {
    if (client_ == nullptr) return;
    const Size now = ClientSize();
    if (now.width == deliveredClientSize_.width && now.height == deliveredClientSize_.height) {
        return;
    }
    deliveredClientSize_ = now;
    // Showing or hiding a bar inside the core's handling changes the size again; that change
    // is delivered at once too, nested, as a window system sends size messages.
    if (sizeNotifyDepth_ > 4) return;
    ++sizeNotifyDepth_;
    OnClientSizeChanged(*client_);
    --sizeNotifyDepth_;
    UpdateSizeLimit();
}

void ViewerWindow::UpdateSizeLimit() {
    if (client_ == nullptr || limitingSize_) return;
    constexpr std::int32_t kHuge = 1 << 24;
    const Size limit = LimitWindowSize(*client_, {kHuge, kHuge});
    const QSize frame = frameGeometry().size() - size();
    // The limit only stops growing: a window already beyond it is not shrunk behind the user's
    // back (the core never makes it so; a scroll bar going away can).
    const int maxWidth =
        std::clamp(ToLogical(limit.width) - frame.width(), std::max(1, width()), QWIDGETSIZE_MAX);
    const int maxHeight = std::clamp(ToLogical(limit.height) - frame.height(),
                                     std::max(1, height()), QWIDGETSIZE_MAX);
    limitingSize_ = true;
    setMaximumSize(maxWidth, maxHeight);
    limitingSize_ = false;
}

std::int32_t ViewerWindow::MenuBarWidth() const {
    return ToDevice(menuBar_->sizeHint().width() + frameGeometry().width() - width());
}

void ViewerWindow::ResizeOuter(Size outer) {
    const QSize frame = frameGeometry().size() - size();
    const QSize logical(std::max(1, ToLogical(outer.width) - frame.width()),
                        std::max(1, ToLogical(outer.height) - frame.height()));
    // The core's own resizes are not bound by the limit for the user's dragging.
    limitingSize_ = true;
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    limitingSize_ = false;
    resize(logical);
    Relayout();  // at once, also while the window is hidden and Qt holds the resize back
    UpdateSizeLimit();
}

void ViewerWindow::SetBar(ScrollBarKind kind, const ScrollBarInfo& info) {
    const auto index = static_cast<std::size_t>(kBarIndex(kind));
    QScrollBar* bar = bars_[index];
    barInfo_[index] = info;
    const std::int64_t range = std::int64_t{info.max} - info.min + 1;
    const bool show = info.page < range;
    {
        const QSignalBlocker blocker(bar);
        if (show) {
            bar->setRange(info.min, static_cast<int>(std::max<std::int64_t>(
                                        info.min, std::int64_t{info.max} - info.page + 1)));
            bar->setPageStep(std::max(1, info.page));
            bar->setSingleStep(10);
            bar->setValue(info.pos);
        }
    }
    if (show != barShown_[index]) {
        barShown_[index] = show;
        Relayout();
    }
}

void ViewerWindow::ScrollBarAction(ScrollBarKind kind, int action) {
    QScrollBar* bar = Bar(kind);
    int code = -1;
    switch (action) {
        case QAbstractSlider::SliderSingleStepSub:
            code = 0;
            break;
        case QAbstractSlider::SliderSingleStepAdd:
            code = 1;
            break;
        case QAbstractSlider::SliderPageStepSub:
            code = 2;
            break;
        case QAbstractSlider::SliderPageStepAdd:
            code = 3;
            break;
        case QAbstractSlider::SliderMove:
            code = 5;
            break;
        case QAbstractSlider::SliderToMinimum:
            code = kScrollTop;
            break;
        case QAbstractSlider::SliderToMaximum:
            code = kScrollBottom;
            break;
        default:
            return;
    }
    if (client_ != nullptr) {
        OnScrollRequest(*client_, kind, code, static_cast<std::uint32_t>(bar->sliderPosition()));
    }
    // The bar shows where the core put the view, not where Qt's own step would have gone.
    const QSignalBlocker blocker(bar);
    bar->setSliderPosition(barInfo_[static_cast<std::size_t>(kBarIndex(kind))].pos);
}

void ViewerWindow::PaintNow(const PixelRect& source, std::int32_t windowX, std::int32_t windowY) {
    viewport_->PaintDirect(source, windowX, windowY);
}

void ViewerWindow::ScrollContents(std::int32_t dx, std::int32_t dy) {
    const double ratio = Ratio();
    const QRect area = viewport_->rect();
    const bool whole = std::fmod(dx / ratio, 1.0) != 0.0 || std::fmod(dy / ratio, 1.0) != 0.0;
    if (whole) {
        pendingRepaint_ += area;  // a move by a fraction of a logical pixel: repaint it all
        return;
    }
    const int logicalDx = static_cast<int>(dx / ratio);
    const int logicalDy = static_cast<int>(dy / ratio);
    viewport_->scroll(logicalDx, logicalDy);
    pendingRepaint_ += QRegion(area) - QRegion(area.translated(logicalDx, logicalDy));
}

void ViewerWindow::RepaintPending() {
    const QRegion region = pendingRepaint_ & viewport_->rect();
    pendingRepaint_ = QRegion();
    if (!region.isEmpty()) viewport_->repaint(region);
}

void ViewerWindow::MarkClosed() {
    closed_ = true;
    hide();
}

void ViewerWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Relayout();
}

void ViewerWindow::closeEvent(QCloseEvent* event) {
    // The close box destroys the window, as the exit command does.
    closed_ = true;
    event->accept();
}

void ViewerWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    QWindow* handle = windowHandle();
    if (handle != watchedWindow_) {
        if (watchedWindow_ != nullptr) watchedWindow_->removeEventFilter(this);
        watchedWindow_ = handle;
        if (handle != nullptr) handle->installEventFilter(this);
    }
}

bool ViewerWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == watchedWindow_) {
        switch (event->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::MouseMove:
                // On its way to a widget a pointer position is rounded to whole logical pixels,
                // at a scale of 2 the next device pixel over: here it is still exact.
                return WindowPointerEvent(static_cast<QMouseEvent*>(event));
            default:
                return false;
        }
    }
    if (event->type() == QEvent::Wheel && (watched == bars_[0] || watched == bars_[1])) {
        WheelEvent(static_cast<QWheelEvent*>(event));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

bool ViewerWindow::Accelerator(const VirtualKeys& keys) {
    if (!keys_.IsDown(VK_CONTROL) || keys_.IsDown(VK_SHIFT) || keys_.IsDown(VK_MENU)) {
        return false;
    }
    for (const Accel& accel : kAccelerators) {
        if (accel.virtualKey != keys.virtualKey) continue;
        if (client_ != nullptr) HandleCommand(*client_, accel.command);
        return true;
    }
    return false;
}

void ViewerWindow::KeyEvent(QKeyEvent* event, bool pressed) {
    const VirtualKeys keys = MapKey(event->key(), event->modifiers(), event->nativeVirtualKey(),
                                    event->nativeScanCode());
    // A held key's repeats change nothing in the table; the core's scan then finds no change.
    if (!event->isAutoRepeat()) {
        if (pressed) {
            keys_.Press(keys);
        } else {
            keys_.Release(keys);
        }
    }
    // An accelerator consumes the letter's press: it never reaches the key forwarding.
    if (pressed && Accelerator(keys)) return;
    if (client_ != nullptr) OnKeyEvent(*client_);
}

std::optional<QPoint> ViewerWindow::ClientDevicePosition(QPointF logical) const {
    const double ratio = Ratio();
    const QPoint device(static_cast<int>(std::lround(logical.x() * ratio)),
                        static_cast<int>(std::lround(logical.y() * ratio)));
    const Size client = ClientSize();
    // Without a pointer grab nothing outside the client area is seen.
    if (device.x() < 0 || device.y() < 0 || device.x() >= client.width ||
        device.y() >= client.height) {
        return std::nullopt;
    }
    return device;
}

void ViewerWindow::Pointer(QEvent::Type type, Qt::MouseButton button, QPointF logical) {
    const std::optional<QPoint> at = ClientDevicePosition(logical);
    if (type == QEvent::MouseMove) {
        if (client_ != nullptr && at) OnMouseMove(*client_, at->x(), at->y());
        return;
    }
    const std::optional<ButtonCodes> codes = CodesFor(button);
    if (!codes) return;
    const bool pressed = type != QEvent::MouseButtonRelease;
    if (!pressed) {
        keys_.ReleaseCode(codes->virtualKey);
    } else if (at) {
        keys_.PressCode(codes->virtualKey);
    }
    const std::uint32_t message = pressed ? codes->down : codes->up;
    if (message != 0 && client_ != nullptr && at) OnMouseButton(*client_, message, at->x(), at->y());
}

bool ViewerWindow::WindowPointerEvent(QMouseEvent* event) {
    windowPointerTime_ = event->timestamp();
    // The press before it was the second press already.
    if (event->type() == QEvent::MouseButtonDblClick) return false;
    const QPointF logical = event->position() - QPointF(viewport_->mapTo(this, QPoint(0, 0)));
    const bool inside = ClientDevicePosition(logical).has_value();
    // A drag that began beside the client area (on a scroll bar) belongs to that widget until
    // the buttons are up: the picture hears nothing of it.
    if (event->buttons() == Qt::NoButton && event->type() == QEvent::MouseMove) {
        dragBesideClient_ = false;
    } else if (event->type() == QEvent::MouseButtonPress && event->buttons() == event->button()) {
        dragBesideClient_ = !inside;
    }
    if (dragBesideClient_) return false;
    Pointer(event->type(), event->button(), logical);
    // Qt hands the event on at its position rounded to whole logical pixels; on the client
    // area's last device row or column that lands beside it, where it must do nothing else.
    return inside && childAt(event->position().toPoint()) != viewport_;
}

void ViewerWindow::MouseButtonEvent(QMouseEvent* event, bool pressed) {
    // Events that came through the native window were handled there, with exact positions.
    if (windowPointerTime_ == event->timestamp()) return;
    Pointer(pressed ? QEvent::MouseButtonPress : QEvent::MouseButtonRelease, event->button(),
            event->position());
}

void ViewerWindow::MouseMoveEvent(QMouseEvent* event) {
    if (windowPointerTime_ == event->timestamp()) return;
    Pointer(QEvent::MouseMove, Qt::NoButton, event->position());
}

void ViewerWindow::WheelEvent(QWheelEvent* event) {
    event->accept();
    // A horizontal wheel has no message of its own for the core.
    const int delta = event->angleDelta().y();
    if (client_ == nullptr || delta == 0) return;
    std::uint32_t keyState = 0;
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    const Qt::MouseButtons buttons = event->buttons();
    if (buttons.testFlag(Qt::LeftButton)) keyState |= kMkLeftButton;
    if (buttons.testFlag(Qt::RightButton)) keyState |= kMkRightButton;
    if (modifiers.testFlag(Qt::ShiftModifier)) keyState |= kMkShift;
    if (modifiers.testFlag(Qt::ControlModifier)) keyState |= kMkControl;
    if (buttons.testFlag(Qt::MiddleButton)) keyState |= kMkMiddleButton;
    // The delta travels as a signed 16-bit number.
    OnMouseWheel(*client_, keyState, std::clamp(delta, -32768, 32767));
}

void ViewerWindow::FocusLost() {
    // From now on every key counts as up, and the server hears so at once.
    keys_.ReleaseAll();
    if (client_ != nullptr) OnFocusLost(*client_);
}

}  // namespace telorad::qt
