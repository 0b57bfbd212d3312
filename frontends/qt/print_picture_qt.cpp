#include <QtGui/QPainter>
#include <QtPrintSupport/QPrintDialog>
#include <QtPrintSupport/QPrinter>

#include "print_picture.h"

namespace telorad::qt {

bool PrintImage(QWidget* owner, const QImage& picture,
                const std::function<PixelRect(Size printable)>& fit) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Orliq Viewer"));
    printer.setCopyCount(1);
    printer.setCollateCopies(true);
    QPrintDialog dialog(&printer, owner);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    if (dialog.exec() != QDialog::Accepted) return false;

    const QRect printable = printer.pageLayout().paintRectPixels(printer.resolution());
    const PixelRect page = fit({printable.width(), printable.height()});
    QPainter painter;
    if (!painter.begin(&printer)) return true;  // failures after the dialog are not reported
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(page.x, page.y, page.width, page.height), picture);
    painter.end();
    return true;
}

}  // namespace telorad::qt
