#include "features/report/RunReport.h"

#include "engine/archive/RunReportRead.h"
#include "engine/trend/TrendHistory.h"

#include <QBuffer>
#include <QDir>
#include <QSaveFile>

QByteArray runReportPdf(RunCatalog &catalog, qint64 id, QString &failure, const RunChartPainter &charts)
{
    RunReportData data;
    TrendHistory trend;
    if (failure = readRunReport(catalog, id, data, trend); !failure.isEmpty())
        return QByteArray();
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    if (failure = writeRunReportPdf(pdf, data, trend, charts); !failure.isEmpty())
        return QByteArray();
    return pdf.data();
}

QString writeRunReportFile(RunCatalog &catalog, qint64 id, const QString &path, const RunChartPainter &charts)
{
    QString failure;
    const QByteArray pdf = runReportPdf(catalog, id, failure, charts);
    if (!failure.isEmpty())
        return failure;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size() || !file.commit())
        return QStringLiteral("The report %1 cannot be written: %2.")
            .arg(QDir::toNativeSeparators(path), file.errorString());
    return QString();
}
