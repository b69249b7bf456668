#include "features/report/QtPrintDialogs.h"

#include "ui/ChosenFile.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
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
    fitPreviewPage(dialog);
    dialog.exec();
}

void fitPreviewPage(QPrintPreviewDialog &dialog)
{
    // The dialog opens fitting the page's width, a small share of a page
    // that is taller than the window: the whole page shows at once instead.
    // Its own "Fit page" entry is taken, so its tool bar shows the mode.
    for (QAction *action : dialog.findChildren<QAction *>()) {
        if (action->isCheckable()
            && action->text().remove(QLatin1Char('&')).compare(QLatin1String("Fit page"), Qt::CaseInsensitive) == 0) {
            action->trigger();
            return;
        }
    }
    if (auto *page = dialog.findChild<QPrintPreviewWidget *>())
        page->setZoomMode(QPrintPreviewWidget::FitInView);
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
