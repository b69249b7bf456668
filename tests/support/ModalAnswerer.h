#pragma once

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <functional>

// Answers the modal dialogs a test opens: each scripted step waits until a
// modal dialog is up (QDialog::exec runs its own event loop, where this
// timer fires) and then acts on it. Steps run in order, one dialog each.
// The timer dies with the answerer, so a dialog that never opened cannot
// leak its step into a later test.
class ModalAnswerer
{
public:
    using Step = std::function<void(QDialog *dialog)>;

    ModalAnswerer()
    {
        timer.setInterval(5);
        QObject::connect(&timer, &QTimer::timeout, [this] { poll(); });
    }

    void then(Step step)
    {
        steps.append(std::move(step));
        timer.start();
    }

    int answered = 0;   // dialogs acted on so far

private:
    void poll()
    {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible() || dialog == lastDialog || steps.isEmpty())
            return;
        lastDialog = dialog;
        Step step = steps.takeFirst();
        if (steps.isEmpty())
            timer.stop();
        ++answered;
        step(dialog);
    }

    QTimer timer;
    QList<Step> steps;
    QPointer<QDialog> lastDialog;   // a dialog already answered, until it is gone
};
