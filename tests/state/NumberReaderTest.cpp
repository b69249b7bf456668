#include "state/NumberReader.h"

#include <QLocale>
#include <QTest>

#include <cmath>
#include <limits>

class NumberReaderTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsNumber_data();
    void readsNumber();
    void ignoresGermanLocale();
    void roundsHalfToEven_data();
    void roundsHalfToEven();
    void readsLong_data();
    void readsLong();
    void readsInteger_data();
    void readsInteger();
    void readsByte_data();
    void readsByte();
};

void NumberReaderTest::readsNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    const double inf = std::numeric_limits<double>::infinity();

    QTest::newRow("blanks inside digits") << "  1 2.5abc" << 12.5;
    QTest::newRow("tab and line feed removed") << "\t4\n2" << 42.0;
    QTest::newRow("carriage return ends the number") << "5\r7" << 5.0;
    QTest::newRow("no digits") << "abc" << 0.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("lone full stop") << "." << 0.0;
    QTest::newRow("lone sign") << "-" << 0.0;
    QTest::newRow("double sign") << "--5" << 0.0;
    QTest::newRow("plus sign") << "+7" << 7.0;
    QTest::newRow("negative") << "-3.5" << -3.5;
    QTest::newRow("leading full stop") << "-.5" << -0.5;
    QTest::newRow("second full stop ends") << "12.5.6" << 12.5;
    QTest::newRow("comma is not a decimal point") << "1,5" << 1.0;
    QTest::newRow("exponent") << "1e3" << 1000.0;
    QTest::newRow("negative exponent") << "25E-2" << 0.25;
    QTest::newRow("exponent without digits") << "1e" << 1.0;
    QTest::newRow("exponent sign without digits") << "2e+x" << 2.0;
    QTest::newRow("exponent overflow") << "1e999" << inf;
    QTest::newRow("negative overflow") << "-1e999" << -inf;
    QTest::newRow("underflow") << "1e-999" << 0.0;
    QTest::newRow("hexadecimal") << "&H1F" << 31.0;
    QTest::newRow("hexadecimal lower case") << "&hff" << 255.0;
    QTest::newRow("hexadecimal after blanks") << " & H 10" << 16.0;
    QTest::newRow("hexadecimal without digits") << "&H" << 0.0;
    QTest::newRow("octal") << "&O17" << 15.0;
    QTest::newRow("octal stops at 8") << "&O18" << 1.0;
    QTest::newRow("C hexadecimal is not read") << "0x10" << 0.0;
    QTest::newRow("non-ASCII digits end the number") << QString::fromUtf8("7\u0661") << 7.0;
}

void NumberReaderTest::readsNumber()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(ReadNumber(text), expected);
}

void NumberReaderTest::ignoresGermanLocale()
{
    // The test programs run with a decimal comma; the reader must not care.
    QCOMPARE(QLocale().decimalPoint(), QStringLiteral(","));
    QCOMPARE(ReadNumber(QStringLiteral("1.5")), 1.5);
    QCOMPARE(ReadNumber(QStringLiteral("1.000")), 1.0);
}

void NumberReaderTest::roundsHalfToEven_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("expected");
    QTest::newRow("2.5") << 2.5 << 2.0;
    QTest::newRow("3.5") << 3.5 << 4.0;
    QTest::newRow("0.5") << 0.5 << 0.0;
    QTest::newRow("-2.5") << -2.5 << -2.0;
    QTest::newRow("-3.5") << -3.5 << -4.0;
    QTest::newRow("just below half") << 2.4999999 << 2.0;
    QTest::newRow("just above half") << 2.5000001 << 3.0;
    QTest::newRow("negative below half") << -1.4 << -1.0;
    QTest::newRow("large") << 4294967296.5 << 4294967296.0;
}

void NumberReaderTest::roundsHalfToEven()
{
    QFETCH(double, value);
    QFETCH(double, expected);
    QCOMPARE(RoundHalfEven(value), expected);
}

void NumberReaderTest::readsLong_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("fits");
    QTest::addColumn<int>("expected");   // the target afterwards; it starts at 77

    QTest::newRow("halves to even") << "12.5" << true << 12;
    QTest::newRow("halves to even up") << "13.5" << true << 14;
    QTest::newRow("no digits") << "abc" << true << 0;
    QTest::newRow("largest") << "2147483647" << true << 2147483647;
    QTest::newRow("rounds down into range") << "2147483647.4" << true << 2147483647;
    QTest::newRow("rounds up out of range") << "2147483647.5" << false << 77;
    QTest::newRow("one too many") << "2147483648" << false << 77;
    QTest::newRow("smallest") << "-2147483648" << true << int(std::numeric_limits<int32_t>::min());
    QTest::newRow("one too few") << "-2147483649" << false << 77;
    QTest::newRow("overflowing exponent") << "1e999" << false << 77;
}

void NumberReaderTest::readsLong()
{
    QFETCH(QString, text);
    QFETCH(bool, fits);
    QFETCH(int, expected);
    int32_t target = 77;
    QCOMPARE(ReadLong(text, target), fits);
    QCOMPARE(target, int32_t(expected));
}

void NumberReaderTest::readsInteger_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("fits");
    QTest::addColumn<int>("expected");   // the target afterwards; it starts at 77

    QTest::newRow("largest") << "32767" << true << 32767;
    QTest::newRow("one too many") << "32768" << false << 77;
    QTest::newRow("half rounds out of range") << "32767.5" << false << 77;
    QTest::newRow("smallest") << "-32768" << true << -32768;
    QTest::newRow("half rounds to even smallest") << "-32768.5" << true << -32768;
    QTest::newRow("one too few") << "-32769" << false << 77;
    QTest::newRow("hexadecimal") << "&H7FFF" << true << 32767;
}

void NumberReaderTest::readsInteger()
{
    QFETCH(QString, text);
    QFETCH(bool, fits);
    QFETCH(int, expected);
    int16_t target = 77;
    QCOMPARE(ReadInteger(text, target), fits);
    QCOMPARE(target, int16_t(expected));
}

void NumberReaderTest::readsByte_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("fits");
    QTest::addColumn<int>("expected");   // the target afterwards; it starts at 77

    QTest::newRow("in range") << "200" << true << 200;
    QTest::newRow("low eight bits") << "300" << true << 44;
    QTest::newRow("minus one") << "-1" << true << 255;
    QTest::newRow("256") << "256" << true << 0;
    QTest::newRow("largest long") << "2147483647" << true << 255;
    QTest::newRow("beyond a long") << "4294967296" << false << 77;
    QTest::newRow("hexadecimal") << "&HFF" << true << 255;
}

void NumberReaderTest::readsByte()
{
    QFETCH(QString, text);
    QFETCH(bool, fits);
    QFETCH(int, expected);
    int16_t target = 77;
    QCOMPARE(ReadByte(text, target), fits);
    QCOMPARE(target, int16_t(expected));
}

QTEST_GUILESS_MAIN(NumberReaderTest)
#include "NumberReaderTest.moc"
