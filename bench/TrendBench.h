#pragma once

class BenchFigures;
struct BenchScale;

// Prints the Trend window's figures: appending a sample to the history, the
// memory per sample, redrawing every chart at 1200 x 800 with a million
// samples (the whole run, and the slowest of many zoomed ranges), the memory
// zooming adds, the readout's nearest-sample search, reading a million-line
// data log, and the live run's kept data log lines: their memory per sample
// and exporting all of them as a range. Needs a QApplication.
void printTrendFigures(const BenchScale &scale, BenchFigures &figures);
