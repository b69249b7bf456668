#include "state/NumberReader.h"

#include <QLocale>
#include <QTest>

#include <limits>

class NumberReaderTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A decimal comma here must not change what is read.
    void initTestCase() { QCOMPARE(QLocale().decimalPoint(), QStringLiteral(",")); }

    void readsNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        const double inf = std::numeric_limits<double>::infinity();
        QTest::newRow("blanks inside digits") << "  1 2.5abc" << 12.5;
        QTest::newRow("no digits") << "abc" << 0.0;
        QTest::newRow("full stop, German or not") << "1.5" << 1.5;
        QTest::newRow("comma ends it") << "1,5" << 1.0;
        QTest::newRow("negative exponent") << "25E-2" << 0.25;
        QTest::newRow("overflow") << "-1e999" << -inf;
        QTest::newRow("hexadecimal, blanks, lower case") << " & h f f" << 255.0;
        QTest::newRow("octal stops at 8") << "&O18" << 1.0;
        QTest::newRow("non-ASCII digit ends it") << QString::fromUtf8("7\u0661") << 7.0;
    }
    void readsNumber()
    {
        QFETCH(QString, text);
        QFETCH(double, expected);
        QCOMPARE(ReadNumber(text), expected);
    }

    // Rounding halves to even, then the width check; a misfit keeps the old 77.
    void readsIntoWidth_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("bits");
        QTest::addColumn<bool>("fits");
        QTest::addColumn<int>("expected");
        QTest::newRow("-3.5 to even") << "-3.5" << 32 << true << -4;
        QTest::newRow("long rounds out") << "2147483647.5" << 32 << false << 77;
        QTest::newRow("integer overflow") << "32768" << 16 << false << 77;
        QTest::newRow("byte beyond a long") << "4294967296" << 8 << false << 77;
    }
    void readsIntoWidth()
    {
        QFETCH(QString, text);
        QFETCH(int, bits);
        QFETCH(int, expected);
        int32_t wide = 77;
        int16_t narrow = 77;
        const bool ok = bits == 32 ? ReadLong(text, wide)
                      : bits == 16 ? ReadInteger(text, narrow) : ReadByte(text, narrow);
        QTEST(ok, "fits");
        QCOMPARE(bits == 32 ? wide : int32_t(narrow), int32_t(expected));
    }
};

QTEST_GUILESS_MAIN(NumberReaderTest)
#include "NumberReaderTest.moc"
