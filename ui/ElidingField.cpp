#include "ui/ElidingField.h"

#include <QEvent>
#include <QHelpEvent>
#include <QLineEdit>
#include <QPainter>
#include <QToolTip>

namespace {

// The room a line edit gives its text: its contents less its text margins
// and the two pixels the style keeps on either side.
QRect textRoom(const QLineEdit *field)
{
    const QMargins margins = field->textMargins();
    return field->contentsRect().adjusted(margins.left() + 2, margins.top(), -(margins.right() + 2), -margins.bottom());
}

class ElidingFilter : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *field = static_cast<QLineEdit *>(watched);
        if (event->type() == QEvent::Paint && isElided(field)) {
            paintElided(*field);
            return true;
        }
        if (event->type() == QEvent::ToolTip && isElided(field)) {
            const QString description = field->toolTip();
            QToolTip::showText(
                static_cast<QHelpEvent *>(event)->globalPos(),
                description.isEmpty() ? field->text() : field->text() + QStringLiteral("\n\n") + description, field);
            return true;
        }
        return false;
    }

private:
    static void paintElided(QLineEdit &field)
    {
        QPainter painter(&field);
        const QPalette &palette = field.palette();
        const QPalette::ColorGroup group = field.isEnabled() ? QPalette::Active : QPalette::Disabled;
        painter.fillRect(field.rect(), palette.brush(group, field.backgroundRole()));
        painter.setPen(palette.color(group, field.foregroundRole()));
        const QRect room = textRoom(&field);
        painter.drawText(room, Qt::AlignLeft | Qt::AlignVCenter,
                         field.fontMetrics().elidedText(field.text(), Qt::ElideRight, room.width()));
    }
};

}   // namespace

void makeEliding(QLineEdit *field, int minimumWidth)
{
    field->setMinimumWidth(minimumWidth);
    field->setMaximumWidth(QWIDGETSIZE_MAX);
    field->setSizePolicy(QSizePolicy::Expanding, field->sizePolicy().verticalPolicy());
    field->installEventFilter(new ElidingFilter(field));
}

bool isElided(const QLineEdit *field)
{
    return field->fontMetrics().horizontalAdvance(field->text()) > textRoom(field).width();
}
