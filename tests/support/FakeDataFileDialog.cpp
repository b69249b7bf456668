#include "FakeDataFileDialog.h"

bool FakeDataFileDialog::choose(int, QString &path)
{
    if (choices.isEmpty())
        return false;
    const std::optional<QString> choice = choices.takeFirst();
    if (!choice)
        return false;
    path = *choice;
    return true;
}
