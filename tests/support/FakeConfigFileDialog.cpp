#include "FakeConfigFileDialog.h"

bool FakeConfigFileDialog::chooseOpen(QString &path)
{
    uses << QStringLiteral("open:") + path;
    return take(path);
}

bool FakeConfigFileDialog::chooseSave(QString &path)
{
    uses << QStringLiteral("save");
    return take(path);
}

bool FakeConfigFileDialog::take(QString &path)
{
    if (choices.isEmpty())
        return false;
    const std::optional<QString> choice = choices.takeFirst();
    if (!choice)
        return false;
    path = *choice;
    return true;
}
