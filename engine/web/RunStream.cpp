#include "engine/web/RunStream.h"

#include "engine/archive/RunCatalog.h"
#include "engine/datalog/DataLog.h"
#include "engine/state/TesterState.h"
#include "engine/web/WebJson.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <utility>

RunStream::RunStream(std::unique_ptr<RunCatalog> catalog, qint64 id, Form form)
    : catalog(std::move(catalog)), id(id), form(form)
{
}

RunStream::~RunStream() = default;

QString RunStream::start()
{
    const QByteArray page = readPage();
    if (form == Form::DataLog) {
        first = QByteArray(DataLogHeader) + "\r\n" + page;
        return failed;
    }
    // The mode of the run's first sample, once: its samples are in its unit.
    const QJsonObject head{{"mode", modeName(runMode)}, {"contactUnit", contactUnit(runMode)}};
    first = QJsonDocument(head).toJson(QJsonDocument::Compact);
    first.chop(1);
    first += ",\"samples\":[" + page;
    if (done)
        first += "\n]}\n";
    return failed;
}

QByteArray RunStream::next()
{
    if (!first.isEmpty())
        return std::exchange(first, QByteArray());
    if (done)
        return QByteArray();
    QByteArray page = readPage();
    if (!failed.isEmpty())
        return QByteArray();
    if (done && form == Form::Json)
        page += "\n]}\n";
    return page;
}

QByteArray RunStream::readPage()
{
    QByteArray text;
    int read = 0;
    failed = catalog->readRunPage(id, lastSample, PageSamples, [&](const TesterState &s, qint64 sample) {
        lastSample = sample;
        ++read;
        if (form == Form::Json) {
            if (!any)
                runMode = s.reported.rangeMode;
            text += any ? ",\n" : "\n";
            text += sampleJson(s, s.reported.rangeMode != runMode);
        } else {
            text += sampleLogLine(s).toLatin1() + "\r\n";
        }
        any = true;
    });
    if (!failed.isEmpty() || read < PageSamples)
        done = true;
    return text;
}
