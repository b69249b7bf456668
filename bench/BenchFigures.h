#pragma once

#include <QByteArray>
#include <QStringList>
#include <set>
#include <string>
#include <vector>

// How much work the figures do. The full run gives figures worth comparing;
// the quick run, which the test suite runs, only shows that every figure can
// still be taken.
struct BenchScale
{
    bool quick = false;

    // `full` in the full run, `small` in the quick one.
    int count(int full, int small) const { return quick ? small : full; }
};

// Prints the figures as they are taken and remembers which ones were, so
// that a figure that silently went missing fails the run.
class BenchFigures
{
public:
    // Prints "name: value" with `decimals` places, then `note`. A figure
    // that is not `taken` (its measurement failed) is printed all the same
    // but counts as missing.
    void add(const char *name, double value, int decimals, bool taken = true, const QByteArray &note = {});

    // The names of `expected` that were not taken.
    QStringList missing(const std::vector<const char *> &expected) const;

private:
    std::set<std::string> taken;
};
