#pragma once

#include <QList>
#include <QStyle>

class QDialog;
class QLabel;
class QPushButton;
class QWidget;

// The icon at the left of a message dialog, from the style's
// standard message-box icons.
QLabel *dialogIcon(QStyle::StandardPixmap which, QWidget *dialog);

// The layout every message dialog shares: its icon and text side by side,
// and below them a row of centred buttons.
void layOutMessageDialog(QDialog *dialog, QLabel *icon, QLabel *text, const QList<QPushButton *> &buttons);

// A wrapped message tells its dialog only a guess of its height, and a long
// one lost its first lines: this sizes the text whole, at least `narrowest`
// and at most MessageWidthLimit pixels wide, so the dialog grows with it.
// Called again whenever the text changes.
inline constexpr int MessageWidthLimit = 520;
void fitMessageText(QLabel *text, int narrowest);
