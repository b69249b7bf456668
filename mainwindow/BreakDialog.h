#pragma once

#include <QDialog>
#include <cstdint>

class QCheckBox;
class QLineEdit;
class QPushButton;

// Asks for the break count of break-update mode: the tester stops every
// breakCount cycles so the data can be fetched (and logged when "Save To
// Database" is ticked). The caller sets `saveToDatabase` before showing it
// and reads `breakCount` (0 when cancelled) and `saveToDatabase` afterwards.
class BreakDialog : public QDialog
{
public:
    explicit BreakDialog(QWidget *parent = nullptr);

    bool saveToDatabase = false;
    int16_t breakCount = 0;

    // The break count a text stands for, or 0 when it is not within 1 to 32767.
    static int16_t breakCountFromText(const QString &text);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void acceptIfCountValid();
    void cancel();

    QLineEdit *breakCountEdit;
    QCheckBox *saveToDatabaseCheck;
    QPushButton *okButton;
    QPushButton *cancelButton;
    bool loaded = false;
};
