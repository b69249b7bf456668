#pragma once

#include "engine/config/ConfigFileDialog.h"

#include <QStringList>

class QWidget;

// The Configure menu's file dialogs on the desktop: QFileDialog filtered to
// configuration files, Open requiring an existing file, Save asking before
// an existing file is replaced.
class QtConfigFileDialog : public ConfigFileDialog
{
public:
    explicit QtConfigFileDialog(QWidget *parent = nullptr) : parent(parent) {}
    void setParentWidget(QWidget *widget) { parent = widget; }

    bool chooseOpen(QString &path) override;
    bool chooseSave(QString &path) override;

    static QStringList nameFilters();
    static QString defaultSuffix();

private:
    bool choose(bool save, QString &path);

    QWidget *parent;
};
