#include "engine/preferences/TesterSettingsStore.h"

namespace {

const QString TestersSection = QStringLiteral("Testers");

}   // namespace

bool TesterSettingsStore::setSerialNumber(const QString &serialNumber)
{
    if (serialNumber == serial)
        return false;
    serial = serialNumber;
    key = keyFor(serialNumber);
    return true;
}

bool TesterSettingsStore::isTesterSection(const QString &section)
{
    return section == QLatin1String("RecentFiles") || section == QLatin1String("Window");
}

QString TesterSettingsStore::keyFor(const QString &serialNumber)
{
    QString text = serialNumber.trimmed();
    for (QChar &c : text) {
        const char16_t u = c.unicode();
        const bool plain = (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z');
        if (!plain)
            c = QLatin1Char('_');
    }
    return text;
}

QString TesterSettingsStore::testerSection(const QString &section) const
{
    return TestersSection + QLatin1Char('/') + key + QLatin1Char('/') + section;
}

QString TesterSettingsStore::read(const QString &section, const QString &name) const
{
    if (!isTesterSection(section))
        return shared.read(section, name);
    return keyed() ? shared.read(testerSection(section), name) : QString();
}

void TesterSettingsStore::write(const QString &section, const QString &name, const QString &value)
{
    if (!isTesterSection(section))
        shared.write(section, name, value);
    else if (keyed())
        shared.write(testerSection(section), name, value);
}

QStringList TesterSettingsStore::names(const QString &section) const
{
    if (!isTesterSection(section))
        return shared.names(section);
    return keyed() ? shared.names(testerSection(section)) : QStringList();
}
