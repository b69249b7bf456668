#pragma once

#include <QSqlDatabase>
#include <QString>

// Brings the runs of an archive written while a run ended at every stop,
// lost link and program exit to the rule that a run spans one climb of the
// tester's cycle counter. The runs of one tester that the rule joins become
// one (the first keeps its id; the others' keys lead to it through
// run_keys), and the samples after a counter went back (the reset sample
// kept as a run's final data) move to the run they begin. No sample is
// changed or reordered. Runs inside the caller's transaction; empty when
// done, else the database's error.
QString joinOldRuns(QSqlDatabase &db);
