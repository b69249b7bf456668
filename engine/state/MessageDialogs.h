#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

// Answer codes of the question dialogs, the platform's message-box numbers.
enum DialogAnswer : int16_t { AnswerCancel = 2, AnswerYes = 6, AnswerNo = 7 };

// The program's own message dialogs. Every message of the program goes
// through these; the program shows real dialogs, tests answer them.
class MessageDialogs
{
public:
    virtual ~MessageDialogs() = default;
    virtual void showError(const QString &title, const QString &text) = 0;
    virtual int16_t askYesNo(const QString &title, const QString &text) = 0;
    // Whether to review the values the editor readjusted, one line each.
    virtual int16_t askReadjust(const QStringList &changes) = 0;
    // A question answered by one of its own choices, the last of them the
    // cancel (Enter and the close box): the index of the choice taken.
    virtual int askChoice(const QString &title, const QString &text, const QStringList &choices) = 0;
};
