#pragma once

class BenchFigures;
struct BenchScale;

// Prints the run archive's figures: the user-interface thread's cost of
// archiving one sample, the bytes one sample takes in SQLite, listing
// 10,000 runs and exporting a run of a million samples.
void printArchiveFigures(const BenchScale &scale, BenchFigures &figures);
