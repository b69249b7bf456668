#include "ui/QtMessageDialogs.h"

#include "ui/ErrorDialog.h"
#include "ui/ReadjustDialog.h"
#include "ui/YesNoDialog.h"

QtMessageDialogs::QtMessageDialogs(QWidget *parent)
    : parent(parent)
{
}

void QtMessageDialogs::setParentWidget(QWidget *widget)
{
    parent = widget;
}

void QtMessageDialogs::ErrorDialog(const QString &title, const QString &text)
{
    ::ErrorDialog dialog(parent);
    dialog.setWindowTitle(title);
    dialog.setMessage(text);
    dialog.exec();
}

int16_t QtMessageDialogs::YesNoDialog(const QString &title, const QString &text)
{
    ::YesNoDialog dialog(parent);
    dialog.setWindowTitle(title);
    dialog.setMessage(text);
    dialog.exec();
    return dialog.UserSelection;
}

int16_t QtMessageDialogs::ReadjustDialog(const QStringList &changes)
{
    ::ReadjustDialog dialog(changes, parent);
    dialog.exec();
    return dialog.UserSelect;
}
