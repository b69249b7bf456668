#include "engine/station/TesterDialogs.h"

#include "engine/station/StationTester.h"

QString TesterDialogs::named(const QString &title) const
{
    return title + QStringLiteral(" - ") + tester.name();
}
