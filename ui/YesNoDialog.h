#pragma once

#include "engine/state/MessageDialogs.h"

#include <QDialog>
#include <cstdint>

class QLabel;

// A question answered Yes (6), No (7) or Cancel (2). Enter and the close
// box answer Cancel, so a hurried key never discards anything.
class YesNoDialog : public QDialog
{
public:
    explicit YesNoDialog(QWidget *parent = nullptr);

    void setMessage(const QString &text);
    QString message() const;

    int16_t UserSelection = AnswerCancel;

private:
    void answer(int16_t selection);

    QLabel *messageText;
};
