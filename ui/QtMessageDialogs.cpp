#include "ui/QtMessageDialogs.h"

#include "ui/ChoiceDialog.h"
#include "ui/ErrorDialog.h"
#include "ui/ReadjustDialog.h"
#include "ui/YesNoDialog.h"

#include <QApplication>

QtMessageDialogs::QtMessageDialogs(QWidget *parent) : parent(parent) {}

void QtMessageDialogs::setParentWidget(QWidget *widget)
{
    parent = widget;
}

QWidget *QtMessageDialogs::owner() const
{
    // Without a window of its own a message comes over the window in use:
    // in a station, that of the tester the operator works with.
    return parent ? parent.data() : QApplication::activeWindow();
}

void QtMessageDialogs::showError(const QString &title, const QString &text)
{
    ::ErrorDialog dialog(owner());
    dialog.setWindowTitle(title);
    dialog.setMessage(text);
    dialog.exec();
}

int16_t QtMessageDialogs::askYesNo(const QString &title, const QString &text)
{
    ::YesNoDialog dialog(owner());
    dialog.setWindowTitle(title);
    dialog.setMessage(text);
    dialog.exec();
    return dialog.UserSelection;
}

int QtMessageDialogs::askChoice(const QString &title, const QString &text, const QStringList &choices)
{
    ChoiceDialog dialog(choices, owner());
    dialog.setWindowTitle(title);
    dialog.setMessage(text);
    dialog.exec();
    return dialog.chosen();
}

int16_t QtMessageDialogs::askReadjust(const QStringList &changes)
{
    ::ReadjustDialog dialog(changes, owner());
    dialog.exec();
    return dialog.UserSelect;
}
