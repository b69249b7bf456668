#pragma once

#include <QString>

class TesterSession;

// What a tester window asks of the station it belongs to: the tester's name
// for its title, File, Exit for the whole program, and accepted preferences
// for every tester.
class WindowStation
{
public:
    virtual ~WindowStation() = default;
    virtual QString testerName(const TesterSession &session) const = 0;
    virtual void exitProgram() = 0;
    virtual void preferencesChanged() = 0;
};
