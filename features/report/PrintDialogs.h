#pragma once

#include <QString>
#include <functional>

class QPrinter;

// The modal dialogs that printing the report needs. The program shows the
// platform's dialogs; tests answer them.
class PrintDialogs
{
public:
    virtual ~PrintDialogs() = default;

    // The print setup on printer: the printer itself, orientation, copies
    // and duplex. True when accepted, and printer then holds the choice; a
    // cancelled dialog leaves it unchanged.
    virtual bool printSetup(QPrinter &printer) = 0;

    // Shows printer's page, drawn by compose as often as the preview needs
    // it, until the operator closes it. Printing from the preview draws
    // through compose too.
    virtual void preview(QPrinter &printer, const std::function<void(QPrinter &)> &compose) = 0;

    // The PDF file to write, chosen in a save dialog that suggests
    // suggestedName and asks before replacing a file; empty when cancelled.
    virtual QString pdfFileName(const QString &suggestedName) = 0;
};
