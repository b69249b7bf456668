#pragma once

#include "engine/datalog/DataLog.h"

class QWidget;

// The data log's file dialog on the desktop: a QFileDialog that accepts an
// existing or a new name, filtered to data files, adding ".txt" to a bare
// name. Whether a new name may be created for Open is asked by DataLog.
class QtDataFileDialog : public DataFileDialog
{
public:
    explicit QtDataFileDialog(QWidget *parent = nullptr);

    // The window the dialog is centred on, once it exists.
    void setParentWidget(QWidget *widget) { parent = widget; }

    bool choose(int creatfile, QString &path) override;

    // The filter list, the default suffix and the title the dialog uses.
    static QStringList nameFilters();
    static QString title(int creatfile);
    static QString defaultSuffix();

private:
    QWidget *parent;
};
