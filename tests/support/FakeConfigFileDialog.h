#pragma once

#include "config/ConfigFileDialog.h"

#include <QList>
#include <QStringList>
#include <optional>

// The Configure menu's file dialogs for tests: each use is noted in `uses`
// ("open:<preset name>", "save") and takes the next scripted choice (a path,
// or std::nullopt for Cancel). With the script used up the operator cancels.
class FakeConfigFileDialog : public ConfigFileDialog
{
public:
    bool chooseOpen(QString &path) override { uses << "open:" + path; return take(path); }
    bool chooseSave(QString &path) override { uses << "save"; return take(path); }

    QList<std::optional<QString>> choices;
    QStringList uses;

private:
    bool take(QString &path)
    {
        const std::optional<QString> choice = choices.isEmpty() ? std::nullopt : choices.takeFirst();
        if (choice)
            path = *choice;
        return choice.has_value();
    }
};
