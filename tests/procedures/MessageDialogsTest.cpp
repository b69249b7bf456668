#include "support/ModalAnswerer.h"
#include "ui/QtMessageDialogs.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

// How the operator leaves a dialog.
enum class Leave { Enter, CloseBox, ClickYes, ClickNo };
Q_DECLARE_METATYPE(Leave)

class MessageDialogsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void answers_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<Leave>("how");
        QTest::addColumn<int>("answer");   // 0 for the error dialog, which answers nothing
        QTest::newRow("yes/no: Enter answers Cancel") << "yesno" << Leave::Enter << 2;
        QTest::newRow("yes/no: close box answers Cancel") << "yesno" << Leave::CloseBox << 2;
        QTest::newRow("yes/no: Yes") << "yesno" << Leave::ClickYes << 6;
        QTest::newRow("yes/no: No") << "yesno" << Leave::ClickNo << 7;
        QTest::newRow("readjust: Enter answers Yes") << "readjust" << Leave::Enter << 6;
        QTest::newRow("readjust: close box answers No") << "readjust" << Leave::CloseBox << 7;
        QTest::newRow("error: Enter") << "error" << Leave::Enter << 0;
    }

    void answers()
    {
        QFETCH(QString, dialog);
        QFETCH(Leave, how);
        QtMessageDialogs dialogs;
        ModalAnswerer answerer;
        QString message;
        answerer.then([how, &message](QDialog *shown) {
            if (auto *label = shown->findChild<QLabel *>("messageText"))
                message = label->text();
            // Keys go where the operator's keys would: the widget with the focus.
            QWidget *focus = shown->focusWidget() ? shown->focusWidget() : shown;
            auto click = [shown](const char *name) {
                QTest::mouseClick(shown->findChild<QPushButton *>(QString::fromLatin1(name)), Qt::LeftButton);
            };
            switch (how) {
            case Leave::Enter: QTest::keyClick(focus, Qt::Key_Return); break;
            case Leave::CloseBox: shown->close(); break;
            case Leave::ClickYes: click("YesButton"); break;
            case Leave::ClickNo: click("NoButton"); break;
            }
        });
        int16_t got = 0;
        if (dialog == "yesno")
            got = dialogs.askYesNo("Save Data", "Save it?");
        else if (dialog == "readjust")
            got = dialogs.askReadjust({"Maximum Test Cycles: 0 becomes 1"});
        else
            dialogs.showError("No Data File", "There must be a database file open in which to save the data");
        QCOMPARE(answerer.answered, 1);
        QTEST(int(got), "answer");
        if (dialog == "readjust")   // the question lists what was readjusted
            QVERIFY2(message.endsWith("before sending to unit?\n\nMaximum Test Cycles: 0 becomes 1"),
                     qPrintable(message));
        QVERIFY(!QApplication::activeModalWidget());
    }

    // A step that leaves its dialog open, and a dialog no step expects, fail
    // the test at once and are closed: no test waits for its time-out.
    void answererClosesWhatItCannotAnswer()
    {
        QtMessageDialogs dialogs;
        ModalAnswerer answerer;
        answerer.then([](QDialog *) {});
        QEXPECT_FAIL("", "the step left the dialog open", Continue);
        dialogs.showError("No Data File", "There must be a database file open in which to save the data");
        QEXPECT_FAIL("", "no step was left for the dialog", Continue);
        dialogs.showError("No Data File", "There must be a database file open in which to save the data");
        QCOMPARE(answerer.answered, 1);
    }
};

QTEST_MAIN(MessageDialogsTest)
#include "MessageDialogsTest.moc"
