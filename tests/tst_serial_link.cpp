// The serial port against the simulated controller on a real pseudo-terminal:
// line parameters as the device sees them, the poll exchange, the
// notifications inside open() and close(), and a line that drops.

#include "device/ComSerie.h"
#include "tests/support/Simulator.h"

#include <QTemporaryDir>
#include <QtTest>

using TestSupport::Simulator;

namespace {

const QByteArray kRequestReg1 = ":01030000FF1810D6\r\n";
const QByteArray kRequestReg2 = ":01030000FF1910D5\r\n";
const QByteArray kRequestReg6 = ":01030000FF1D10D1\r\n";
const QByteArray kAllOff = ":01100000FF00020000EF\r\n";
const QByteArray kOutput5 = ":01100000FF00020010DF\r\n";

// Characters counted from 1, as the reading rule counts them.
QByteArray chars(const QByteArray &text, int first, int count) {
    return text.mid(first - 1, count);
}

// The value a reply carries at characters 10-11.
int replyValue(const QByteArray &reply) {
    bool ok = false;
    const int value = chars(reply, 10, 2).toInt(&ok, 16);
    return ok ? value : -1;
}

// Every "name=value" of expected is among the fields of a LINE report.
bool hasFields(const QByteArray &line, const QByteArray &expected) {
    const QList<QByteArray> fields = line.split(' ');
    for (const QByteArray &want : expected.split(' ')) {
        if (!fields.contains(want))
            return false;
    }
    return true;
}

// Writes a request and collects the reply the way the poll cycle does: a
// short wait, then whatever has arrived. Keeps reading a little longer only
// so that a loaded machine does not fail the test.
QByteArray exchange(ComSerie &port, const QByteArray &request) {
    if (!port.writeText(request))
        return "write failed: " + port.errorString().toUtf8();
    QByteArray reply;
    QDeadlineTimer deadline(2000);
    QTest::qWait(50);
    while (true) {
        QByteArray part;
        if (!port.readText(part))
            return "read failed: " + port.errorString().toUtf8();
        reply += part;
        if (reply.endsWith("\r\n") || deadline.hasExpired())
            return reply;
        QTest::qWait(20);
    }
}

// Records the connected flag at each notification, to show they come from
// inside open() and close().
struct NotificationLog {
    explicit NotificationLog(ComSerie &port) {
        QObject::connect(&port, &ComSerie::afterOpen, &port,
                         [this, &port] { events << (port.connected() ? "open+" : "open-"); });
        QObject::connect(&port, &ComSerie::afterClose, &port,
                         [this, &port] { events << (port.connected() ? "close+" : "close-"); });
    }
    QStringList events;
};

} // namespace

class TstSerialLink : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void lineParameters_data();
    void lineParameters();
    void flowModes_data();
    void flowModes();
    void parityKindLeftOnTheDevice_data();
    void parityKindLeftOnTheDevice();
    void notificationsComeInsideOpenAndClose();
    void missingDeviceFailsWithoutNotifications();
    void secondPortOnSameDevice();
    void repliesWaitInTheInputUntilRead();
    void droppedLineFailsReadAndWrite();

private:
    void useSimulator(ComSerie &port) const {
        const QString path = m_sim.devicePath();
        port.setPortName(QStringLiteral("COM1"));
        port.setDeviceResolver([path](const QString &name) {
            return name == QLatin1String("COM1") ? path : QStringLiteral("/dev/null/none");
        });
    }

    Simulator m_sim;
};

void TstSerialLink::init() {
    QString error;
    QVERIFY2(m_sim.start({QStringLiteral("--inputs"), QStringLiteral("812A"),
                          QStringLiteral("--analog"), QStringLiteral("10,20,30,200")},
                         &error),
             qPrintable(error));
}

void TstSerialLink::cleanup() {
    m_sim.stop();
}

