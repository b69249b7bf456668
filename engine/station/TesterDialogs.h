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

    void showError(const QString &title, const QString &text) override { shared.showError(named(title), text); }
    int16_t askYesNo(const QString &title, const QString &text) override { return shared.askYesNo(named(title), text); }
    int16_t askReadjust(const QStringList &changes) override { return shared.askReadjust(changes); }
    int askChoice(const QString &title, const QString &text, const QStringList &choices) override
    {
        return shared.askChoice(named(title), text, choices);
    }

private:
    QString named(const QString &title) const;

    MessageDialogs &shared;
    const StationTester &tester;   // names the tester in every title
};
