#include "ui/QtConfigFileDialog.h"

#include "ui/ChosenFile.h"

#include <QFileDialog>

QStringList QtConfigFileDialog::nameFilters()
{
    return {QStringLiteral("Configuration (*.cfg)"), QStringLiteral("All Files (*)")};
}

QString QtConfigFileDialog::defaultSuffix()
{
    return QStringLiteral("cfg");
}

bool QtConfigFileDialog::chooseOpen(QString &path)
{
    return choose(false, path);
}

bool QtConfigFileDialog::chooseSave(QString &path)
{
    return choose(true, path);
}

bool QtConfigFileDialog::choose(bool save, QString &path)
{
    QFileDialog dialog(parent, save ? QStringLiteral("Save Configuration") : QStringLiteral("Open Configuration"),
                       startFolder(path));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // Save asks before replacing a file (the dialog's default confirmation).
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilters(nameFilters());
    dialog.selectNameFilter(nameFilters().first());
    dialog.setDefaultSuffix(defaultSuffix());
    dialog.setOption(QFileDialog::ReadOnly, false);
    // Open offers the last file again; Save fills in no name, so that a
    // quick Enter cannot replace it.
    if (!save && !path.isEmpty())
        dialog.selectFile(path);
    const QString chosen = chosenFile(dialog);
    if (chosen.isEmpty())
        return false;
    path = chosen;
    return true;
}
