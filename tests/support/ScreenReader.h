#pragma once

#include <QtWidgets>

// What a screen reader or UI automation gets from a widget through Qt's
// accessibility tree. text() is "(no text)" when the widget offers none: a
// label's text reaches a screen reader only as its name.
namespace ScreenReader {

inline QString name(QWidget *w)
{
    return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name);
}

inline QString description(QWidget *w)
{
    return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Description);
}

inline QString text(QWidget *w)
{
    QAccessibleTextInterface *text = QAccessible::queryAccessibleInterface(w)->textInterface();
    return text ? text->text(0, text->characterCount()) : QStringLiteral("(no text)");
}

// Carries out one of the widget's accessible actions ("Toggle", "Press").
inline void act(QWidget *w, const QString &action)
{
    QAccessible::queryAccessibleInterface(w)->actionInterface()->doAction(action);
}

}   // namespace ScreenReader
