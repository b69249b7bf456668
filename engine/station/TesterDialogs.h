#pragma once

#include "engine/state/MessageDialogs.h"

#include <functional>

// The message dialogs of one tester among several: every title names the
// tester, so that a message that comes while its window is closed says
// which tester it is about.
class TesterDialogs : public MessageDialogs
{
public:
    TesterDialogs(MessageDialogs &shared, std::function<QString()> testerName)
        : shared(shared), testerName(std::move(testerName))
    {
    }

    void showError(const QString &title, const QString &text) override { shared.showError(named(title), text); }
    int16_t askYesNo(const QString &title, const QString &text) override { return shared.askYesNo(named(title), text); }
    int16_t askReadjust(const QStringList &changes) override { return shared.askReadjust(changes); }

private:
    QString named(const QString &title) const { return title + QStringLiteral(" - ") + testerName(); }

    MessageDialogs &shared;
    std::function<QString()> testerName;
};