void TstSerialLink::lineParameters_data() {
    using Stop = SerialSettings::StopBits;
    QTest::addColumn<int>("baud");
    QTest::addColumn<int>("dataBits");
    QTest::addColumn<Stop>("stopBits");
    QTest::addColumn<QSerialPort::Parity>("parity");
    // As the simulator reads the tty back. A pty forces 8 data bits and
    // clears PARENB whatever is asked, so data bits and parity on/off cannot
    // be seen there; PARODD and CMSPAR, which tell the parity kinds apart, can.
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("9600 8N1") << 9600 << 8 << Stop::One << QSerialPort::NoParity
                              << QByteArray("speed=9600 stop=1 parodd=0 cmspar=0");
    QTest::newRow("19200 7E1") << 19200 << 7 << Stop::One << QSerialPort::EvenParity
                               << QByteArray("speed=19200 stop=1 parodd=0 cmspar=0");
    QTest::newRow("4800 7O2") << 4800 << 7 << Stop::Two << QSerialPort::OddParity
                              << QByteArray("speed=4800 stop=2 parodd=1 cmspar=0");
    QTest::newRow("115200 8 mark") << 115200 << 8 << Stop::One << QSerialPort::MarkParity
                                   << QByteArray("speed=115200 stop=1 parodd=1 cmspar=1");
    QTest::newRow("57600 8 space") << 57600 << 8 << Stop::One << QSerialPort::SpaceParity
                                   << QByteArray("speed=57600 stop=1 parodd=0 cmspar=1");
    QTest::newRow("38400 8N2") << 38400 << 8 << Stop::Two << QSerialPort::NoParity
                               << QByteArray("speed=38400 stop=2 parodd=0 cmspar=0");
    // 1.5 stop bits exist only with 5 data bits, where the UART makes them from "two".
    QTest::newRow("9600 5N1.5") << 9600 << 5 << Stop::OneAndHalf << QSerialPort::NoParity
                                << QByteArray("speed=9600 stop=2");
    QTest::newRow("9600 6E1.5") << 9600 << 6 << Stop::OneAndHalf << QSerialPort::EvenParity
                                << QByteArray("speed=9600 stop=1 parodd=0 cmspar=0");
    QTest::newRow("9600 8N1.5") << 9600 << 8 << Stop::OneAndHalf << QSerialPort::NoParity
                                << QByteArray("speed=9600 stop=1");
    QTest::newRow("9600 5N2") << 9600 << 5 << Stop::Two << QSerialPort::NoParity
                              << QByteArray("speed=9600 stop=2");
    // Rates outside the classic termios list.
    QTest::newRow("14400 8N1") << 14400 << 8 << Stop::One << QSerialPort::NoParity
                               << QByteArray("speed=14400 stop=1");
    QTest::newRow("56000 8N1") << 56000 << 8 << Stop::One << QSerialPort::NoParity
                               << QByteArray("speed=56000 stop=1");
    QTest::newRow("256000 8N1") << 256000 << 8 << Stop::One << QSerialPort::NoParity
                                << QByteArray("speed=256000 stop=1");
}

void TstSerialLink::lineParameters() {
    QFETCH(int, baud);
    QFETCH(int, dataBits);
    QFETCH(SerialSettings::StopBits, stopBits);
    QFETCH(QSerialPort::Parity, parity);
    QFETCH(QByteArray, expected);

    const bool twoStop = expected.contains("stop=2");
    QCOMPARE(ComSerie::effectiveStopBits(stopBits, dataBits) == QSerialPort::TwoStop, twoStop);

    ComSerie port;
    useSimulator(port);
    port.setBaudRate(baud);
    port.setDataBits(dataBits);
    port.setStopBits(stopBits);
    port.setParity(parity);
    port.setFlowControl(SerialSettings::Flow::None);
    QVERIFY2(port.open(), qPrintable(port.errorString()));

    const QByteArray line = m_sim.lineSettings();
    QVERIFY2(hasFields(line, expected), line.constData());
    // No parity checking on input in any mode.
    QVERIFY2(hasFields(line, "inpck=0"), line.constData());

    const QByteArray reply = exchange(port, kRequestReg2);
    QCOMPARE(chars(reply, 2, 4), QByteArray("0103"));
    QCOMPARE(replyValue(reply), 0x81);
    port.close();
}

void TstSerialLink::flowModes_data() {
    QTest::addColumn<SerialSettings::Flow>("flow");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("hardware") << SerialSettings::Flow::Hardware
                              << QByteArray("rtscts=1 ixon=0 ixoff=0");
    QTest::newRow("software") << SerialSettings::Flow::Software
                              << QByteArray("rtscts=0 ixon=1 ixoff=1");
    QTest::newRow("none") << SerialSettings::Flow::None << QByteArray("rtscts=0 ixon=0 ixoff=0");
    QTest::newRow("custom") << SerialSettings::Flow::Custom
                            << QByteArray("rtscts=0 ixon=0 ixoff=0");
}

