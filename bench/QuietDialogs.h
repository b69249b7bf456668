#pragma once

#include "engine/state/MessageDialogs.h"

// Message dialogs that nobody answers: a benchmark shows nothing and never waits.
class QuietDialogs : public MessageDialogs
{
public:
    void ErrorDialog(const QString &, const QString &) override {}
    int16_t YesNoDialog(const QString &, const QString &) override { return AnswerYes; }
    int16_t ReadjustDialog(const QStringList &) override { return AnswerNo; }
};
