#pragma once

#include "features/report/RunReportPainter.h"

#include <QByteArray>
#include <QString>

class RunCatalog;

// The test report of an archived run as PDF, as the Runs window's Export
// PDF... makes it. Empty with the failure when the run cannot be read or
// has no sample.
QByteArray runReportPdf(RunCatalog &catalog, qint64 id, QString &failure, const RunChartPainter &charts);

// The same written to a file; the old file stays until the new one is whole.
// Empty when written, else what failed.
QString writeRunReportFile(RunCatalog &catalog, qint64 id, const QString &path, const RunChartPainter &charts);