void TstSerialLink::flowModes() {
    QFETCH(SerialSettings::Flow, flow);
    QFETCH(QByteArray, expected);

    // Leave the opposite handshake on the device: open() must set each flag.
    for (const QByteArray &field : expected.split(' ')) {
        const QList<QByteArray> nameValue = field.split('=');
        const QByteArray name = nameValue.at(0) == "rtscts" ? "crtscts" : nameValue.at(0);
        const char *opposite = nameValue.at(1) == "1" ? " 0" : " 1";
        QVERIFY(m_sim.command(QString::fromLatin1("lineflag " + name + opposite)));
    }

    ComSerie port;
    useSimulator(port);
    port.setBaudRate(9600);
    port.setDataBits(8);
    port.setFlowControl(flow);
    QVERIFY2(port.open(), qPrintable(port.errorString()));
    const QByteArray line = m_sim.lineSettings();
    QVERIFY2(hasFields(line, expected), line.constData());

    // Two full polls of different registers, as consecutive steps make them.
    QByteArray reply = exchange(port, kRequestReg1);
    QCOMPARE(chars(reply, 2, 4), QByteArray("0103"));
    QCOMPARE(replyValue(reply), 0x2A);
    reply = exchange(port, kRequestReg6);
    QCOMPARE(chars(reply, 2, 4), QByteArray("0103"));
    QCOMPARE(replyValue(reply), 200);
    QCOMPARE(m_sim.frames().size(), 2);
    QCOMPARE(m_sim.frames().at(0).text, kRequestReg1.chopped(2));
    QCOMPARE(m_sim.frames().at(1).text, kRequestReg6.chopped(2));
}

void TstSerialLink::parityKindLeftOnTheDevice_data() {
    QTest::addColumn<QSerialPort::Parity>("parity");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("even") << QSerialPort::EvenParity << QByteArray("parodd=0 cmspar=0");
    QTest::newRow("odd") << QSerialPort::OddParity << QByteArray("parodd=1 cmspar=0");
}

// Another program (or a run that was killed) left mark/space parity on the
// device; even and odd must still be even and odd, not space and mark.
void TstSerialLink::parityKindLeftOnTheDevice() {
    QFETCH(QSerialPort::Parity, parity);
    QFETCH(QByteArray, expected);

    QVERIFY(m_sim.command(QStringLiteral("lineflag cmspar 1")));
    ComSerie port;
    useSimulator(port);
    port.setParity(parity);
    QVERIFY2(port.open(), qPrintable(port.errorString()));
    const QByteArray line = m_sim.lineSettings();
    // QSerialPort sets CMSPAR for mark and space but never clears it for even
    // and odd: ComSerie clears it after opening.
    QVERIFY2(hasFields(line, expected), line.constData());
}

void TstSerialLink::notificationsComeInsideOpenAndClose() {
    ComSerie port;
    useSimulator(port);
    NotificationLog log(port);

    QVERIFY(!port.connected());
    port.close(); // closed: nothing to close, nothing said
    QVERIFY(log.events.isEmpty());

    QVERIFY2(port.open(), qPrintable(port.errorString()));
    QCOMPARE(log.events, QStringList{"open+"}); // before open() returned, port already up
    QVERIFY(port.connected());

    // Opening an open port fails and says nothing.
    QVERIFY(!port.open());
    QVERIFY(!port.errorString().isEmpty());
    QCOMPARE(log.events, QStringList{"open+"});
    QVERIFY(port.connected());

    port.close();
    QCOMPARE(log.events, (QStringList{"open+", "close-"}));
    QVERIFY(!port.connected());
    port.close();
    QCOMPARE(log.events.size(), 2);

    // Reading or writing a closed port fails instead of pretending.
    QByteArray text;
    QVERIFY(!port.readText(text));
    QVERIFY(!port.writeText(kRequestReg1));

    // The port opens again after a close, and still talks.
    QVERIFY2(port.open(), qPrintable(port.errorString()));
    QCOMPARE(log.events.size(), 3);
    QCOMPARE(replyValue(exchange(port, kRequestReg1)), 0x2A);
}

