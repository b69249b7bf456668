#pragma once

#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>

// Shows a file dialog and gives the path the operator chose, or an empty text
// when the dialog was cancelled.
inline QString chosenFile(QFileDialog &dialog)
{
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

// Where a file dialog opens: the folder of the file of its kind used last,
// else the user's documents folder, else the home folder. Never the
// program's working folder, which is wherever it happened to be started.
inline QString startFolder(const QString &lastFile)
{
    if (!lastFile.isEmpty()) {
        const QFileInfo last(lastFile);
        if (last.absoluteDir().exists())
            return last.absolutePath();
    }
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QDir(documents).exists())
        return documents;
    return QDir::homePath();
}
