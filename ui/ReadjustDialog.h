#pragma once

#include "engine/state/MessageDialogs.h"

#include <QDialog>
#include <QStringList>
#include <cstdint>

// The configuration editor's question after it readjusted values, listing
// each with the text typed and the value used: Yes (6) to review them, No
// (7) to send them as they are. The close box answers No.
class ReadjustDialog : public QDialog
{
public:
    explicit ReadjustDialog(const QStringList &changes, QWidget *parent = nullptr);

    int16_t UserSelect = AnswerNo;

private:
    void answer(int16_t selection);
};
