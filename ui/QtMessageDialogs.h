#pragma once

#include "engine/state/MessageDialogs.h"

#include <QPointer>
#include <QWidget>

// The program's message dialogs on the desktop: a fresh modal dialog for
// every message, owned by the main window once it exists, else by the
// window in use.
class QtMessageDialogs : public MessageDialogs
{
public:
    explicit QtMessageDialogs(QWidget *parent = nullptr);

    void setParentWidget(QWidget *parent);

    void showError(const QString &title, const QString &text) override;
    int16_t askYesNo(const QString &title, const QString &text) override;
    int16_t askReadjust(const QStringList &changes) override;
    int askChoice(const QString &title, const QString &text, const QStringList &choices) override;

private:
    QWidget *owner() const;

    QPointer<QWidget> parent;
};