void TstSerialLink::missingDeviceFailsWithoutNotifications() {
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("ttyNOEXISTE"));
    ComSerie port;
    port.setDeviceResolver([missing](const QString &) { return missing; });
    NotificationLog log(port);

    QVERIFY(!port.open());
    QVERIFY(!port.connected());
    QVERIFY(log.events.isEmpty());
    QVERIFY2(port.errorString().contains(missing), qPrintable(port.errorString()));
    QVERIFY2(port.errorString().contains(QStringLiteral("no existe el dispositivo")),
             qPrintable(port.errorString()));
    port.close();
    QVERIFY(log.events.isEmpty());
}

void TstSerialLink::secondPortOnSameDevice() {
    ComSerie first;
    ComSerie second;
    useSimulator(first);
    useSimulator(second);
    NotificationLog secondLog(second);

    QVERIFY2(first.open(), qPrintable(first.errorString()));
    // QSerialPort takes a lock file for the device: a second holder is refused
    // with a clear text and no notification.
    QVERIFY(!second.open());
    QVERIFY(!second.connected());
    QVERIFY(secondLog.events.isEmpty());
    QVERIFY2(second.errorString().contains(m_sim.devicePath()), qPrintable(second.errorString()));
    QVERIFY2(second.errorString().contains(QStringLiteral("ocupado")),
             qPrintable(second.errorString()));
    // The first holder is unaffected.
    QCOMPARE(replyValue(exchange(first, kRequestReg1)), 0x2A);

    first.close();
    QVERIFY2(second.open(), qPrintable(second.errorString()));
    QCOMPARE(replyValue(exchange(second, kRequestReg2)), 0x81);
}

void TstSerialLink::repliesWaitInTheInputUntilRead() {
    ComSerie port;
    useSimulator(port);
    QVERIFY2(port.open(), qPrintable(port.errorString()));

    // Nothing has arrived: the read comes back at once, empty, and succeeds.
    QByteArray text;
    QVERIFY(port.readText(text));
    QVERIFY(text.isEmpty());

    // A command pulse whose replies nobody reads, then a poll request: the
    // next read gets the command replies first, then the poll reply.
    QVERIFY(port.writeText(kAllOff));
    QVERIFY(port.writeText(kOutput5));
    QVERIFY(port.writeText(kAllOff));
    QVERIFY(port.writeText(kRequestReg1));
    QVERIFY(m_sim.waitForFrames(4, 2000));
    QVERIFY(m_sim.waitForOutputs(2, 2000));
    QCOMPARE(m_sim.outputs(), (QList<QByteArray>{"10", "00"}));
    QTest::qWait(50);

    QByteArray all;
    QVERIFY(port.readText(text, 10)); // at most the characters asked for
    QVERIFY(text.size() <= 10);
    all += text;
    QDeadlineTimer deadline(2000);
    while (all.count("\r\n") < 4 && !deadline.hasExpired()) {
        QVERIFY(port.readText(text));
        all += text;
        QTest::qWait(10);
    }
    const QList<QByteArray> replies = all.split('\n');
    QCOMPARE(replies.size(), 5); // four lines and the empty tail
    for (int i = 0; i < 3; ++i)
        QCOMPARE(chars(replies.at(i), 2, 4), QByteArray("0110"));
    QCOMPARE(chars(replies.at(3), 2, 4), QByteArray("0103"));
    QCOMPARE(replyValue(replies.at(3)), 0x2A);

    // Read means removed: nothing is left.
    QVERIFY(port.readText(text));
    QVERIFY(text.isEmpty());
}

void TstSerialLink::droppedLineFailsReadAndWrite() {
    ComSerie port;
    useSimulator(port);
    NotificationLog log(port);
    QVERIFY2(port.open(), qPrintable(port.errorString()));
    QCOMPARE(replyValue(exchange(port, kRequestReg1)), 0x2A);

    QVERIFY(m_sim.command(QStringLiteral("close")));
    QTest::qWait(50);

    QByteArray text;
    QVERIFY(!port.readText(text));
    QVERIFY(!port.errorString().isEmpty());
    QVERIFY(!port.writeText(kRequestReg1));
    QVERIFY(!port.errorString().isEmpty());

    // The caller decides what to do; closing still says so once.
    port.close();
    QCOMPARE(log.events, (QStringList{"open+", "close-"}));
}

QTEST_MAIN(TstSerialLink)
#include "tst_serial_link.moc"
