#include "connect_dialog.h"

#include <QtCore/QRegularExpression>
#include <QtGui/QRegularExpressionValidator>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <algorithm>

#include "dialog_units.h"

namespace telorad::qt {
namespace {

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToUtf8(const QString& text) { return text.toUtf8().toStdString(); }

// A label as wide as the layout gives it, or as its text needs if the font is wider.
void PlaceLabel(QLabel* label, const QRect& rect) {
    label->setGeometry(rect.x(), rect.y(), std::max(rect.width(), label->sizeHint().width()),
                       std::max(rect.height(), label->sizeHint().height()));
}

}  // namespace

ConnectDialog::ConnectDialog(QWidget* owner, ConnectForm& form, Actions actions)
    : QDialog(owner), form_(form), actions_(std::move(actions)) {
    setWindowTitle(QStringLiteral("接続"));
    const DialogUnits units(fontMetrics());

    // Labels first, so that the fields lie above them if a label's text runs long.
    auto* hostLabel = new QLabel(QStringLiteral("host:"), this);
    auto* portLabel = new QLabel(QStringLiteral("port:"), this);
    auto* passwordLabel = new QLabel(QStringLiteral("passwd:"), this);

    ok_ = new QPushButton(QStringLiteral("OK"), this);
    cancel_ = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    history_ = new QComboBox(this);
    host_ = new QLineEdit(this);
    port_ = new QLineEdit(this);
    password_ = new QLineEdit(this);

    ok_->setDefault(true);
    history_->setEditable(false);
    history_->setInsertPolicy(QComboBox::NoInsert);  // lines stay in history order
    port_->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), port_));
    password_->setEchoMode(QLineEdit::Password);

    const auto place = [&](QWidget* widget, int x, int y, int w, int h) {
        QRect rect = units.ToPixels(x, y, w, h);
        rect.setHeight(std::max(rect.height(), widget->sizeHint().height()));
        widget->setGeometry(rect);
    };
    place(ok_, 106, 70, 50, 14);
    place(cancel_, 161, 70, 50, 14);
    place(history_, 10, 5, 99, 14);  // the drop-down list opens below it
    PlaceLabel(hostLabel, units.ToPixels(20, 27, 15, 8));
    place(host_, 40, 24, 90, 14);
    PlaceLabel(portLabel, units.ToPixels(140, 27, 14, 8));
    place(port_, 160, 24, 40, 14);
    PlaceLabel(passwordLabel, units.ToPixels(17, 45, 24, 8));
    place(password_, 52, 43, 40, 14);

    QSize size = units.ToPixels(218, 91);
    size.setHeight(
        std::max(size.height(), ok_->geometry().bottom() + units.ToPixels(0, 7).height()));
    setFixedSize(size);

    QWidget::setTabOrder(ok_, cancel_);
    QWidget::setTabOrder(cancel_, history_);
    QWidget::setTabOrder(history_, host_);
    QWidget::setTabOrder(host_, port_);
    QWidget::setTabOrder(port_, password_);

    for (const std::string& label : form_.labels) history_->addItem(FromUtf8(label));
    history_->setCurrentIndex(form_.selection);
    ShowFields();

    connect(ok_, &QPushButton::clicked, this, &ConnectDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &ConnectDialog::reject);
    connect(history_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index < 0 || !actions_.select) return;
        ReadFields();
        actions_.select(form_, index);
        ShowFields();
    });
}

void ConnectDialog::ShowFields() {
    host_->setText(FromUtf8(form_.hostText));
    port_->setText(FromUtf8(form_.portText));
    password_->setText(FromUtf8(form_.passwordText));
}

void ConnectDialog::ReadFields() {
    form_.selection = history_->currentIndex();
    form_.hostText = ToUtf8(host_->text());
    form_.portText = ToUtf8(port_->text());
    form_.passwordText = ToUtf8(password_->text());
}

void ConnectDialog::accept() {
    ReadFields();
    if (actions_.confirm && !actions_.confirm(form_)) return;
    QDialog::accept();
}

}  // namespace telorad::qt
