#include "engine/procedures/MasterReset.h"

#include "engine/procedures/DefaultConfig.h"
#include "engine/state/MessageDialogs.h"
#include "engine/state/NumberReader.h"
#include "engine/state/TesterState.h"
#include "engine/supervision/TesterEngine.h"

#include <QRegularExpression>

namespace {

constexpr int MaxSerialLength = 8;

bool isSerialCharacter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z');
}

// A plain decimal number: optional blanks around it, a sign, digits with an
// optional fraction, an optional exponent. Nothing else may follow.
bool parsePlainNumber(const QString &text, double &value)
{
    static const QRegularExpression plain(
        QStringLiteral("^\\s*[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?\\s*$"));
    if (!plain.match(text).hasMatch())
        return false;
    value = parseNumber(text);
    return true;
}

}   // namespace

QString checkMasterEntries(const QString &serial, const QString &mode, const QString &pullUp, MasterEntries &entries)
{
    if (serial.isEmpty() || serial.size() > MaxSerialLength)
        return QStringLiteral("Invalid Serial Number");
    for (const QChar c : serial)
        if (!isSerialCharacter(c))
            return QStringLiteral("Invalid Serial Number");

    double modeValue = 0;
    if (!parsePlainNumber(mode, modeValue) || modeValue < 0 || modeValue > 3)
        return QStringLiteral("Invalid Resistance Mode");

    double pullUpValue = 0;
    if (!parsePlainNumber(pullUp, pullUpValue) || pullUpValue < 0 || pullUpValue > 65535)
        return QStringLiteral("Invalid Resistance Value");

    entries.serialNumber = serial;
    entries.mode = int16_t(roundHalfEven(modeValue));
    entries.pullUp = int32_t(roundHalfEven(pullUpValue));
    return QString();
}

void performMasterReset(TesterState &s, TesterEngine &engine, MessageDialogs &dialogs,
                        const std::function<bool()> &askMasterValues)
{
    if (s.counters.running
        && dialogs.askYesNo(QStringLiteral("Master Reset"),
                            QStringLiteral("A test is running. A master reset stops it, loads the default "
                                           "configuration and clears the counters. Continue?"))
               != AnswerYes)
        return;
    s.pending.serialNumber = QStringLiteral("00000000");
    setDefaultConfig(s);
    s.pending.rangeMode = 0;
    s.pending.rangePullUp = 1000;
    if (askMasterValues())
        engine.startMasterDownload();
}
