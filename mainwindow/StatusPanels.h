#pragma once

#include <QElapsedTimer>
#include <QStatusBar>
#include <QTimer>

class QLabel;
class QStackedWidget;

// The main window's status bar: four text panels (serial number, range
// value, measuring method, software version), or one link message across
// the whole bar while the tester is searched for or has just been found.
class StatusPanels : public QStatusBar
{
public:
    // The panels from left to right.
    enum Panel { SerialNumber, RangeValue, Method, SoftwareVersion, PanelCount };

    explicit StatusPanels(QWidget *parent = nullptr);

    void setPanelText(Panel panel, const QString &text);
    QString panelText(Panel panel) const;

    void showBarMessage(const QString &text);
    void showPanels();
    bool showingMessage() const;
    QString barMessage() const;

    // The search names a new port every poll tick; the bar shows the latest
    // of those messages at most this often instead of repainting 20 times a
    // second for a text nobody can read that fast.
    static constexpr int SearchRepaintMs = 1000;

private:
    void applyPending();

    QStackedWidget *pages;
    QWidget *panelPage;
    QLabel *messageLabel;
    QLabel *panels[PanelCount];
    QString pendingMessage;       // a message waiting for its turn, or empty
    QElapsedTimer messageShown;   // since the bar text last changed
    QTimer pendingTimer;
};
