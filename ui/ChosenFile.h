#pragma once

#include <QDialog>
#include <QFileDialog>
#include <QStringList>

// Shows a file dialog and gives the path the operator chose, or an empty text
// when the dialog was cancelled.
inline QString ChosenFile(QFileDialog &dialog)
{
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}
