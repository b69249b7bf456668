#pragma once

// The program is a windowed one on Windows, so that no console window opens
// with it. Started from a console (cmd, PowerShell) it writes its text
// (--help, --version, --list-runs, errors) to that console; output that is
// redirected to a file or a pipe stays where it goes. Does nothing elsewhere.
void attachParentConsole();
