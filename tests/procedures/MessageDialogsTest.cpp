#include "support/ModalAnswerer.h"
#include "support/TestKit.h"
#include "ui/DialogIcon.h"
#include "ui/ErrorDialog.h"
#include "ui/QtMessageDialogs.h"
#include "ui/YesNoDialog.h"

#include <QtWidgets>

// How the operator leaves a dialog.
enum class Leave { Enter, CloseBox, ClickYes, ClickNo };
Q_DECLARE_METATYPE(Leave)

class MessageDialogsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void answers_data()
    {
        // answer: 0 for the error dialog, which answers nothing
        addColumns<QString, Leave, int>("dialog", "how", "answer");
        QTest::newRow("yes/no: Enter answers Cancel") << "yesno" << Leave::Enter << 2;
        QTest::newRow("yes/no: close box answers Cancel") << "yesno" << Leave::CloseBox << 2;
        QTest::newRow("yes/no: Yes") << "yesno" << Leave::ClickYes << 6;
        QTest::newRow("yes/no: No") << "yesno" << Leave::ClickNo << 7;
        QTest::newRow("readjust: Enter answers Yes") << "readjust" << Leave::Enter << 6;
        QTest::newRow("readjust: close box answers No") << "readjust" << Leave::CloseBox << 7;
        QTest::newRow("error: Enter") << "error" << Leave::Enter << 0;
        // A choice answers the index of the one taken; the last is the cancel.
        QTest::newRow("choice: Enter answers the last") << "choice" << Leave::Enter << 2;
        QTest::newRow("choice: close box answers the last") << "choice" << Leave::CloseBox << 2;
        QTest::newRow("choice: the first") << "choice" << Leave::ClickYes << 0;
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
            case Leave::ClickYes: click(shown->objectName() == "ChoiceDialog" ? "ChoiceButton0" : "YesButton"); break;
            case Leave::ClickNo: click(shown->objectName() == "ChoiceDialog" ? "ChoiceButton1" : "NoButton"); break;
            }
        });
        int got = 0;
        if (dialog == "choice")
            got = dialogs.askChoice("Save Data", "Save what?", {"Export Run So Far...", "Don't Save", "Cancel"});
        else if (dialog == "yesno")
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

    // A long message shows whole: the dialog grows to a readable width and as high as the text then wraps.
    void longMessageShowsWhole_data()
    {
        addColumns<QString, QString>("dialog", "text");
        const QString outage = QStringLiteral(
            "The run archive postgresql://lab@db.example.org:5432/runs cannot be written: connection to server "
            "at \"db.example.org\" (10.0.0.7), port 5432 failed: Connection refused\n\tIs the server running on "
            "that host and accepting TCP/IP connections?\nQPSQL: Unable to connect.\n\nPolling and the data log go "
            "on; the samples wait in the local spool and reach the archive in order when it is back.");
        QTest::newRow("archive outage") << "error" << outage;
        QTest::newRow("one long paragraph") << "yesno" << QString(" word").repeated(80);
    }

    void longMessageShowsWhole()
    {
        QFETCH(QString, dialog);
        QFETCH(QString, text);
        ::ErrorDialog error;
        ::YesNoDialog question;
        error.setMessage(text);
        question.setMessage(text);
        QDialog *shown = dialog == "error" ? static_cast<QDialog *>(&error) : &question;
        shown->show();
        QVERIFY(QTest::qWaitForWindowExposed(shown));
        const QLabel *label = shown->findChild<QLabel *>("messageText");
        // At the size it is shown, and at the least the window system may give it.
        for (const QSize size : {shown->size(), shown->minimumSize()}) {
            shown->resize(size);
            QCoreApplication::processEvents();
            const QString needs = QStringLiteral("%1 high, the text needs %2").arg(label->height());
            QVERIFY2(label->height() >= label->heightForWidth(label->width()),
                     qPrintable(needs.arg(label->heightForWidth(label->width()))));
        }
        QVERIFY(label->width() <= MessageWidthLimit + 1);
    }

    // A step that leaves its dialog open, and a dialog no step expects, fail at once and are closed.
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
