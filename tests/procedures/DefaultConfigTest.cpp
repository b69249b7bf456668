#include "procedures/DefaultConfig.h"
#include "state/TesterState.h"

#include <QTest>

// The learn arithmetic at its edges: the margins, the clamps and the
// rounding of halves to even.
class DefaultConfigTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void learnedBounceAndStroke_data()
    {
        QTest::addColumn<bool>("bounce");   // else a stroke time
        QTest::addColumn<int>("measured");
        QTest::addColumn<int>("learned");
        const int rows[][3] = {{1, 500, 1250}, {1, 2000, 3000}, {1, 50000, 62500}, {0, 20, 50},
                               {0, 120, 180},  {0, 101, 152},   {0, 99, 148},      {0, 400, 500}};
        for (const auto &r : rows)
            QTest::addRow("%s %d", r[0] ? "bounce" : "stroke", r[1]) << bool(r[0]) << r[1] << r[2];
    }

    void learnedBounceAndStroke()
    {
        QFETCH(bool, bounce);
        QFETCH(int, measured);
        QFETCH(int, learned);
        QCOMPARE(bounce ? LearnedBounceTol(measured) : LearnedStrokeTime(measured), learned);
    }

    // SetLearnedConfig over the extremes a tester measured on a golden
    // switch with a 1000 ohm pull-up (or full scale in current and voltage).
    void learnedContactTolerances_data()
    {
        QTest::addColumn<int>("contact");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("down");      // the reading of both down-stroke extremes
        QTest::addColumn<int>("up");
        QTest::addColumn<QList<int>>("tolerances");   // min down, max down, min up, max up
        QTest::newRow("NO resistance") << 1 << 0 << 10 << 1023 << QList<int>{0, 16, 1020, 1023};
        QTest::newRow("NO dead short raised to 15") << 1 << 0 << 0 << 1023 << QList<int>{0, 15, 1020, 1023};
        QTest::newRow("NO current") << 1 << 1 << 600 << 600 << QList<int>{0, 901, 299, 901};
        QTest::newRow("NC resistance, 1022 stays") << 2 << 0 << 1023 << 0 << QList<int>{1022, 1023, 0, 15};
        QTest::newRow("NC voltage") << 2 << 2 << 600 << 600 << QList<int>{299, 901, 0, 901};
    }

    void learnedContactTolerances()
    {
        QFETCH(int, contact);
        QFETCH(int, mode);
        QFETCH(int, down);
        QFETCH(int, up);
        QFETCH(QList<int>, tolerances);
        TesterState s;
        s.vRMode = s.sRMode = TesterState::Integer(mode);
        s.vRPullUp = s.sRPullUp = 1000;
        s.sContact = TesterState::Integer(contact);
        s.vMaxDownResistance = s.vMinDownResistance = down;
        s.vMaxUpResistance = s.vMinUpResistance = up;
        SetLearnedConfig(s);
        QCOMPARE((QList<int>{s.sMinDownResistTol, s.sMaxDownResistTol, s.sMinUpResistTol, s.sMaxUpResistTol}),
                 tolerances);
    }
};

QTEST_GUILESS_MAIN(DefaultConfigTest)
#include "DefaultConfigTest.moc"
