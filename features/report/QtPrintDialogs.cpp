#include "features/report/QtPrintDialogs.h"

#include "ui/ChosenFile.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>

bool QtPrintDialogs::printSetup(QPrinter &printer)
{
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Print Setup"));
    // Setup chooses how the report will print; there is nothing to pick pages of.
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    // The dialog's accept button says "Print"; here it only takes the choice.
    if (auto *buttons = dialog.findChild<QDialogButtonBox *>())
        if (QPushButton *ok = buttons->button(QDialogButtonBox::Ok))
            ok->setText(QStringLiteral("OK"));
    return dialog.exec() == QDialog::Accepted;
}

void QtPrintDialogs::preview(QPrinter &printer, const std::function<void(QPrinter &)> &compose)
{
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Print Preview"));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&compose](QPrinter *target) { compose(*target); });
    dialog.exec();
}

QString QtPrintDialogs::pdfFileName(const QString &suggestedName)
{
    QFileDialog dialog(parent, QStringLiteral("Export PDF"), startFolder(lastPdf));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QStringLiteral("PDF (*.pdf)"));
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    dialog.selectFile(suggestedName);
    const QString path = chosenFile(dialog);
    if (!path.isEmpty())
        lastPdf = path;
    return path;
}
