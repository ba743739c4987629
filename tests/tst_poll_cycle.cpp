#include "device/ComSerie.h"
#include "device/PollCycle.h"
#include "device/PollFrames.h"
#include "tests/support/Simulator.h"

#include <QtTest>

using TestSupport::Simulator;

class TstPollCycle : public QObject {
    Q_OBJECT

    // A port on the simulator's pty, the poll cycle on it, and a display
    // timer that only counts how often the chain reached it.
    struct Rig {
        Simulator sim;
        ComSerie port;
        PollCycle poll{port};
        IntervalTimer display{QStringLiteral("Reloj_Graficos"), 100};
        int displayPasses = 0;
        QStringList failures;
        int noisy = 0;
        QList<QPair<bool, int>> silence; // silenceChanged, with the passes so far

        bool start() {
            if (!sim.start())
                return false;
            const QString device = sim.devicePath();
            port.setDeviceResolver([device](const QString &) { return device; });
            port.setDataBits(8);
            port.setFlowControl(SerialSettings::Flow::None);
            poll.setDisplayTimer(&display);
            QObject::connect(&display, &QTimer::timeout, [this] {
                ++displayPasses;
                display.stop();
            });
            QObject::connect(&poll, &PollCycle::portFailed,
                             [this](const QString &why) { failures << why; });
            QObject::connect(&poll, &PollCycle::noisyReply, [this](int n) { noisy = n; });
            QObject::connect(&poll, &PollCycle::silenceChanged, [this](bool on) {
                silence.append({on, displayPasses});
            });
            if (!port.open())
                return false;
            poll.Reloj_Principal.start();
            return true;
        }
    };

private slots:
    void replyParsing() {
        using PollFrames::Outcome;
        QCOMPARE(PollFrames::parse(":010302002A7F\r\n").value, 42);
        QCOMPARE(PollFrames::parse(":010302002a7f\r\n").value, 42);
        // Ten characters: the single digit at character 10.
        const auto ten = PollFrames::parse(":01030200F");
        QCOMPARE(ten.outcome, Outcome::Value);
        QCOMPARE(ten.value, 15);
        QCOMPARE(PollFrames::parse(":010302007").outcome, Outcome::Value);
        // Only the first of several replies counts.
        QCOMPARE(PollFrames::parse(":0103020011DB\r\n:0103020022CA\r\n").value, 0x11);
        QCOMPARE(PollFrames::parse("").outcome, Outcome::NoValue);
        QCOMPARE(PollFrames::parse(":0103020").outcome, Outcome::NoValue);
        QCOMPARE(PollFrames::parse(":01100000FF0002EE\r\n").outcome, Outcome::NoValue);
        QCOMPARE(PollFrames::parse(":01030200ZZ00\r\n").outcome, Outcome::BadDigits);
        QCOMPARE(PollFrames::parse(":01030200-1\r\n").outcome, Outcome::BadDigits);
        QCOMPARE(PollFrames::parse(":01030200 1\r\n").outcome, Outcome::BadDigits);
    }

    void requestFramesAreFixedTexts() {
        QCOMPARE(PollFrames::request(1), QByteArray(":01030000FF1810D6\r\n"));
        QCOMPARE(PollFrames::request(6), QByteArray(":01030000FF1D10D1\r\n"));
        QCOMPARE(PollFrames::request(3).size(), 19);
    }

