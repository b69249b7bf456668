#pragma once

#include <QStringList>

// The platform's system-information tool as a program and its arguments,
// or an empty list when none can be found. On Windows it is msinfo32 as
// the machine's registry names it; elsewhere the first known desktop tool
// on PATH.
QStringList findSysInfoTool();

// Starts the tool detached from this program; false when it did not start.
bool startSysInfoTool(const QStringList &command);
