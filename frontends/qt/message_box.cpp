#include "message_box.h"

#include <QtGui/QFontMetrics>
#include <QtWidgets/QApplication>
#include <QtWidgets/QGridLayout>
#include <QtWidgets/QMessageBox>
#include <QtWidgets/QSpacerItem>
#include <QtWidgets/QStyle>
#include <algorithm>

namespace telorad::qt {

int CaptionWidth(const QWidget& box, const QString& caption) {
    // Window managers draw captions in a bold face about the size of the application's font.
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    font.setBold(true);
    const QFontMetrics metrics(font);
    const int barHeight = std::max(box.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &box),
                                   metrics.height() + 8);
    // Room for the window icon and up to three buttons, each about as wide as the bar is high.
    return metrics.horizontalAdvance(caption) + 4 * barHeight;
}

void RunMessageBox(QWidget* owner, const QString& text, const QString& caption, BoxIcon icon) {
    QMessageBox box(icon == BoxIcon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon, caption,
                    text, QMessageBox::Ok, owner);
    box.setTextFormat(Qt::PlainText);
    // The box's own minimum width cannot be set; a spacer across its grid widens it instead.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        grid->addItem(new QSpacerItem(CaptionWidth(box, caption), 0, QSizePolicy::Minimum,
                                      QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    box.exec();
}

}  // namespace telorad::qt
