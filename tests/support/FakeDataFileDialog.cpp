#include "FakeDataFileDialog.h"

bool FakeDataFileDialog::choose(int creatfile, QString &path)
{
    uses << creatfile;
    if (choices.isEmpty())
        return false;
    const std::optional<QString> choice = choices.takeFirst();
    if (!choice)
        return false;
    path = *choice;
    return true;
}
