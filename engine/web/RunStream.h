#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

class RunCatalog;

// An archived run written out piece by piece, never held whole: each
// next() reads one page of samples from the archive and gives its text.
// The samples as a JSON object, the run's mode and contact unit and then
// the samples (one object a line), or the data log file.
class RunStream
{
public:
    enum class Form { Json, DataLog };
    static constexpr int PageSamples = 2000;

    RunStream(std::unique_ptr<RunCatalog> catalog, qint64 id, Form form);
    ~RunStream();

    // Reads the first page: empty when the run can be sent, else what failed.
    QString start();
    // The next piece; empty once everything was given (or a read failed:
    // then failure() says what).
    QByteArray next();
    bool finished() const { return done; }
    const QString &failure() const { return failed; }

private:
    QByteArray readPage();

    std::unique_ptr<RunCatalog> catalog;
    qint64 id;
    Form form;
    qint64 lastSample = 0;
    QByteArray first;   // the first page, read by start()
    bool done = false;
    bool any = false;
    int runMode = -1;   // the measuring mode of the first sample
    QString failed;
};
