#pragma once

#include "procedures/MessageDialogs.h"

#include <QList>
#include <QStringList>
#include <functional>

// Message dialogs for tests: every dialog shown is recorded in `calls`, and
// the questions take their answers from `answers`, in order.
//
//   "error:<title>|<text>", "yesno:<title>|<text>", "readjust"
//
// When the script is used up a question answers as its dialog does when it
// is closed from the window menu: Cancel for YesNoDialog, No for
// ReadjustDialog.
class FakeMessageDialogs : public MessageDialogs
{
public:
    void ErrorDialog(const QString &title, const QString &text) override;
    int16_t YesNoDialog(const QString &title, const QString &text) override;
    int16_t ReadjustDialog() override;

    // Calls that begin with prefix ("error:", "yesno:File Error").
    int count(const QString &prefix) const;

    QStringList calls;
    QList<int16_t> answers;
    // Runs while each dialog is "open", as the poll timer keeps running
    // during a real modal dialog.
    std::function<void()> whileOpen;

private:
    int16_t nextAnswer(int16_t closedAnswer);
};
