#pragma once

#include <QString>

// The file dialogs of the Configure menu, filtered to configuration files
// (*.cfg) with "cfg" added to a bare name. False when the operator cancelled.
class ConfigFileDialog
{
public:
    virtual ~ConfigFileDialog() = default;
    // Open: `path` comes in as the name to preset and goes out as the chosen
    // file, which must exist.
    virtual bool chooseOpen(QString &path) = 0;
    // Save: starts from an empty name and asks before an existing file is replaced.
    virtual bool chooseSave(QString &path) = 0;
};
