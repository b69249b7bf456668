#pragma once

#include <QDialog>
#include <QStringList>
#include <functional>

class QLayout;
class SerialDevices;

// Help, About: the program's title, version and purpose, and a button that
// starts the platform's system-information tool, or shows the program's
// own system information where there is none.
class AboutDialog : public QDialog
{
public:
    explicit AboutDialog(QWidget *parent = nullptr);

    // How the tool is found and started; tests replace them.
    std::function<QStringList()> findTool;
    std::function<bool(const QStringList &)> startTool;
    // The serial devices the own system information lists; may be null.
    const SerialDevices *devices = nullptr;

    void showSystemInfo();

    static QString title();
    static QString versionText();

private:
    QLayout *buildHeading();
    QLayout *buildFooter();
};
