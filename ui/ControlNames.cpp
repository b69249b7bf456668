#include "ui/ControlNames.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

void describeControl(QWidget *control, const QString &name, const QString &toolTip)
{
    control->setAccessibleName(QString(name).remove(QLatin1Char('&')));
    control->setToolTip(toolTip);
    control->setAccessibleDescription(toolTip);
}

void labelField(QLabel *label, QWidget *field, const QString &toolTip)
{
    label->setBuddy(field);
    describeControl(field, label->text(), toolTip);
}

QLineEdit *addLabelledEdit(QGridLayout *grid, QWidget *parent, const QString &caption, const char *name,
                           const QString &text, const QString &toolTip, const char *labelName)
{
    auto *label = new QLabel(caption, parent);
    if (labelName)
        label->setObjectName(QString::fromLatin1(labelName));
    auto *edit = new QLineEdit(text, parent);
    edit->setObjectName(QString::fromLatin1(name));
    labelField(label, edit, toolTip);
    const int row = grid->rowCount();
    grid->addWidget(label, row, 0);
    grid->addWidget(edit, row, 1);
    return edit;
}
