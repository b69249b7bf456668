#pragma once

#include <QByteArray>
#include <QString>

class RunCatalog;

// The report page of an archived run as PDF, from its last sample, as the
// Runs window's Export PDF... makes it. Empty with the failure when the run
// cannot be read or has no sample.
QByteArray runReportPdf(RunCatalog &catalog, qint64 id, QString &failure);
