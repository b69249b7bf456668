#pragma once

class QLineEdit;

// A value field that takes the room its layout gives it, never asks for
// more as its text grows, and ends a text too long for it with "...": the
// whole text is then in its tool tip, above the field's description. Its
// text, which screen readers and tests read, stays whole.
void makeEliding(QLineEdit *field, int minimumWidth);

// Whether the field's text is cut short on screen now.
bool isElided(const QLineEdit *field);
