#pragma once
// The connect dialog "接続": the history list, host, port and password fields bound to the core's
// ConnectForm. The form's logic (what a selection fills in, what OK stores) stays in the core;
// the dialog forwards the user's actions to it.
#include <QtWidgets/QDialog>
#include <functional>

#include "hosts/connect_form.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace telorad::qt {

class ConnectDialog : public QDialog {
  public:
    struct Actions {
        // The user chose line `index` of the list: refill the form's fields.
        std::function<void(ConnectForm& form, int index)> select;
        // OK with the fields in the form: true when the dialog may close.
        std::function<bool(ConnectForm& form)> confirm;
    };

    ConnectDialog(QWidget* owner, ConnectForm& form, Actions actions);

    void accept() override;

    QComboBox* history() const { return history_; }
    QLineEdit* host() const { return host_; }
    QLineEdit* port() const { return port_; }
    QLineEdit* password() const { return password_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

  private:
    void ShowFields();
    void ReadFields();

    ConnectForm& form_;
    Actions actions_;
    QComboBox* history_;
    QLineEdit* host_;
    QLineEdit* port_;
    QLineEdit* password_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

}  // namespace telorad::qt
