#include "mainwindow/SysInfoTool.h"

#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>

namespace {

#ifdef Q_OS_WIN
// One string value under HKEY_LOCAL_MACHINE; empty when the key or value is
// missing. Read-only access: the keys are machine-wide and an ordinary user
// may not open them for writing.
QString machineValue(const QString &key, const QString &name)
{
    QSettings registry(QStringLiteral("HKEY_LOCAL_MACHINE\\") + key, QSettings::NativeFormat);
    const QVariant value = registry.value(name);
    return value.isValid() ? value.toString() : QString();
}

QStringList findTool()
{
    const QString path =
        machineValue(QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"), QStringLiteral("PATH"));
    if (!path.isEmpty())
        return {path};
    const QString folder =
        machineValue(QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location"), QStringLiteral("MSINFO"));
    if (!folder.isEmpty()) {
        const QString program = folder + QStringLiteral("\\MSINFO32.EXE");
        if (QFileInfo::exists(program))
            return {program};
    }
    return {};
}
#else
QStringList findTool()
{
    // The desktops' own tools; without one the program shows what it knows.
    static const char *const tools[] = {"hardinfo", "kinfocenter", "gnome-system-monitor", "mate-system-monitor",
                                        "xfce4-taskmanager"};
    for (const char *tool : tools) {
        const QString program = QStandardPaths::findExecutable(QString::fromLatin1(tool));
        if (!program.isEmpty())
            return {program};
    }
    return {};
}
#endif

}   // namespace

QStringList findSysInfoTool()
{
    return findTool();
}

bool startSysInfoTool(const QStringList &command)
{
    if (command.isEmpty())
        return false;
    return QProcess::startDetached(command.first(), command.mid(1));
}
