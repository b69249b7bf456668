#pragma once

#include "engine/state/MessageDialogs.h"

#include <QtCore>
#include <algorithm>
#include <functional>

// Message dialogs for tests: every dialog shown is recorded in `calls`, and
// the questions take their answers from `answers`, in order.
//
//   "error:<title>|<text>", "yesno:<title>|<text>", "readjust:<change>|<change>...",
//   "choice:<title>|<text>|<choice>/<choice>..." (answered by the index of a choice)
//
// When the script is used up a question answers as its dialog does when it
// is closed from the window menu: Cancel for YesNoDialog, No for
// ReadjustDialog, the last choice for a choice.
class FakeMessageDialogs : public MessageDialogs
{
public:
    void showError(const QString &title, const QString &text) override
    {
        calls << QStringLiteral("error:%1|%2").arg(title, text);
        if (whileOpen)
            whileOpen();
    }
    int16_t askYesNo(const QString &title, const QString &text) override
    {
        calls << QStringLiteral("yesno:%1|%2").arg(title, text);
        return nextAnswer(AnswerCancel);
    }
    int16_t askReadjust(const QStringList &changes) override
    {
        calls << QStringLiteral("readjust:") + changes.join(QLatin1Char('|'));
        return nextAnswer(AnswerNo);
    }
    int askChoice(const QString &title, const QString &text, const QStringList &choices) override
    {
        calls << QStringLiteral("choice:%1|%2|%3").arg(title, text, choices.join(QLatin1Char('/')));
        return nextAnswer(int16_t(choices.size() - 1));
    }

    // Calls that begin with prefix ("error:", "yesno:File Error").
    int count(const QString &prefix) const
    {
        return int(std::count_if(calls.begin(), calls.end(), [&](const QString &c) { return c.startsWith(prefix); }));
    }

    QStringList calls;
    QList<int16_t> answers;
    // Runs while each dialog is "open", as the poll timer keeps running
    // during a real modal dialog.
    std::function<void()> whileOpen;

private:
    int16_t nextAnswer(int16_t closedAnswer)
    {
        if (whileOpen)
            whileOpen();
        return answers.isEmpty() ? closedAnswer : answers.takeFirst();
    }
};
