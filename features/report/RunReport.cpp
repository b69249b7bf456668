#include "features/report/RunReport.h"

#include "engine/archive/RunCatalog.h"
#include "engine/state/TesterState.h"
#include "features/report/ReportPage.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>

QByteArray runReportPdf(RunCatalog &catalog, qint64 id, QString &failure)
{
    TesterState last;
    bool any = false;
    failure = catalog.readRun(id, [&](const TesterState &s) {
        last = s;
        any = true;
    });
    if (!failure.isEmpty())
        return QByteArray();
    if (!any) {
        failure = QStringLiteral("Run %1 has no sample to report.").arg(id);
        return QByteArray();
    }
    last.session.downloadedOnce = true;
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&pdf);
        writer.setResolution(1440);
        writer.setTitle(QStringLiteral("Model 418C Test Results"));
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF()));
        QPainter painter;
        if (!painter.begin(&writer)) {
            failure = QStringLiteral("The report of run %1 could not be made.").arg(id);
            return QByteArray();
        }
        composeReport(painter, last, false);
    }
    return pdf.data();
}
