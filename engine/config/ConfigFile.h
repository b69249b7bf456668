#pragma once

#include <QString>
#include <QStringList>

class MessageDialogs;
class Registry;
struct TesterState;

// The 20 lines of an ordinary configuration file for the tester's current
// configuration (the edit copy once copyCurrentConfigToEdit has run).
QStringList configFileLines(const TesterState &s);

// The .cfg file. Reading fills the edit copy, checks every field and
// rejects what would have to be clamped; writing stores what the tester
// reports. Each failure shows one message for the stage it happened in.
class ConfigFile
{
public:
    ConfigFile(TesterState &state, MessageDialogs &dialogs, Registry &registry);

    // True when the file was read completely and accepted. A master file
    // sets session.masterUpdate and takes its serial number, mode and range value.
    bool openConfigFile(const QString &nam);
    // True when every line reached the file. The old file stays untouched
    // until the new one is complete.
    bool saveConfigFile(const QString &nam);

private:
    bool readFields(const QByteArray &bytes, QString &message);
    bool openFailed(const QString &message);

    TesterState &s;
    MessageDialogs &dialogs;
    Registry &registry;
};
