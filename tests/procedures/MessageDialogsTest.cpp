#include "procedures/ErrorDialog.h"
#include "procedures/QtMessageDialogs.h"
#include "procedures/ReadjustDialog.h"
#include "procedures/YesNoDialog.h"
#include "support/ModalAnswerer.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {

// How the operator leaves a dialog.
enum class Leave { Enter, Escape, CloseBox, ClickYes, ClickNo, ClickCancel };

void leave(QDialog *dialog, Leave how)
{
    auto click = [dialog](const char *name) {
        QTest::mouseClick(dialog->findChild<QPushButton *>(QString::fromLatin1(name)), Qt::LeftButton);
    };
    // Keys go where the operator's keys would: the widget with the focus.
    QWidget *focus = dialog->focusWidget() ? dialog->focusWidget() : dialog;
    switch (how) {
    case Leave::Enter: QTest::keyClick(focus, Qt::Key_Return); break;
    case Leave::Escape: QTest::keyClick(focus, Qt::Key_Escape); break;
    case Leave::CloseBox: dialog->close(); break;
    case Leave::ClickYes: click("YesButton"); break;
    case Leave::ClickNo: click("NoButton"); break;
    case Leave::ClickCancel: click("CancelButton"); break;
    }
}

} // namespace

Q_DECLARE_METATYPE(Leave)

class MessageDialogsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void yesNoAnswers_data();
    void yesNoAnswers();
    void readjustAnswers_data();
    void readjustAnswers();
    void errorDialogCloses_data();
    void errorDialogCloses();
    void eachMessageShowsItsOwnTexts();
    void yesNoTabOrder();
};

void MessageDialogsTest::yesNoAnswers_data()
{
    QTest::addColumn<Leave>("how");
    QTest::addColumn<int>("answer");
    QTest::newRow("Enter answers Cancel") << Leave::Enter << 2;
    QTest::newRow("close box answers Cancel") << Leave::CloseBox << 2;
    QTest::newRow("Escape answers Cancel") << Leave::Escape << 2;
    QTest::newRow("Yes") << Leave::ClickYes << 6;
    QTest::newRow("No") << Leave::ClickNo << 7;
    QTest::newRow("Cancel") << Leave::ClickCancel << 2;
}

void MessageDialogsTest::yesNoAnswers()
{
    QFETCH(Leave, how);
    QFETCH(int, answer);
    QtMessageDialogs dialogs;
    ModalAnswerer answerer;
    QString shownTitle, shownText;
    answerer.then([&](QDialog *dialog) {
        shownTitle = dialog->windowTitle();
        shownText = dialog->findChild<QLabel *>("MsgLbl")->text();
        leave(dialog, how);
    });
    QCOMPARE(dialogs.YesNoDialog("Save Data", "Save it?"), int16_t(answer));
    QCOMPARE(answerer.answered, 1);
    QCOMPARE(shownTitle, QString("Save Data"));
    QCOMPARE(shownText, QString("Save it?"));
}

void MessageDialogsTest::readjustAnswers_data()
{
    QTest::addColumn<Leave>("how");
    QTest::addColumn<int>("answer");
    QTest::newRow("Enter answers Yes") << Leave::Enter << 6;
    QTest::newRow("close box answers No") << Leave::CloseBox << 7;
    QTest::newRow("Escape answers No") << Leave::Escape << 7;
    QTest::newRow("Yes") << Leave::ClickYes << 6;
    QTest::newRow("No") << Leave::ClickNo << 7;
}

void MessageDialogsTest::readjustAnswers()
{
    QFETCH(Leave, how);
    QFETCH(int, answer);
    QtMessageDialogs dialogs;
    ModalAnswerer answerer;
    answerer.then([&](QDialog *dialog) { leave(dialog, how); });
    QCOMPARE(dialogs.ReadjustDialog(), int16_t(answer));
    QCOMPARE(answerer.answered, 1);
}

void MessageDialogsTest::errorDialogCloses_data()
{
    QTest::addColumn<Leave>("how");
    QTest::newRow("Enter") << Leave::Enter;
    QTest::newRow("Escape") << Leave::Escape;
    QTest::newRow("close box") << Leave::CloseBox;
}

void MessageDialogsTest::errorDialogCloses()
{
    QFETCH(Leave, how);
    QtMessageDialogs dialogs;
    ModalAnswerer answerer;
    answerer.then([&](QDialog *dialog) { leave(dialog, how); });
    dialogs.ErrorDialog("No Data File", "There must be a database file open in which to save the data");
    QCOMPARE(answerer.answered, 1);
    QVERIFY(!QApplication::activeModalWidget());
}

void MessageDialogsTest::eachMessageShowsItsOwnTexts()
{
    // Every message is a fresh dialog: nothing of an earlier one shows through.
    QtMessageDialogs dialogs;
    ModalAnswerer answerer;
    QStringList shown;
    auto record = [&](QDialog *dialog) {
        shown << dialog->windowTitle() + "|" + dialog->findChild<QLabel *>("ErrMsg")->text();
        leave(dialog, Leave::Enter);
    };
    answerer.then(record);
    answerer.then(record);
    dialogs.ErrorDialog("File Error", "Error Opening File");
    dialogs.ErrorDialog("System Error", "System Information Is Unavailable At This Time");
    QCOMPARE(shown, QStringList({"File Error|Error Opening File",
                                 "System Error|System Information Is Unavailable At This Time"}));
}

void MessageDialogsTest::yesNoTabOrder()
{
    YesNoDialog dialog;
    auto *yes = dialog.findChild<QPushButton *>("YesButton");
    auto *no = dialog.findChild<QPushButton *>("NoButton");
    auto *cancel = dialog.findChild<QPushButton *>("CancelButton");
    QCOMPARE(yes->nextInFocusChain(), cancel);
    QCOMPARE(cancel->nextInFocusChain(), no);
}

QTEST_MAIN(MessageDialogsTest)
#include "MessageDialogsTest.moc"
