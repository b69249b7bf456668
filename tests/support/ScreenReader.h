#pragma once

#include <QAccessible>
#include <QWidget>

// What a screen reader or UI automation gets from a widget through Qt's
// accessibility tree: its name, its description, and the text it offers to
// be read ("(no text)" when it offers none: a label's text reaches a screen
// reader only as its name).
namespace ScreenReader {

inline QString name(QWidget *widget)
{
    return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
}

inline QString description(QWidget *widget)
{
    return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Description);
}

inline QString text(QWidget *widget)
{
    QAccessibleTextInterface *text = QAccessible::queryAccessibleInterface(widget)->textInterface();
    return text ? text->text(0, text->characterCount()) : QStringLiteral("(no text)");
}

// Carries out one of the widget's accessible actions ("Toggle", "Press").
inline void act(QWidget *widget, const QString &action)
{
    if (QAccessibleActionInterface *actions = QAccessible::queryAccessibleInterface(widget)->actionInterface())
        actions->doAction(action);
}

} // namespace ScreenReader
