#include "ui/StationTray.h"

#include "engine/notify/StationEvent.h"

#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>

namespace {

// The tool tip follows the samples at most this often: a station of sixteen
// testers changes many times a second.
constexpr int TipDelayMs = 2000;

QIcon trayIcon()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(58, 123, 213));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(2, 2, 28, 28);
    painter.setBrush(Qt::white);
    painter.drawRect(13, 6, 6, 14);   // the piston over its switch
    painter.drawRect(8, 22, 16, 4);
    return QIcon(pixmap);
}

QSystemTrayIcon::MessageIcon balloonIcon(EventKind kind)
{
    switch (kind) {
    case EventKind::RunEnded:
    case EventKind::LinkFound: return QSystemTrayIcon::Information;
    case EventKind::RunStopped:
    case EventKind::Failure: return QSystemTrayIcon::Warning;
    default: return QSystemTrayIcon::Critical;
    }
}

}   // namespace

StationTray::StationTray(std::function<QString()> summary, std::function<void()> showWindow)
    : summary(std::move(summary)), icon(std::make_unique<QSystemTrayIcon>(trayIcon()))
{
    tipTimer.setSingleShot(true);
    tipTimer.setInterval(TipDelayMs);
    connect(&tipTimer, &QTimer::timeout, this, [this] { icon->setToolTip(this->summary()); });
    connect(icon.get(), &QSystemTrayIcon::activated, this, [showWindow](QSystemTrayIcon::ActivationReason) {
        if (showWindow)
            showWindow();
    });
    icon->setToolTip(this->summary());
}

StationTray::~StationTray() = default;

bool StationTray::available()
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void StationTray::show()
{
    icon->show();
}

void StationTray::tell(const StationEvent &event)
{
    icon->showMessage(eventTitle(event), event.message, balloonIcon(event.kind));
    changed();
}

void StationTray::changed()
{
    if (!tipTimer.isActive())
        tipTimer.start();
}

QString StationTray::toolTip() const
{
    return icon->toolTip();
}
