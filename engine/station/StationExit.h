#pragma once

class MessageDialogs;
class Station;

// Closing a station: a notice names the testers whose break-update mode
// ends with the program, then one question lists every tester with test
// data or a test configuration that was not saved. Yes saves each in turn
// (through its file dialogs), No leaves them unsaved, Cancel keeps the
// program open. False when the program must stay open.
bool readyToExit(Station &station, MessageDialogs &dialogs);
