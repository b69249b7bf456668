#pragma once

#include "engine/archive/RunDescription.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPlainTextEdit;

// "Run Details": what was tested in one run (the part, the operator and
// notes), for a run chosen in View, Runs and for a tester's current run.
class RunDetailsDialog : public QDialog
{
public:
    // `whichRun` names the run above the fields.
    RunDetailsDialog(const QString &whichRun, const RunDescription &current, QWidget *parent = nullptr);

    // The fields as the run will keep them.
    RunDescription description() const;

    QLabel *runLabel;
    QLineEdit *partEdit, *operatorEdit;
    QPlainTextEdit *notesEdit;

private:
    void keepNotesBounded();
};
