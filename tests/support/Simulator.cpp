#include "tests/support/Simulator.h"

#include <QDeadlineTimer>
#include <QDebug>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>
#include <chrono>

namespace TestSupport {

namespace {

QString scriptPath() {
    return QStringLiteral(KORVANE_SOURCE_DIR) + QStringLiteral("/tools/simulator/korvane_sim.py");
}

QByteArray normalised(const QString &line) {
    return line.simplified().toUtf8();
}

} // namespace

Simulator::~Simulator() {
    stop();
}

double Simulator::now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

bool Simulator::start(const QStringList &extraArgs, QString *error) {
    stop();
    m_frames.clear();
    m_outputs.clear();
    m_answers.clear();
    m_reports.clear();
    m_process = new QProcess;
    m_process->setProcessChannelMode(QProcess::SeparateChannels);
    QObject::connect(m_process, &QProcess::readyReadStandardOutput, m_process,
                     [this] { readOutput(); });
    QObject::connect(m_process, &QProcess::readyReadStandardError, m_process, [this] {
        const QByteArray text = m_process->readAllStandardError().trimmed();
        if (!text.isEmpty())
            qWarning().noquote() << "simulator:" << text;
    });
    m_process->start(QStringLiteral("/usr/bin/python3"),
                     QStringList{QStringLiteral("-u"), scriptPath()} + extraArgs);
    const bool ok = waitUntil([this] { return !m_devicePath.isEmpty() || !running(); }, 5000) &&
                    !m_devicePath.isEmpty();
    if (!ok) {
        if (error)
            *error = QStringLiteral("simulator did not start: %1 %2")
                         .arg(m_process->errorString(),
                              QString::fromLocal8Bit(m_process->readAllStandardError()));
        stop();
    }
    return ok;
}

bool Simulator::running() const {
    return m_process && m_process->state() != QProcess::NotRunning;
}

void Simulator::readOutput() {
    m_pending += m_process->readAllStandardOutput();
    qsizetype end;
    while ((end = m_pending.indexOf('\n')) >= 0) {
        handleLine(m_pending.left(end));
        m_pending.remove(0, end + 1);
    }
}

void Simulator::handleLine(const QByteArray &line) {
    const int space = line.indexOf(' ');
    const QByteArray kind = line.left(space);
    const QByteArray rest = space < 0 ? QByteArray() : line.mid(space + 1);
    if (kind == "RX" || kind == "OUT") {
        const int gap = rest.indexOf(' ');
        const double t = rest.left(gap).toDouble();
        const QByteArray text = gap < 0 ? QByteArray() : rest.mid(gap + 1);
        if (kind == "RX")
            m_frames.append(Frame{t, text});
        else
            m_outputs.append(text);
    } else if (kind == "PTY") {
        m_devicePath = QString::fromLocal8Bit(rest);
    } else if (kind == "ACK" || kind == "ERR") {
        m_answers.append(line);
    } else if (kind == "STATUS" || kind == "LINE") {
        m_reports.append(line);
    }
}

bool Simulator::waitUntil(const std::function<bool()> &done, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        // A real event loop (not sleep-and-poll) so that other timers fire
        // on time; new output or a short slice ends each round.
        QEventLoop loop;
        QTimer slice;
        slice.setSingleShot(true);
        QObject::connect(&slice, &QTimer::timeout, &loop, &QEventLoop::quit);
        if (m_process) {
            QObject::connect(m_process, &QProcess::readyReadStandardOutput, &loop,
                             &QEventLoop::quit);
            QObject::connect(m_process, &QProcess::finished, &loop, &QEventLoop::quit);
        }
        slice.start(int(qBound(qint64(0), deadline.remainingTime(), qint64(50))));
        loop.exec();
    }
    return true;
}

bool Simulator::command(const QString &line, int timeoutMs) {
    if (!running())
        return false;
    const QByteArray text = normalised(line);
    const qsizetype from = m_answers.size();
    m_process->write(text + '\n');
    bool accepted = false;
    const bool answered = waitUntil(
        [&] {
            for (qsizetype i = from; i < m_answers.size(); ++i) {
                const QByteArray &a = m_answers.at(i);
                if (a == "ACK " + text) {
                    accepted = true;
                    return true;
                }
                if (a.startsWith("ERR " + text + ':'))
                    return true;
            }
            return !running();
        },
        timeoutMs);
    if (answered && !accepted)
        qWarning().noquote() << "simulator refused or ended:" << text;
    return answered && accepted;
}

QByteArray Simulator::report(const QString &command, const QByteArray &prefix, int timeoutMs) {
    const qsizetype from = m_reports.size();
    if (!this->command(command, timeoutMs))
        return {};
    // The report is printed before the acknowledgement.
    for (qsizetype i = m_reports.size() - 1; i >= from; --i) {
        if (m_reports.at(i).startsWith(prefix))
            return m_reports.at(i);
    }
    return {};
}

QByteArray Simulator::status(int timeoutMs) {
    return report(QStringLiteral("status"), "STATUS ", timeoutMs);
}

QByteArray Simulator::lineSettings(int timeoutMs) {
    return report(QStringLiteral("line"), "LINE ", timeoutMs);
}

bool Simulator::waitForFrames(int count, int timeoutMs) {
    return waitUntil([&] { return m_frames.size() >= count; }, timeoutMs);
}

bool Simulator::waitForOutputs(int count, int timeoutMs) {
    return waitUntil([&] { return m_outputs.size() >= count; }, timeoutMs);
}

void Simulator::clearFrames() {
    m_frames.clear();
}

void Simulator::clearOutputs() {
    m_outputs.clear();
}

void Simulator::stop() {
    if (!m_process)
        return;
    if (m_process->state() != QProcess::NotRunning) {
        // SIGTERM lets the simulator remove its link; kill if it hangs.
        m_process->terminate();
        if (!m_process->waitForFinished(3000)) {
            m_process->kill();
            m_process->waitForFinished(1000);
        }
    }
    m_process->disconnect();
    delete m_process;
    m_process = nullptr;
    m_pending.clear();
    m_devicePath.clear();
}

} // namespace TestSupport
