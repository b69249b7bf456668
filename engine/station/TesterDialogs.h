#pragma once

#include "engine/state/MessageDialogs.h"

class StationTester;

// The message dialogs of one tester among several: every title names the
// tester, so that a message that comes while its window is closed says
// which tester it is about.
class TesterDialogs : public MessageDialogs
{
public:
    TesterDialogs(MessageDialogs &shared, const StationTester &tester) : shared(shared), tester(tester) {}

    void ErrorDialog(const QString &title, const QString &text) override { shared.ErrorDialog(named(title), text); }
    int16_t YesNoDialog(const QString &title, const QString &text) override
    {
        return shared.YesNoDialog(named(title), text);
    }
    int16_t ReadjustDialog(const QStringList &changes) override { return shared.ReadjustDialog(changes); }

private:
    QString named(const QString &title) const;

    MessageDialogs &shared;
    const StationTester &tester;   // names the tester in every title
};
