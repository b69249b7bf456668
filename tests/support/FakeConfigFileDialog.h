#pragma once

#include "engine/config/ConfigFileDialog.h"

#include <QtCore>

// The Configure menu's file dialogs for tests: each use takes the next path
// from `choices`; with none left the operator cancels.
struct FakeConfigFileDialog : ConfigFileDialog
{
    bool chooseOpen(QString &path) override { return take(path); }
    bool chooseSave(QString &path) override { return take(path); }
    bool take(QString &path) { return !choices.isEmpty() && !(path = choices.takeFirst()).isEmpty(); }
    QStringList choices;
};
