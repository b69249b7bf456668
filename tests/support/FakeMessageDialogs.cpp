#include "FakeMessageDialogs.h"

void FakeMessageDialogs::ErrorDialog(const QString &title, const QString &text)
{
    calls << QStringLiteral("error:%1|%2").arg(title, text);
    if (whileOpen)
        whileOpen();
}

int16_t FakeMessageDialogs::YesNoDialog(const QString &title, const QString &text)
{
    calls << QStringLiteral("yesno:%1|%2").arg(title, text);
    return nextAnswer(AnswerCancel);
}

int16_t FakeMessageDialogs::ReadjustDialog()
{
    calls << QStringLiteral("readjust");
    return nextAnswer(AnswerNo);
}

int FakeMessageDialogs::count(const QString &prefix) const
{
    int n = 0;
    for (const QString &call : calls)
        n += call.startsWith(prefix) ? 1 : 0;
    return n;
}

int16_t FakeMessageDialogs::nextAnswer(int16_t closedAnswer)
{
    if (whileOpen)
        whileOpen();
    return answers.isEmpty() ? closedAnswer : answers.takeFirst();
}