    void oneChainSendsSixFramesAndReadsTheValues() {
        Rig rig;
        QVERIFY(rig.start());
        QVERIFY(rig.sim.command("inputs 8005"));
        QVERIFY(rig.sim.command("analog 1 42"));
        QVERIFY(rig.sim.command("analog 4 255"));
        QTRY_VERIFY_WITH_TIMEOUT(rig.displayPasses >= 1, 3000);
        const auto frames = rig.sim.frames();
        QVERIFY(frames.size() >= 6);
        QStringList expected;
        for (int n = 1; n <= 6; ++n)
            QCOMPARE(frames[n - 1].text + "\r\n", PollFrames::request(n));
        // Steps are 100 ms apart: a write, 50 ms, its read, 50 ms, the next write.
        for (int n = 1; n < 6; ++n) {
            const double gap = frames[n].t - frames[n - 1].t;
            QVERIFY2(gap > 0.08 && gap < 0.3, qPrintable(QString::number(gap)));
        }
        const DeviceImage &img = rig.poll.image();
        QCOMPARE(img.reg(1), 0x05);
        QCOMPARE(img.reg(2), 0x80);
        QCOMPARE(img.reg(3), 42);
        QCOMPARE(img.reg(6), 255);
        QVERIFY(rig.failures.isEmpty());
    }

    void silenceAndCommandRepliesKeepTheRegisters() {
        Rig rig;
        QVERIFY(rig.start());
        QVERIFY(rig.sim.command("analog 2 77"));
        QTRY_VERIFY_WITH_TIMEOUT(rig.poll.image().reg(4) == 77, 3000);
        QVERIFY(rig.sim.command("analog 2 10"));
        QVERIFY(rig.sim.command("mode cmdreply"));
        const int passes = rig.displayPasses;
        QTRY_VERIFY_WITH_TIMEOUT(rig.displayPasses >= passes + 2, 4000);
        QCOMPARE(rig.poll.image().reg(4), 77);
        QVERIFY(rig.sim.command("mode silent"));
        QTRY_VERIFY_WITH_TIMEOUT(rig.displayPasses >= passes + 4, 4000);
        QCOMPARE(rig.poll.image().reg(4), 77);
        QCOMPARE(rig.noisy, 0);
        QVERIFY(rig.failures.isEmpty());
        QVERIFY(rig.sim.command("mode normal"));
        QTRY_VERIFY_WITH_TIMEOUT(rig.poll.image().reg(4) == 10, 4000);
    }

    void noiseIsCountedAndTheChainMovesOn() {
        Rig rig;
        QVERIFY(rig.start());
        QVERIFY(rig.sim.command("analog 3 99"));
        QTRY_VERIFY_WITH_TIMEOUT(rig.poll.image().reg(5) == 99, 3000);
        QVERIFY(rig.sim.command("mode nonhex"));
        const int passes = rig.displayPasses;
        QTRY_VERIFY_WITH_TIMEOUT(rig.displayPasses >= passes + 2, 4000);
        QCOMPARE(rig.poll.image().reg(5), 99);
        QVERIFY(rig.noisy >= 6);
        // Every step still ran once per chain: no step repeats on noise.
        const auto frames = rig.sim.frames();
        QCOMPARE(frames.size() % 6, 0);
        QVERIFY(rig.sim.command("mode noise"));
        QTRY_VERIFY_WITH_TIMEOUT(rig.displayPasses >= passes + 4, 4000);
        QCOMPARE(rig.poll.image().reg(5), 99);
        QVERIFY(rig.failures.isEmpty());
    }

    void lateRepliesAreNeverTakenForTheNextRegister_data() {
        QTest::addColumn<int>("lateMs");
        // Steps are a little over 100 ms apart. 75 ms: the reply lands
        // between its own read step and the next request. 130 ms: after the
        // next request, inside the next read step's window.
        QTest::newRow("75 ms") << 75;
        QTest::newRow("130 ms") << 130;
    }

