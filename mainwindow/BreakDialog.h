#pragma once

#include <QDialog>
#include <cstdint>

class QCheckBox;
class QLineEdit;
class QPushButton;

// Asks for the break count of break-update mode: the tester stops every
// BreakCount cycles so the data can be fetched (and logged when "Save To
// Database" is ticked). The caller sets `checked` before showing it and
// reads `BreakCount` (0 when cancelled) and `checked` afterwards.
class BreakDialog : public QDialog
{
public:
    explicit BreakDialog(QWidget *parent = nullptr);

    bool checked = false;
    int16_t BreakCount = 0;

    // The break count a text stands for, or 0 when it is not within 1 to 32767.
    static int16_t breakCountFromText(const QString &text);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void acceptIfCountValid();
    void cancel();

    QLineEdit *BreakCountEdit;
    QCheckBox *SaveToDatabase;
    QPushButton *OKButton;
    QPushButton *CancelButton;
    bool loaded = false;
};
