#include "features/archive/TypedDate.h"

QDate readTypedDate(const QString &typed, const QLocale &locale)
{
    const QString text = typed.trimmed();
    QDate date = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    if (date.isValid())
        return date;
    QString format = locale.dateFormat(QLocale::ShortFormat);
    const bool shortYear = !format.contains(QLatin1String("yyyy"));
    if (shortYear) {
        // Qt reads "yy" as 19yy; people mean this century.
        date = QDate::fromString(text, format);
        if (date.isValid())
            return date.addYears(100);
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    }
    return QDate::fromString(text, format);
}
