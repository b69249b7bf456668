#include "engine/preferences/StationSettings.h"

#include "engine/preferences/SettingsStore.h"

#include <QLocale>
#include <QStringList>

namespace {

const QString Section = QStringLiteral("Station");
const QString ColumnWidthsName = QStringLiteral("ColumnWidths");

}   // namespace

QList<int> StationSettings::columnWidths(int columns) const
{
    const QStringList stored = store.read(Section, ColumnWidthsName).split(QLatin1Char(','));
    QList<int> widths;
    for (int i = 0; i < columns; ++i) {
        bool ok = false;
        const int width = QLocale::c().toInt(stored.value(i).trimmed(), &ok);
        widths << (ok && width >= NarrowestColumn && width <= WidestColumn ? width : -1);
    }
    return widths;
}

void StationSettings::setColumnWidths(const QList<int> &widths)
{
    QStringList texts;
    for (int width : widths)
        texts << QString::number(width);
    store.write(Section, ColumnWidthsName, texts.join(QLatin1Char(',')));
}
