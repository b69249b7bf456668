#pragma once

#include <QString>

// The file dialogs of the Configure menu, filtered to configuration files
// (*.cfg) with "cfg" added to a bare name. False when the operator cancelled.
class ConfigFileDialog
{
public:
    virtual ~ConfigFileDialog() = default;
    // Open: `path` comes in as the name to preset (the configuration used
    // last, empty when none) and goes out as the chosen file, which must exist.
    virtual bool chooseOpen(QString &path) = 0;
    // Save: `path` comes in as the configuration used last, whose folder the
    // dialog starts in with no name filled in, and goes out as the file to
    // write; asks before an existing file is replaced.
    virtual bool chooseSave(QString &path) = 0;
};
