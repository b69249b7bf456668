#include "bench/BenchFigures.h"

#include <cstdio>

void BenchFigures::add(const char *name, double value, int decimals, bool wasTaken, const QByteArray &note)
{
    std::printf("%s: %.*f%s\n", name, decimals, value, note.constData());
    std::fflush(stdout);
    if (wasTaken)
        taken.insert(name);
}

QStringList BenchFigures::missing(const std::vector<const char *> &expected) const
{
    QStringList names;
    for (const char *name : expected) {
        if (taken.count(name) == 0)
            names << QString::fromLatin1(name);
    }
    return names;
}
