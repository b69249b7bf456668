#include "ui/TrendFileDialog.h"

#include "ui/ChosenFile.h"

#include <QFileDialog>

QString QtTrendFileDialog::logToPlot(QWidget *parent)
{
    return QFileDialog::getOpenFileName(parent, QStringLiteral("Plot Data Log"), startFolder(QString()),
                                        QStringLiteral("Data (*.txt);;All Files (*)"));
}

QString QtTrendFileDialog::imageToSave(QWidget *parent)
{
    QFileDialog dialog(parent, QStringLiteral("Save Image"), startFolder(QString()));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters({QStringLiteral("PNG image (*.png)"), QStringLiteral("All Files (*)")});
    dialog.setDefaultSuffix(QStringLiteral("png"));
    return chosenFile(dialog);
}

QString QtTrendFileDialog::rangeToExport(QWidget *parent)
{
    QFileDialog dialog(parent, QStringLiteral("Export Range"), startFolder(QString()));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters({QStringLiteral("Data (*.txt)"), QStringLiteral("All Files (*)")});
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    return chosenFile(dialog);
}
