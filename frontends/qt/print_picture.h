#pragma once
// Printing one page; with Qt's print support or, where it is missing, a stand-in that reports
// the dialog as cancelled.
#include <QtGui/QImage>
#include <functional>

#include "app/window_system.h"

class QWidget;

namespace telorad::qt {

// The print dialog, then `picture` stretched smoothly onto the rectangle `fit` gives for the
// printable area in device pixels. False when the user cancelled.
bool PrintImage(QWidget* owner, const QImage& picture,
                const std::function<PixelRect(Size printable)>& fit);

}  // namespace telorad::qt
