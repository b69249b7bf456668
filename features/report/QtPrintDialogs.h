#pragma once

#include "features/report/PrintDialogs.h"

#include <QPointer>
#include <QWidget>

class QPrintPreviewDialog;

// The preview shows the whole page in its window.
void fitPreviewPage(QPrintPreviewDialog &dialog);

// The platform's print setup (CUPS printers on Linux), Qt's print preview
// and a save dialog for PDF files, centred on the main window.
class QtPrintDialogs : public PrintDialogs
{
public:
    explicit QtPrintDialogs(QWidget *parent = nullptr) : parent(parent) {}

    bool printSetup(QPrinter &printer) override;
    void preview(QPrinter &printer, const std::function<void(QPrinter &)> &compose) override;
    QString pdfFileName(const QString &suggestedName) override;

private:
    QPointer<QWidget> parent;
    QString lastPdf;   // the last PDF written: the next one starts in its folder
};
