#pragma once

#include <QStyle>

class QLabel;
class QWidget;

// The icon at the left of a message dialog ("Picture1"), from the style's
// standard message-box icons.
QLabel *DialogIcon(QStyle::StandardPixmap which, QWidget *dialog);