    void lateRepliesAreNeverTakenForTheNextRegister() {
        QFETCH(int, lateMs);
        Rig rig;
        QList<std::array<int32_t, 6>> seen; // the registers at every display pass
        QObject::connect(&rig.display, &QTimer::timeout,
                         [&] { seen.append(rig.poll.image().regs); });
        QVERIFY(rig.start()); // the first chain comes a second later
        QVERIFY(rig.sim.command("analog 1 17"));
        QVERIFY(rig.sim.command("analog 2 34"));
        QVERIFY(rig.sim.command("analog 3 51"));
        QVERIFY(rig.sim.command("analog 4 68"));
        QVERIFY(rig.sim.command(QStringLiteral("mode late %1").arg(lateMs)));
        QTRY_VERIFY_WITH_TIMEOUT(seen.size() >= 4, 8000);
        // A reply that missed its own read step is dropped before the next
        // request, or left unread by the rest of its chain: a register holds
        // its own value or none, never another's.
        const std::array<int32_t, 6> own{0, 0, 17, 34, 51, 68};
        for (const auto &regs : seen) {
            for (int n = 0; n < 6; ++n)
                QVERIFY2(regs[n] == 0 || regs[n] == own[n],
                         qPrintable(QString("register %1 holds %2").arg(n + 1).arg(regs[n])));
        }
        QVERIFY(rig.sim.command("mode normal"));
        QTRY_VERIFY_WITH_TIMEOUT(rig.poll.image().reg(6) == 68, 4000);
        QCOMPARE(rig.poll.image().reg(3), 17);
        QCOMPARE(rig.poll.image().reg(4), 34);
        QCOMPARE(rig.poll.image().reg(5), 51);
    }

    void silenceIsReportedAfterThreeChainsAndEndsWithAReply() {
        Rig rig;
        QVERIFY(rig.start());
        QVERIFY(rig.sim.command("analog 1 9"));
        QTRY_VERIFY_WITH_TIMEOUT(rig.poll.image().reg(3) == 9, 3000);
        QVERIFY(rig.silence.isEmpty());
        QVERIFY(rig.sim.command("mode silent"));
        const int passes = rig.displayPasses;
        QTRY_VERIFY_WITH_TIMEOUT(!rig.silence.isEmpty(), 6000);
        QCOMPARE(rig.silence.first().first, true);
        // Three whole chains without a reply; the chain under way when the
        // controller fell silent may have had its replies still.
        const int chainsSilent = rig.silence.first().second - passes;
        QVERIFY2(chainsSilent >= 2 && chainsSilent <= 4, qPrintable(QString::number(chainsSilent)));
        QCOMPARE(rig.poll.image().reg(3), 9); // the values stay as they were
        QVERIFY(rig.sim.command("mode normal"));
        QTRY_COMPARE_WITH_TIMEOUT(rig.silence.size(), 2, 3000);
        QCOMPARE(rig.silence.last().first, false);
        QVERIFY(rig.failures.isEmpty());
    }

    void closingThePortMidChainFinishesWithoutTraffic() {
        Rig rig;
        QVERIFY(rig.start());
        QVERIFY(rig.sim.waitForFrames(2, 3000)); // inside the first chain
        rig.poll.Reloj_Principal.stop();
        rig.port.close();
        const int before = int(rig.sim.frames().size());
        QTRY_COMPARE_WITH_TIMEOUT(rig.displayPasses, 1, 2000);
        QTest::qWait(1200);
        QCOMPARE(int(rig.sim.frames().size()), before);
        QCOMPARE(rig.displayPasses, 1);
        for (int n = 1; n <= 6; ++n)
            QVERIFY(!rig.poll.Reloj_Escribe(n).isActive() && !rig.poll.Reloj_Lee(n).isActive());
    }

    void aDroppedLineIsReportedOnce() {
        Rig rig;
        QVERIFY(rig.start());
        QVERIFY(rig.sim.waitForFrames(1, 3000));
        QVERIFY(rig.sim.command("close"));
        QTRY_VERIFY_WITH_TIMEOUT(!rig.failures.isEmpty(), 3000);
    }

    void aStartedTimerKeepsItsSchedule() {
        IntervalTimer t(QStringLiteral("t"), 200);
        QElapsedTimer clock;
        clock.start();
        t.start();
        QTest::qWait(120);
        t.start(); // already running: no restart
        QSignalSpy spy(&t, &QTimer::timeout);
        QVERIFY(spy.wait(1000));
        QVERIFY2(clock.elapsed() < 290, qPrintable(QString::number(clock.elapsed())));
    }
};

QTEST_MAIN(TstPollCycle)
#include "tst_poll_cycle.moc"
