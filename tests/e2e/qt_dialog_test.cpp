// The connect and command dialogs: captions, controls, tab order, default buttons, and what
// they hand back to the core.
#include <QtTest/QTest>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QFileDialog>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>

#include "command_dialog.h"
#include "connect_dialog.h"
#include "hosts/host_history.h"
#include "qt_test_support.h"

namespace telorad::qt::testing {
namespace {

std::vector<QWidget*> TabChain(QWidget* first, int count) {
    std::vector<QWidget*> chain{first};
    QWidget* widget = first;
    while (static_cast<int>(chain.size()) < count) {
        do {
            widget = widget->nextInFocusChain();
        } while (widget->focusPolicy() == Qt::NoFocus || !widget->isVisibleTo(widget->window()));
        chain.push_back(widget);
    }
    return chain;
}

QStringList Labels(const QDialog& dialog) {
    QStringList texts;
    for (const QLabel* label : dialog.findChildren<QLabel*>()) texts << label->text();
    return texts;
}

HostHistory ThreeServers() {
    HostHistory history;
    for (int i = 2; i >= 0; --i) {
        HostEntry entry;
        entry.host = "host" + std::to_string(i) + ".example";
        entry.port = 9000 + i;
        entry.password = "secret" + std::to_string(i);
        entry.label = MakeHostLabel(entry.host, entry.port);
        RememberHost(history, entry);
    }
    return history;
}

TEST(QtConnectDialog, ShowsTheHistoryInOrderAndFillsTheFieldsFromTheChosenLine) {
    const HostHistory history = ThreeServers();
    ConnectForm form = OpenConnectForm(history);
    ConnectDialog dialog(
        nullptr, form,
        {[&](ConnectForm& edited, int index) { SelectConnectFormEntry(edited, history, index); },
         {}});
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("接続"));
    EXPECT_EQ(Labels(dialog), (QStringList{"host:", "port:", "passwd:"}));
    EXPECT_EQ(dialog.okButton()->text(), QStringLiteral("OK"));
    EXPECT_EQ(dialog.cancelButton()->text(), QStringLiteral("ｷｬﾝｾﾙ"));
    EXPECT_TRUE(dialog.okButton()->isDefault());
    EXPECT_FALSE(dialog.history()->isEditable());
    ASSERT_EQ(dialog.history()->count(), 3);
    EXPECT_EQ(dialog.history()->itemText(0), QStringLiteral("host0.example:9000"));
    EXPECT_EQ(dialog.history()->itemText(2), QStringLiteral("host2.example:9002"));
    EXPECT_EQ(dialog.history()->currentIndex(), 0);
    EXPECT_EQ(dialog.host()->text(), QStringLiteral("host0.example"));
    EXPECT_EQ(dialog.port()->text(), QStringLiteral("9000"));
    EXPECT_EQ(dialog.password()->text(), QStringLiteral("secret0"));
    EXPECT_EQ(dialog.password()->echoMode(), QLineEdit::Password);

    const std::vector<QWidget*> expectedOrder{
        dialog.okButton(), dialog.cancelButton(), dialog.history(), dialog.host(),
        dialog.port(),     dialog.password(),     dialog.okButton()};
    EXPECT_EQ(TabChain(dialog.okButton(), 7), expectedOrder);

