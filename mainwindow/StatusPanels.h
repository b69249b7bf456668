#pragma once

#include <QStatusBar>

class QLabel;
class QStackedWidget;

// The main window's status bar: four text panels (serial number, range
// value, measuring method, software version), or one link message across
// the whole bar while the tester is searched for or has just been found.
class StatusPanels : public QStatusBar
{
public:
    explicit StatusPanels(QWidget *parent = nullptr);

    void setPanelText(int panel, const QString &text);   // panel 1..4
    QString panelText(int panel) const;

    void showBarMessage(const QString &text);
    void showPanels();
    bool showingMessage() const;
    QString barMessage() const;

private:
    QStackedWidget *pages;
    QWidget *panelPage;
    QLabel *messageLabel;
    QLabel *panels[4];
};
