#pragma once

#include "engine/state/MessageDialogs.h"

#include <QDialog>
#include <cstdint>

// The configuration editor's one fixed question after it readjusted values:
// Yes (6) to review them, No (7) to send them as they are. The close box
// answers No.
class ReadjustDialog : public QDialog
{
public:
    explicit ReadjustDialog(QWidget *parent = nullptr);

    int16_t UserSelect = AnswerNo;

private:
    void answer(int16_t selection);
};
