#include "ui/ValueBox.h"

#include <QLineEdit>
#include <algorithm>

QLineEdit *valueField(const QString &name, const QString &caption, const QString &toolTip, QWidget *parent,
                      const QString &widestText)
{
    auto *field = new QLineEdit(QStringLiteral("----"), parent);
    field->setObjectName(name);
    field->setReadOnly(true);
    field->setAccessibleName(caption);
    field->setToolTip(toolTip);
    field->setAccessibleDescription(toolTip);
    // A click selects the value for copying; the keyboard's Tab stays with
    // the controls, and a screen reader finds the values on its own.
    field->setFocusPolicy(Qt::ClickFocus);
    makeSteady(field, widestText);
    return field;
}

QLineEdit *makeValueBox(const QString &name, const QString &caption, const QString &toolTip, QWidget *parent,
                        const QString &widestText)
{
    QLineEdit *box = valueField(name, caption, toolTip, parent, widestText);
    box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return box;
}

int widthForText(const QLineEdit *field, const QString &text)
{
    // A line edit's size hint holds room for 17 "x" plus its frame and margins.
    const QFontMetrics metrics = field->fontMetrics();
    const int around = field->sizeHint().width() - 17 * metrics.horizontalAdvance(QLatin1Char('x'));
    return metrics.horizontalAdvance(text) + around;
}

void makeSteady(QLineEdit *field, const QString &widestText)
{
    field->setFixedWidth(std::max(widthForText(field, widestText), widthForText(field, field->text())));
}

void setSteadyText(QLineEdit *field, const QString &text)
{
    if (field->text() == text)
        return;
    field->setText(text);
    const int wanted = widthForText(field, text);
    if (wanted > field->maximumWidth())
        field->setFixedWidth(wanted);
}
