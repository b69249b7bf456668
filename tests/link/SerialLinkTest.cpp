#include "engine/link/SerialLink.h"
#include "engine/link/Commands.h"
#include "supervision/EngineRig.h"
#include "support/Fetched.h"
#include "support/OneLine.h"
#include "support/TestKit.h"

// The link's reading of the line, and what one command puts on it and whether the link is then free, against
// a tester that answers at once (a data request with the record "12;1;2").
class SerialLinkTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void getSerial_data()
    {
        // expected: a line complete, the reply line, what is left over, the tester signals kept for the idle link
        addColumns<QByteArray, QString>("received", "expected");
        addRow("characters after the CR are dropped", QByteArray("*\r+*12\r"), "1 *  ");
        // "+" and "-" that crossed a command on the wire.
        addRow("both signals in front of a reply", QByteArray("-+*\r"), "1 *  +-");
        addRow("new data right behind a reply", QByteArray("*7\r+"), "1 *7  +");
        addRow("a minus in the data is no signal", QByteArray("*-1;-2\r"), "1 *-1;-2  ");
        // Stray bytes of a noisy line are skipped up to the "*".
        addRow("stray bytes between a signal and the star", QByteArray("+\x90\n*\r"), "1 *  +");
        addRow("no star: the line as it came, less its stray bytes", QByteArray("\x85?\r"), "1 ?  ");
        addRow("no line end yet: all of it waits", QByteArray("*12;"), "0  *12; ");
        // A bare CR is an empty line: no star, so a refusal of a command; the line behind it is dropped.
        addRow("an empty line is a line", QByteArray("\r*\r"), "1   ");
    }

    void getSerial()
    {
        EngineRig rig;
        SerialLink &link = rig.engine.link();
        rig.s.link.quietTicks = 40;
        rig.port.queueInput(fetched<QByteArray>("received"));
        const bool complete = link.readReplyLine();
        QTEST(oneLine(complete, link.ReplyLine, link.RxBuffer, link.takePendingSignals()), "expected");
        QCOMPARE(int(rig.s.link.quietTicks), 0);   // any character shows the tester awake
        QVERIFY(link.takePendingSignals().isEmpty());
    }

    void streamWithoutLineEndStaysBounded()
    {
        EngineRig rig;
        SerialLink &link = rig.engine.link();
        for (int chunk = 0; chunk < 500; ++chunk) {
            rig.s.link.quietTicks = 100;
            rig.port.queueInput(QByteArray(100, char('a' + chunk % 26)));
            QVERIFY(!link.readReplyLine());
            QCOMPARE(int(rig.s.link.quietTicks), 0);
        }
        // The newest characters are the ones kept, and a line end still completes them.
        const QByteArray kept = link.RxBuffer;
        QCOMPARE(int(kept.size()), SerialLink::RxBufferLimit);
        QVERIFY(kept.endsWith(QByteArray(100, char('a' + 499 % 26))));
        rig.port.queueInput("xyz\r");
        QVERIFY(link.readReplyLine());
        QCOMPARE(link.ReplyLine, QString::fromLatin1(kept + "xyz"));
        QVERIFY(link.RxBuffer.isEmpty());
    }

    // Every code of the tester's set goes out as its two hex digits; the holes and the codes around have no text.
    void commandTexts()
    {
        const QSet<int> holes = {168, 169, 173, 185, 186, 187, 188, 189, 190, 191};
        for (int code = 150; code <= 250; ++code) {
            const bool known = code >= 160 && code <= 243 && !holes.contains(code);
            QCOMPARE(commandText(Command(code)), known ? QString::number(code, 16).toUpper() : QString());
            QCOMPARE(isBareCommand(Command(code)), known && code < 224);
            QCOMPARE(isValueCommand(Command(code)), known && code >= 224);
        }
    }

    void send_data()
    {
        // value: none: sent without one; link: "open", "closed", "busy": a data request awaits its reply; expected:
        // whether the next command may go at once, what the tester receives until the link is idle again, the
        // samples saved, whether the link is then ready
        addColumns<int, QString, int, QString, QString>("code", "value", "quietTicks", "link", "expected");
        addRow("five quiet ticks need no wake-up", 200, QString(), 5, "open", "0 C8 0 1");
        addRow("quiet line: wake-up, then the parked command with its value", 243, "100", 6, "open",
               "1 <ESC>,F3100 0 1");
        addRow("a value command needs a value, no wake-up for it", 225, QString(), 260, "open", "1  0 1");
        addRow("a code without meaning", 168, QString(), 0, "open", "1  0 1");
        addRow("port closed", 200, QString(), 0, "closed", "0  0 0");
        addRow("reply awaited: refused, that reply still counts", 200, QString(), 0, "busy", "0 AE 1 1");
    }

    void send()
    {
        QFETCH(int, code);
        QFETCH(QString, value);
        QFETCH(QString, link);
        EngineRig rig;
        rig.answerEverything("12;1;2");
        rig.port.refuseAll = link == "closed";
        if (link != "closed")
            rig.linkUp();
        rig.s.link.quietTicks = TesterState::Integer(fetched<int>("quietTicks"));
        if (link == "busy")
            rig.engine.sendCommand(Command::SampleData);
        if (value.isNull())
            rig.engine.sendCommand(Command(code));
        else
            rig.engine.sendValueCommand(Command(code), value);
        const bool readyAtOnce = rig.engine.commReady();
        rig.runUntilIdle();
        QTEST(oneLine(readyAtOnce, rig.port.frames(), rig.log.saved, rig.engine.commReady()), "expected");
    }
};

QTEST_GUILESS_MAIN(SerialLinkTest)
#include "SerialLinkTest.moc"