    dialog.history()->setCurrentIndex(2);  // as a choice in the drop-down list does
    EXPECT_EQ(dialog.host()->text(), QStringLiteral("host2.example"));
    EXPECT_EQ(dialog.port()->text(), QStringLiteral("9002"));
    EXPECT_EQ(dialog.password()->text(), QStringLiteral("secret2"));
}

TEST(QtConnectDialog, EmptyHistoryDefaultsDigitsOnlyPortAndTheFieldsHandedBack) {
    ConnectForm form = OpenConnectForm({});
    ConnectDialog dialog(nullptr, form, {});
    EXPECT_EQ(dialog.history()->count(), 0);
    EXPECT_EQ(dialog.history()->currentIndex(), -1);
    EXPECT_EQ(dialog.host()->text(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(dialog.port()->text(), QStringLiteral("9876"));
    EXPECT_EQ(dialog.password()->text(), QString());

    dialog.port()->clear();
    QTest::keyClicks(dialog.port(), QStringLiteral("7a0-0 0+0"));
    EXPECT_EQ(dialog.port()->text(), QStringLiteral("70000"));  // the core reduces it to 16 bits
    dialog.host()->setText(QStringLiteral("サーバ.example"));
    dialog.password()->setText(QStringLiteral("パス"));
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(form.hostText, "サーバ.example");
    EXPECT_EQ(form.portText, "70000");
    EXPECT_EQ(form.passwordText, "パス");  // UTF-8 as typed; the core converts it
}

TEST_F(QtViewerTest, DialogsRunModallyOverTheWindowAndReportTheirResults) {
    ConnectForm form = OpenConnectForm({});
    OnNextModal<ConnectDialog>([this](ConnectDialog* dialog) {
        EXPECT_EQ(dialog->parentWidget(), &window);
        dialog->port()->setText(QStringLiteral("1234"));
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    EXPECT_EQ(windowSystem.RunConnectDialog(form), kConnectFormCancel);
    EXPECT_EQ(form.portText, "9876");

    OnNextModal<ConnectDialog>([](ConnectDialog* dialog) {
        dialog->port()->setText(QStringLiteral("1234"));
        QTest::keyClick(dialog->port(), Qt::Key_Return);  // the default button
    });
    EXPECT_EQ(windowSystem.RunConnectDialog(form), kConnectFormOk);
    EXPECT_EQ(form.portText, "1234");

    OnNextModal<CommandDialog>([](CommandDialog* dialog) {
        EXPECT_EQ(dialog->command()->text(), QString());
        QTest::keyClicks(dialog->command(), QStringLiteral("echo "));
        dialog->command()->insert(QStringLiteral("ハロー"));
        QTest::keyClick(dialog->command(), Qt::Key_Return);
    });
    EXPECT_EQ(windowSystem.RunCommandDialog(""), std::optional<std::string>("echo ハロー"));

    OnNextModal<CommandDialog>([](CommandDialog* dialog) {
        EXPECT_EQ(dialog->command()->text(), QStringLiteral("echo €"));  // a refused text again
        QTest::keyClicks(dialog->command(), QStringLiteral("not sent"));
        QTest::mouseClick(dialog->cancelButton(), Qt::LeftButton);
    });
    EXPECT_EQ(windowSystem.RunCommandDialog("echo €"), std::nullopt);
}

TEST_F(QtViewerTest, SaveDialogAsksForABitmapNameAndAddsTheExtension) {
    const QString folder = QString::fromStdString(dir.path().string());
    OnNextModal<QFileDialog>([&](QFileDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("保存"));
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(dialog->nameFilters(),
                  (QStringList{"ビットマップ (*.bmp)", "すべて(*.*) (*.*)"}));
        EXPECT_EQ(dialog->selectedNameFilter(), QStringLiteral("ビットマップ (*.bmp)"));
        EXPECT_FALSE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
        dialog->setDirectory(folder);
        // Typed into the name field: selectFile() leaves that field alone while it has the
        // keyboard focus, which it may or may not have yet, depending on timing.
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->setText(QStringLiteral("snapshot"));
        static_cast<QDialog*>(dialog)->accept();  // as the Save button does
    });
    const std::optional<std::string> chosen = windowSystem.AskSaveFileName();
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, (dir.path() / "snapshot.bmp").string());

    OnNextModal<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
    EXPECT_EQ(windowSystem.AskSaveFileName(), std::nullopt);
}

TEST(QtCommandDialog, CaptionControlsTabOrderAndAnEmptyFieldEachTime) {
    for (int run = 0; run < 2; ++run) {
        CommandDialog dialog(nullptr);
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("コマンド実行"));
        EXPECT_EQ(Labels(dialog), QStringList{"コマンド"});
        EXPECT_EQ(dialog.runButton()->text(), QStringLiteral("実行"));
        EXPECT_EQ(dialog.cancelButton()->text(), QStringLiteral("ｷｬﾝｾﾙ"));
        EXPECT_TRUE(dialog.runButton()->isDefault());
        EXPECT_EQ(dialog.command()->text(), QString()) << "run " << run;
        const std::vector<QWidget*> expectedOrder{dialog.runButton(), dialog.cancelButton(),
                                                  dialog.command(), dialog.runButton()};
        EXPECT_EQ(TabChain(dialog.runButton(), 4), expectedOrder);
        dialog.command()->setText(QStringLiteral("dir"));
    }
}

}  // namespace
}  // namespace telorad::qt::testing
