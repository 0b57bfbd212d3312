// Test helper for the viewer's end-to-end run on an X display:
//   window_grab grab WINDOW_ID OUTPUT.png [X Y W H]
//                                           saves what the X server shows in that window (or
//                                           in a part of it)
//   window_grab crop IN OUT.png X Y W H      saves a part of a picture
//   window_grab find SHOT.png PICTURE.bmp TOLERANCE
//                                           finds PICTURE inside SHOT pixel for pixel (each
//                                           channel within TOLERANCE); prints "found at X,Y"
//                                           and exits 0, else prints the best try and exits 1
//   window_grab close WINDOW_ID              asks the window to close as a window manager's close
//                                           button does: a WM_DELETE_WINDOW client message
#include <QtGui/QGuiApplication>
#include <QtGui/QImage>
#include <QtGui/QPixmap>
#include <QtGui/QScreen>
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string_view>

namespace {

int Grab(const char* windowId, const char* output, QRect part) {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return 2;
    const WId id = static_cast<WId>(std::strtoull(windowId, nullptr, 0));
    const QPixmap shot =
        part.isNull() ? screen->grabWindow(id)
                      : screen->grabWindow(id, part.x(), part.y(), part.width(), part.height());
    if (shot.isNull() || !shot.save(QString::fromLocal8Bit(output), "PNG")) return 2;
    std::printf("grabbed %dx%d\n", shot.width(), shot.height());
    return 0;
}

// Pixels of `picture` that differ from the shot at (x, y); stops counting past `limit`.
long Mismatches(const QImage& shot, const QImage& picture, int x, int y, int tolerance,
                long limit) {
    long count = 0;
    for (int row = 0; row < picture.height(); ++row) {
        const auto* a = reinterpret_cast<const QRgb*>(shot.constScanLine(y + row)) + x;
        const auto* b = reinterpret_cast<const QRgb*>(picture.constScanLine(row));
        for (int column = 0; column < picture.width(); ++column) {
            const QRgb p = a[column];
            const QRgb q = b[column];
            if (std::abs(qRed(p) - qRed(q)) > tolerance ||
                std::abs(qGreen(p) - qGreen(q)) > tolerance ||
                std::abs(qBlue(p) - qBlue(q)) > tolerance) {
                if (++count > limit) return count;
            }
        }
    }
    return count;
}

xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}

int Close(const char* windowId) {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) return 2;
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = static_cast<xcb_window_t>(std::strtoul(windowId, nullptr, 0));
    message.type = Atom(connection, "WM_PROTOCOLS");
    message.data.data32[0] = Atom(connection, "WM_DELETE_WINDOW");
    message.data.data32[1] = XCB_CURRENT_TIME;
    const xcb_void_cookie_t sent = xcb_send_event_checked(
        connection, 0, message.window, XCB_EVENT_MASK_NO_EVENT,
        reinterpret_cast<const char*>(&message));
    xcb_generic_error_t* error = xcb_request_check(connection, sent);
    const int result = error == nullptr ? 0 : 2;
    std::free(error);
    xcb_disconnect(connection);
    return result;
}

int Crop(const char* input, const char* output, const QRect& part) {
    const QImage image(QString::fromLocal8Bit(input));
    if (image.isNull() || !image.rect().contains(part)) return 2;
    return image.copy(part).save(QString::fromLocal8Bit(output), "PNG") ? 0 : 2;
}

int Find(const char* shotPath, const char* picturePath, int tolerance) {
    const QImage shot =
        QImage(QString::fromLocal8Bit(shotPath)).convertToFormat(QImage::Format_RGB32);
    const QImage picture =
        QImage(QString::fromLocal8Bit(picturePath)).convertToFormat(QImage::Format_RGB32);
    if (shot.isNull() || picture.isNull()) {
        std::printf("cannot read the images\n");
        return 2;
    }
    std::printf("shot %dx%d, picture %dx%d\n", shot.width(), shot.height(), picture.width(),
                picture.height());
    long best = std::numeric_limits<long>::max();
    int bestX = -1;
    int bestY = -1;
    for (int y = 0; y + picture.height() <= shot.height(); ++y) {
        for (int x = 0; x + picture.width() <= shot.width(); ++x) {
            const long count = Mismatches(shot, picture, x, y, tolerance, best);
            if (count < best) {
                best = count;
                bestX = x;
                bestY = y;
            }
            if (best == 0) {
                std::printf("found at %d,%d\n", x, y);
                return 0;
            }
        }
    }
    std::printf("not found; best at %d,%d with %ld differing pixels\n", bestX, bestY, best);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    if (argc == 3 && std::string_view(argv[1]) == "close") return Close(argv[2]);
    if (argc == 4 && std::string_view(argv[1]) == "grab") return Grab(argv[2], argv[3], {});
    if (argc == 8 && std::string_view(argv[1]) == "grab") {
        return Grab(
            argv[2], argv[3],
            QRect(std::atoi(argv[4]), std::atoi(argv[5]), std::atoi(argv[6]), std::atoi(argv[7])));
    }
    if (argc == 8 && std::string_view(argv[1]) == "crop") {
        return Crop(
            argv[2], argv[3],
            QRect(std::atoi(argv[4]), std::atoi(argv[5]), std::atoi(argv[6]), std::atoi(argv[7])));
    }
    if (argc == 5 && std::string_view(argv[1]) == "find") {
        return Find(argv[2], argv[3], std::atoi(argv[4]));
    }
    std::fprintf(stderr,
                 "usage: window_grab grab WINDOW_ID OUT.png [X Y W H] | crop IN OUT X Y W H | find "
                 "SHOT PICTURE TOL\n");
    return 64;
}
