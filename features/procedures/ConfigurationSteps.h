#pragma once

// What the tester procedures need of the configuration commands: an unsaved
// configuration saved first (or the operator's cancel), and the editor.
class ConfigurationSteps
{
public:
    virtual ~ConfigurationSteps() = default;
    virtual bool checkConfigSaved() = 0;                 // false: the operator cancelled
    virtual void editConfiguration(bool newLearn) = 0;   // the editor, then the download of what it accepted
};
