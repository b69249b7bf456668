#pragma once

#include <QDialog>

class QLabel;

// A notice with one OK button and the warning icon. The caller sets the
// title and the message, shows it modally and releases it.
class ErrorDialog : public QDialog
{
public:
    explicit ErrorDialog(QWidget *parent = nullptr);

    void setMessage(const QString &text);
    QString message() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QLabel *messageText;
    bool loaded = false;
};
