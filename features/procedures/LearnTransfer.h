#pragma once

#include "engine/procedures/LearnProcedure.h"

#include <QDialog>

class QProgressBar;
class QTimer;
struct TesterState;

// "Learning Switch": waits, a progress bar filling over fifteen seconds,
// for the tester to end its learn run while the poll cycle carries the
// conversation. Closes by itself when the run's data is in, or at the
// sixteenth second; Cancel (or the close box) gives up waiting.
class LearnTransfer : public QDialog
{
public:
    explicit LearnTransfer(const TesterState &state, QWidget *parent = nullptr);

    bool canceled() const { return progress.Canceled; }
    bool timedOut() const { return progress.TimeOut; }

    // One second of learnTimer; public so that a test can be the clock.
    void tick();

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    const TesterState &s;
    LearnProgress progress;
    QProgressBar *progressBar;
    QTimer *learnTimer;
    bool loaded = false;
};
