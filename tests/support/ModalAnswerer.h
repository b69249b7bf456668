#pragma once

#include <QtTest>
#include <QtWidgets>
#include <functional>

// Answers the modal dialogs a test opens: each scripted step waits until a
// modal dialog is up (QDialog::exec runs its own event loop, where this
// timer fires) and then acts on it. Steps run in order, one dialog each.
// The timer dies with the answerer, so a dialog that never opened cannot
// leak its step into a later test.
//
// A test never waits on a dialog nobody closes: a step must leave its dialog
// closed, and once a check has failed (inside a step or elsewhere) every
// dialog still open, and every dialog that opens after it, is rejected at
// once, so the failure shows now and not at the test function's time-out.
// A dialog that opens when no step is left fails the test the same way.
class ModalAnswerer
{
public:
    using Step = std::function<void(QDialog *dialog)>;

    ModalAnswerer()
    {
        timer.setInterval(5);
        QObject::connect(&timer, &QTimer::timeout, [this] { poll(); });
        timer.start();
    }

    void then(Step step) { steps.append(std::move(step)); }

    int answered = 0;   // dialogs acted on so far

private:
    void poll()
    {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible() || answering.contains(dialog))
            return;
        if (QTest::currentTestFailed())
            return dialog->reject();
        if (steps.isEmpty())
            return fail(dialog, "a dialog opened that the test did not expect");
        ++answered;
        answering.append(dialog);
        const QPointer<QDialog> shown = dialog;
        steps.takeFirst()(dialog);
        answering.removeAll(shown);
        answering.removeAll(nullptr);
        if (shown && shown->isVisible())
            fail(shown, "the dialog was left open");
    }

    // Records the failure unless one is already recorded, and closes the dialog.
    static void fail(QDialog *dialog, const char *message)
    {
        if (!QTest::currentTestFailed())
            QTest::qFail(qPrintable(dialog->objectName() + QStringLiteral(": ") + QLatin1String(message)), __FILE__,
                         __LINE__);
        dialog->reject();
    }

    QTimer timer;
    QList<Step> steps;
    QList<QPointer<QDialog>> answering;   // dialogs whose steps are running (a step may open another)
};
