#pragma once

#include <QDialog>
#include <QStringList>

class QLabel;

// A question with a button for each of its choices. The last choice is the
// cancel: Enter and the close box take it, so a hurried key never discards
// anything.
class ChoiceDialog : public QDialog
{
public:
    ChoiceDialog(const QStringList &choices, QWidget *parent = nullptr);

    void setMessage(const QString &text);
    int chosen() const { return choice; }

private:
    QLabel *messageText;
    int choice;
};
