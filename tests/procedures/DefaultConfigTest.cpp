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
        QTest::newRow("bounce: raised to the floor") << true << 500 << 1250;
        QTest::newRow("bounce: 1.5 times") << true << 2000 << 3000;
        QTest::newRow("bounce: held at 0.1 s") << true << 50000 << 62500;
        QTest::newRow("stroke: raised to 50 ms") << false << 20 << 50;
        QTest::newRow("stroke: 1.5 times") << false << 120 << 180;
        QTest::newRow("stroke: 151.5 to even") << false << 101 << 152;
        QTest::newRow("stroke: 148.5 to even") << false << 99 << 148;
        QTest::newRow("stroke: held at 500 ms") << false << 400 << 500;
    }

    void learnedBounceAndStroke()
    {
        QFETCH(bool, bounce);
        QFETCH(int, measured);
        QFETCH(int, learned);
        QCOMPARE(bounce ? LearnedBounceTol(measured) : LearnedStrokeTime(measured), learned);
    }

    // SetLearnedConfig over what a tester measured on a golden switch.
    void learnedContactTolerances_data()
    {
        QTest::addColumn<int>("contact");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("closedReading");   // max and min of the closed stroke
        QTest::addColumn<int>("openReading");     // max and min of the open stroke
        QTest::addColumn<QList<int>>("tolerances");   // min down, max down, min up, max up

        // Normally open, 1000 ohm pull-up: closed on the down stroke.
        QTest::newRow("NO resistance") << 1 << 0 << 10 << 1023 << QList<int>{0, 16, 1020, 1023};
        QTest::newRow("NO dead short raised to 15") << 1 << 0 << 0 << 1023 << QList<int>{0, 15, 1020, 1023};
        QTest::newRow("NO current mode") << 1 << 1 << 600 << 600 << QList<int>{0, 901, 299, 901};
        // Normally closed: open on the down stroke, no ceiling on its lower limit.
        QTest::newRow("NC resistance") << 2 << 0 << 0 << 1023 << QList<int>{1022, 1023, 0, 15};
        QTest::newRow("NC voltage") << 2 << 2 << 600 << 600 << QList<int>{299, 901, 0, 901};
    }

    void learnedContactTolerances()
    {
        QFETCH(int, contact);
        QFETCH(int, mode);
        QFETCH(int, closedReading);
        QFETCH(int, openReading);
        QFETCH(QList<int>, tolerances);

        TesterState s;
        s.vRMode = s.sRMode = TesterState::Integer(mode);
        s.vRPullUp = s.sRPullUp = 1000;
        s.sContact = TesterState::Integer(contact);
        const bool normallyOpen = (contact & 3) == 1;
        const int down = normallyOpen ? closedReading : openReading;
        const int up = normallyOpen ? openReading : closedReading;
        s.vMaxDownResistance = s.vMinDownResistance = down;
        s.vMaxUpResistance = s.vMinUpResistance = up;
        SetLearnedConfig(s);
        QCOMPARE((QList<int>{s.sMinDownResistTol, s.sMaxDownResistTol, s.sMinUpResistTol, s.sMaxUpResistTol}),
                 tolerances);
    }

    void learnedConfigKeepsTheTestersIdentityAndLiftsTheLimits()
    {
        TesterState s;
        s.vRMode = s.sRMode = 0;
        s.vRPullUp = s.sRPullUp = 4700;
        s.sContact = 241;
        s.vUpperBounce = 140;
        s.vLowerBounce = 110;
        s.vLastUpStrokeTime = 40;
        s.vLastDownStrokeTime = 101;
        s.vMaxUpBounce = 2000;
        SetLearnedConfig(s);
        QCOMPARE(s.sContact, TesterState::Integer(241));
        QCOMPARE(s.sRPullUp, 4700);
        QCOMPARE((QList<int>{s.sFailLimit, s.sSeqLimit, s.sCycleLimit}), (QList<int>{1000000, 1000000, 1000000}));
        QCOMPARE((QList<int>{s.sMinUpTime, s.sMaxUpTime, s.sMinDownTime, s.sMaxDownTime}),
                 (QList<int>{60, 500, 152, 500}));
        QCOMPARE((QList<int>{s.sMaxUpBounceTol, s.sMaxDownBounceTol, s.sUpperBounce, s.sLowerBounce}),
                 (QList<int>{3000, 1250, 140, 110}));
    }
};

QTEST_GUILESS_MAIN(DefaultConfigTest)
#include "DefaultConfigTest.moc"
