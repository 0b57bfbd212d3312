#include "command_dialog.h"

#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <algorithm>

#include "dialog_units.h"

namespace telorad::qt {

CommandDialog::CommandDialog(QWidget* owner) : QDialog(owner) {
    setWindowTitle(QStringLiteral("コマンド実行"));
    const DialogUnits units(fontMetrics());

    auto* label = new QLabel(QStringLiteral("コマンド"), this);
    run_ = new QPushButton(QStringLiteral("実行"), this);
    cancel_ = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    command_ = new QLineEdit(this);
    run_->setDefault(true);

    const auto place = [&](QWidget* widget, int x, int y, int w, int h) {
        QRect rect = units.ToPixels(x, y, w, h);
        rect.setHeight(std::max(rect.height(), widget->sizeHint().height()));
        widget->setGeometry(rect);
    };
    place(run_, 125, 54, 50, 14);
    place(cancel_, 188, 54, 50, 14);
    place(command_, 48, 25, 181, 14);
    const QRect labelRect = units.ToPixels(19, 27, 23, 8);
    label->setGeometry(labelRect.x(), labelRect.y(),
                       std::max(labelRect.width(), label->sizeHint().width()),
                       std::max(labelRect.height(), label->sizeHint().height()));

    QSize size = units.ToPixels(245, 75);
    size.setHeight(
        std::max(size.height(), run_->geometry().bottom() + units.ToPixels(0, 7).height()));
    setFixedSize(size);

    QWidget::setTabOrder(run_, cancel_);
    QWidget::setTabOrder(cancel_, command_);

    connect(run_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

}  // namespace telorad::qt
