#pragma once

#include <QString>

class QWidget;

// The two file choices of the Trend window, behind an interface that tests
// replace. An empty path means the operator cancelled.
class TrendFileDialog
{
public:
    virtual ~TrendFileDialog() = default;
    virtual QString logToPlot(QWidget *parent) = 0;     // an existing data log
    virtual QString imageToSave(QWidget *parent) = 0;   // a PNG file to write
};

class QtTrendFileDialog : public TrendFileDialog
{
public:
    QString logToPlot(QWidget *parent) override;
    QString imageToSave(QWidget *parent) override;
};
