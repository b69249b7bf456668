#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM and SIGINT end the program as a quit would, without its
// questions: the handler only writes the signal's number into a pipe, and
// the event loop reads it and tells quitRequested. Only one at a time; on
// Windows it does nothing.
class QuitSignals : public QObject
{
    Q_OBJECT

public:
    explicit QuitSignals(QObject *parent = nullptr);
    ~QuitSignals() override;

Q_SIGNALS:
    void quitRequested(int signal);

private:
    void readSignal();

    QSocketNotifier *notifier = nullptr;
};
