#include "features/archive/RunDetailsDialog.h"

#include "ui/ControlNames.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

RunDetailsDialog::RunDetailsDialog(const QString &whichRun, const RunDescription &current, QWidget *parent)
    : QDialog(parent)
{
    setObjectName("RunDetailsDialog");
    setWindowTitle(QStringLiteral("Run Details"));
    runLabel = new QLabel(whichRun, this);
    runLabel->setObjectName("RunLabel");

    auto *fields = new QGridLayout;
    partEdit = addLabelledEdit(fields, this, QStringLiteral("&Part:"), "PartEdit", current.part,
                               QStringLiteral("The part number or a description of the switch tested (at most %1 "
                                              "characters)")
                                   .arg(RunPartMaxLength));
    partEdit->setMaxLength(RunPartMaxLength);
    operatorEdit =
        addLabelledEdit(fields, this, QStringLiteral("&Operator:"), "OperatorEdit", current.operatorName,
                        QStringLiteral("Who ran the test (at most %1 characters)").arg(RunOperatorMaxLength));
    operatorEdit->setMaxLength(RunOperatorMaxLength);
    auto *notesLabel = new QLabel(QStringLiteral("&Notes:"), this);
    notesEdit = new QPlainTextEdit(current.notes, this);
    notesEdit->setObjectName("NotesEdit");
    notesEdit->setTabChangesFocus(true);
    labelField(notesLabel, notesEdit,
               QStringLiteral("Notes on the test, several lines (at most %1 characters)").arg(RunNotesMaxLength));
    const int row = fields->rowCount();
    fields->addWidget(notesLabel, row, 0, Qt::AlignTop);
    fields->addWidget(notesEdit, row, 1);
    connect(notesEdit, &QPlainTextEdit::textChanged, this, [this] { keepNotesBounded(); });

    auto *okButton = captionedControl<QPushButton>("OKButton", QStringLiteral("OK"),
                                                   QStringLiteral("Keep these details with the run"), this);
    auto *cancelButton =
        captionedControl<QPushButton>("CancelButton", QStringLiteral("Cancel"), QStringLiteral("Change nothing"), this);
    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(runLabel);
    layout->addLayout(fields, 1);
    layout->addLayout(buttons);
    resize(480, 320);
}

RunDescription RunDetailsDialog::description() const
{
    return boundedDescription({partEdit->text(), operatorEdit->text(), notesEdit->toPlainText()});
}

// A plain text field has no maximum length of its own: what is typed or
// pasted beyond it is cut, so that what is seen is what the run keeps.
void RunDetailsDialog::keepNotesBounded()
{
    const QString notes = notesEdit->toPlainText();
    if (notes.size() <= RunNotesMaxLength)
        return;
    QSignalBlocker quiet(notesEdit);
    notesEdit->setPlainText(boundedDescription({QString(), QString(), notes}).notes);
    notesEdit->moveCursor(QTextCursor::End);
}
