#pragma once

struct TesterState;

// The edit copy (the s fields) made equal to what the tester last reported
// (the v fields): every configuration item but the serial number, which
// only a master file or a master reset sets.
void copyCurrentConfigToEdit(TesterState &s);
