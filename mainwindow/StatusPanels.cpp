#include "mainwindow/StatusPanels.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QStackedWidget>

namespace {

QLabel *sunkenLabel(QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setContentsMargins(4, 0, 4, 0);
    return label;
}

// Holds the bar message outside any layout. While the program searches the
// message changes once a second; a label in a layout would send the status
// bar and the window through their layouts with each change and repaint the
// whole bar, where this one only repaints its text.
class MessagePage : public QWidget
{
public:
    explicit MessagePage(QWidget *parent) : QWidget(parent), label(sunkenLabel(this))
    {
        setMinimumHeight(label->sizeHint().height());
    }

    QLabel *const label;

protected:
    void resizeEvent(QResizeEvent *) override { label->setGeometry(rect()); }
};

}   // namespace

StatusPanels::StatusPanels(QWidget *parent) : QStatusBar(parent)
{
    setObjectName("statusPanels");
    setSizeGripEnabled(false);

    static const char *const tips[PanelCount] = {
        "Serial number of attached tester",
        "Test value used for measurement",
        "Test method used for measurement",
        "Software version of attached tester",
    };

    pages = new QStackedWidget(this);
    panelPage = new QWidget(pages);
    auto *row = new QHBoxLayout(panelPage);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(3);
    for (int i = 0; i < PanelCount; ++i) {
        panels[i] = sunkenLabel(panelPage);
        panels[i]->setObjectName(QStringLiteral("statusPanel%1").arg(i + 1));
        panels[i]->setToolTip(QString::fromLatin1(tips[i]));
        row->addWidget(panels[i], 1);
    }
    auto *messagePage = new MessagePage(pages);
    messageLabel = messagePage->label;
    messageLabel->setObjectName("statusMessage");

    pages->addWidget(panelPage);
    pages->addWidget(messagePage);
    pages->setCurrentWidget(panelPage);
    addWidget(pages, 1);

    pendingTimer.setSingleShot(true);
    connect(&pendingTimer, &QTimer::timeout, this, [this] { applyPending(); });
}

void StatusPanels::setPanelText(Panel panel, const QString &text)
{
    panels[panel]->setText(text);
}

QString StatusPanels::panelText(Panel panel) const
{
    return panels[panel]->text();
}

namespace {

// The text of a link message without the port number at its end.
QStringView withoutPort(const QString &text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1).isDigit())
        --end;
    return QStringView(text).left(end);
}

}   // namespace

void StatusPanels::showBarMessage(const QString &text)
{
    // Only the next port of the same search waits; any other message shows at once.
    const bool sameSearch =
        showingMessage() && messageShown.isValid() && withoutPort(text) == withoutPort(messageLabel->text());
    if (sameSearch && messageShown.elapsed() < SearchRepaintMs) {
        pendingMessage = text;
        if (!pendingTimer.isActive())
            pendingTimer.start(int(SearchRepaintMs - messageShown.elapsed()));
        return;
    }
    pendingTimer.stop();
    pendingMessage.clear();
    if (messageLabel->text() != text) {
        messageLabel->setText(text);
        messageShown.start();
    }
    pages->setCurrentWidget(messageLabel->parentWidget());
}

void StatusPanels::applyPending()
{
    if (!pendingMessage.isEmpty() && showingMessage()) {
        messageLabel->setText(pendingMessage);
        messageShown.start();
    }
    pendingMessage.clear();
}

void StatusPanels::showPanels()
{
    pendingTimer.stop();
    pendingMessage.clear();
    pages->setCurrentWidget(panelPage);
}

bool StatusPanels::showingMessage() const
{
    return pages->currentWidget() == messageLabel->parentWidget();
}

QString StatusPanels::barMessage() const
{
    return pendingMessage.isEmpty() ? messageLabel->text() : pendingMessage;
}
