#pragma once

#include <QString>

class QWidget;

// The file choices of the Trend window, behind an interface that tests
// replace. An empty path means the operator cancelled.
class TrendFileDialog
{
public:
    virtual ~TrendFileDialog() = default;
    virtual QString logToPlot(QWidget *parent) = 0;       // an existing data log
    virtual QString imageToSave(QWidget *parent) = 0;     // a PNG file to write
    virtual QString rangeToExport(QWidget *parent) = 0;   // a data log file to write
};

class QtTrendFileDialog : public TrendFileDialog
{
public:
    QString logToPlot(QWidget *parent) override;
    QString imageToSave(QWidget *parent) override;
    QString rangeToExport(QWidget *parent) override;
};
