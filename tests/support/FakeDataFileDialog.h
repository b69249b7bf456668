#pragma once

#include "engine/datalog/DataLog.h"

#include <QtCore>
#include <optional>

// The data log's file dialog for tests: each use takes the next scripted
// choice (a path, or std::nullopt for Cancel). With the script used up the
// operator cancels. The file each use started from is kept in `startedFrom`.
class FakeDataFileDialog : public DataFileDialog
{
public:
    bool choose(int, QString &path) override
    {
        startedFrom << path;
        const std::optional<QString> choice = choices.isEmpty() ? std::nullopt : choices.takeFirst();
        if (choice)
            path = *choice;
        return choice.has_value();
    }

    QList<std::optional<QString>> choices;
    QStringList startedFrom;
};
