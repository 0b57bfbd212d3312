#include "print_picture.h"

namespace telorad::qt {

// Built without Qt's print support: there is no printer to choose, as after Cancel.
bool PrintImage(QWidget*, const QImage&, const std::function<PixelRect(Size)>&) { return false; }

}  // namespace telorad::qt
