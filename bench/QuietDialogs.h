#pragma once

#include "engine/config/ConfigFileDialog.h"
#include "engine/datalog/DataLog.h"
#include "engine/preferences/SettingsStore.h"
#include "engine/state/MessageDialogs.h"

// Message dialogs that nobody answers: a benchmark shows nothing and never waits.
class QuietDialogs : public MessageDialogs
{
public:
    void showError(const QString &, const QString &) override {}
    int16_t askYesNo(const QString &, const QString &) override { return AnswerYes; }
    int16_t askReadjust(const QStringList &) override { return AnswerNo; }
    int askChoice(const QString &, const QString &, const QStringList &choices) override
    {
        return int(choices.size()) - 1;
    }
};

// File dialogs that nobody answers: no file is chosen.
class NoFiles : public DataFileDialog, public ConfigFileDialog
{
public:
    bool choose(int, QString &) override { return false; }
    bool chooseOpen(QString &) override { return false; }
    bool chooseSave(QString &) override { return false; }
};

// Settings that keep nothing: every benchmark starts from the defaults.
class NoSettings : public SettingsStore
{
public:
    QString read(const QString &, const QString &) const override { return {}; }
    void write(const QString &, const QString &, const QString &) override {}
    QStringList names(const QString &) const override { return {}; }
};
