#pragma once
// The command dialog "コマンド実行": one field, empty when it opens (a refused text is shown
// again by whoever runs it).
#include <QtWidgets/QDialog>

class QLineEdit;
class QPushButton;

namespace telorad::qt {

class CommandDialog : public QDialog {
  public:
    explicit CommandDialog(QWidget* owner);

    QLineEdit* command() const { return command_; }
    QPushButton* runButton() const { return run_; }
    QPushButton* cancelButton() const { return cancel_; }

  private:
    QLineEdit* command_;
    QPushButton* run_;
    QPushButton* cancel_;
};

}  // namespace telorad::qt
