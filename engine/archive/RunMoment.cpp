#include "engine/archive/RunMoment.h"

#include <QRegularExpression>

QString readRunMoment(const QString &text, const QDateTime &now, bool endOfDay, QDateTime &moment)
{
    static const QRegularExpression Day(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    static const QRegularExpression DaysAgo(QStringLiteral("^(\\d{1,5})d$"));
    static const QRegularExpression DayAndTime(
        QStringLiteral("^\\d{4}-\\d{2}-\\d{2}T\\d{2}:\\d{2}(:\\d{2}(\\.\\d{1,3})?)?(Z|[+-]\\d{2}:\\d{2})?$"));
    const QString problem = QStringLiteral("'%1' is not a date (YYYY-MM-DD), a number of days (Nd) or an ISO 8601 "
                                           "time")
                                .arg(text.left(40));
    if (Day.match(text).hasMatch()) {
        const QDate day = QDate::fromString(text, Qt::ISODate);
        if (!day.isValid())
            return problem;
        moment = endOfDay ? day.addDays(1).startOfDay().addMSecs(-1) : day.startOfDay();
        return QString();
    }
    if (const QRegularExpressionMatch days = DaysAgo.match(text); days.hasMatch()) {
        const int count = days.captured(1).toInt();
        if (count > 36500)
            return problem;
        moment = now.addDays(-count);
        return QString();
    }
    if (DayAndTime.match(text).hasMatch()) {
        moment = QDateTime::fromString(text, Qt::ISODateWithMs);
        return moment.isValid() ? QString() : problem;
    }
    return problem;
}
