#include "engine/link/SerialLink.h"
#include "engine/link/Commands.h"
#include "supervision/EngineRig.h"
#include "support/TestKit.h"

// The link's reading of the line, and what one command puts on it and whether the link is then free, against
// a tester that answers at once (a data request with the record "12;1;2").
class SerialLinkTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void getSerial_data()
    {
        // kept: tester signals kept for the idle link
        addColumns<QByteArray, bool, QString, QByteArray, QByteArray>("received", "complete", "replyLine", "leftOver",
                                                                      "kept");

        addRow("characters after the CR are dropped", QByteArray("*\r+*12\r"), true, "*", QByteArray(), QByteArray());
        // "+" and "-" that crossed a command on the wire.
        addRow("both signals in front of a reply", QByteArray("-+*\r"), true, "*", QByteArray(), QByteArray("+-"));
        addRow("new data right behind a reply", QByteArray("*7\r+"), true, "*7", QByteArray(), QByteArray("+"));
        addRow("a minus in the data is no signal", QByteArray("*-1;-2\r"), true, "*-1;-2", QByteArray(), QByteArray());
        // Stray bytes of a noisy line are skipped up to the "*".
        addRow("stray bytes between a signal and the star", QByteArray("+\x90\n*\r"), true, "*", QByteArray(),
               QByteArray("+"));
        addRow("no star: the line as it came, less its stray bytes", QByteArray("\x85?\r"), true, "?", QByteArray(),
               QByteArray());
    }

    void getSerial()
    {
        QFETCH(QByteArray, received);

        EngineRig rig;
        SerialLink &link = rig.engine.link();
        rig.s.link.quietTicks = 40;
        rig.port.queueInput(received);

        QTEST(link.readReplyLine(), "complete");
        QTEST(link.ReplyLine, "replyLine");
        QTEST(link.RxBuffer, "leftOver");
        QCOMPARE(int(rig.s.link.quietTicks), 0);   // any character shows the tester awake
        QTEST(link.takePendingSignals(), "kept");
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
        // value: none: sent without one; link: "open", "closed", "busy": a data request awaits its reply; frames:
        // what the tester receives until the link is idle again; readyAtOnce: the next command may go at once
        addColumns<int, QString, int, QString, QStringList, bool>("code", "value", "quietTicks", "link", "frames",
                                                                  "readyAtOnce");

        addRow("five quiet ticks need no wake-up", 200, QString(), 5, "open", QStringList{"C8"}, false);
        addRow("quiet line: wake-up, then the parked command with its value", 243, "100", 6, "open",
               QStringList{"<ESC>", "F3100"}, true);
        addRow("a value command needs a value, no wake-up for it", 225, QString(), 260, "open", QStringList(), true);
        addRow("a code without meaning", 168, QString(), 0, "open", QStringList(), true);
        addRow("port closed", 200, QString(), 0, "closed", QStringList(), false);
        addRow("reply awaited: refused, that reply still counts", 200, QString(), 0, "busy", QStringList{"AE"}, false);
    }

    void send()
    {
        QFETCH(int, code);
        QFETCH(QString, value);
        QFETCH(int, quietTicks);
        QFETCH(QString, link);

        EngineRig rig;
        rig.answerEverything("12;1;2");
        rig.port.refuseAll = link == "closed";
        if (link != "closed")
            rig.linkUp();
        rig.s.link.quietTicks = TesterState::Integer(quietTicks);
        if (link == "busy")
            rig.engine.sendCommand(Command::SampleData);
        if (value.isNull())
            rig.engine.sendCommand(Command(code));
        else
            rig.engine.sendValueCommand(Command(code), value);
        QTEST(rig.engine.commReady(), "readyAtOnce");

        rig.runUntilIdle();
        QTEST(rig.port.frames(), "frames");
        QCOMPARE(rig.log.saved, link == "busy" ? 1 : 0);
        QCOMPARE(rig.engine.commReady(), link != "closed");
    }
};

QTEST_GUILESS_MAIN(SerialLinkTest)
#include "SerialLinkTest.moc"
