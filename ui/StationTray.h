#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

class QSystemTrayIcon;
struct StationEvent;

// The station's icon in the desktop's tray, where the desktop has one: its
// tool tip sums up the station, and each event comes up as a balloon.
// Clicking the icon brings the program's window up.
class StationTray : public QObject
{
public:
    // summary: the tool tip's text, asked for at most every few seconds.
    StationTray(std::function<QString()> summary, std::function<void()> showWindow);
    ~StationTray() override;

    // Whether this desktop has a tray; without one nothing is shown.
    static bool available();

    void show();
    void tell(const StationEvent &event);
    // The station changed: the tool tip follows, a little later.
    void changed();

    QString toolTip() const;

private:
    std::function<QString()> summary;
    std::unique_ptr<QSystemTrayIcon> icon;
    QTimer tipTimer;
};
