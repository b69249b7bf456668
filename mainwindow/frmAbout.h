#pragma once

#include <QDialog>
#include <QStringList>
#include <functional>

class MessageDialogs;

// Help, About: the program's title, version and purpose, and a button that
// starts the platform's system-information tool.
class frmAbout : public QDialog
{
public:
    frmAbout(MessageDialogs &dialogs, QWidget *parent = nullptr);

    // How the tool is found and started; tests replace them.
    std::function<QStringList()> findTool;
    std::function<bool(const QStringList &)> startTool;

    void StartSysInfo();

    static QString title();
    static QString versionText();

private:
    MessageDialogs &dialogs;
};
