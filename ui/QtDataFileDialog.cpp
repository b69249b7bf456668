#include "ui/QtDataFileDialog.h"

#include "ui/ChosenFile.h"

#include <QFileDialog>
#include <QStringList>

QtDataFileDialog::QtDataFileDialog(QWidget *parent) : parent(parent) {}

QStringList QtDataFileDialog::nameFilters()
{
    return {QStringLiteral("Data (*.txt)"), QStringLiteral("All Files (*)")};
}

QString QtDataFileDialog::defaultSuffix()
{
    return QStringLiteral("txt");
}

QString QtDataFileDialog::title(int creatfile)
{
    switch (creatfile) {
    case 0: return QStringLiteral("New Data File");
    case 1: return QStringLiteral("Save Data File");
    default: return QStringLiteral("Open Data File");
    }
}

bool QtDataFileDialog::choose(int creatfile, QString &path)
{
    if (creatfile < 0 || creatfile > 2)
        return false;

    // The same Open dialog serves New, save-before-closing and Open: any name
    // is accepted, an existing log is appended to, a new one is created.
    QFileDialog dialog(parent, title(creatfile), startFolder(path));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(nameFilters());
    dialog.selectNameFilter(nameFilters().first());
    dialog.setDefaultSuffix(defaultSuffix());
    dialog.setOption(QFileDialog::ReadOnly, false);
    const QString chosen = chosenFile(dialog);
    if (chosen.isEmpty())
        return false;
    path = chosen;
    return true;
}
