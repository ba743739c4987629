#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class QProcess;

namespace TestSupport {

// The simulated controller (tools/simulator/korvane_sim.py) as a child
// process: a pseudo-terminal that answers the poll and command frames. Its
// output is read as it arrives; every wait spins the event loop, so the
// timers of the code under test keep running meanwhile.
class Simulator {
public:
    struct Frame {
        double t;        // seconds on the monotonic clock, comparable with now()
        QByteArray text; // the line without CR LF
    };

    Simulator() = default;
    ~Simulator();
    Simulator(const Simulator &) = delete;
    Simulator &operator=(const Simulator &) = delete;

    // Starts the simulator and waits up to 5 s for its device path. What an
    // earlier run recorded is forgotten.
    bool start(const QStringList &extraArgs = {}, QString *error = nullptr);
    QString devicePath() const { return m_devicePath; }
    bool running() const;

    // Sends one control command ("in 16 1", "mode silent", ...) and waits
    // for its acknowledgement. False when it was refused or timed out.
    bool command(const QString &line, int timeoutMs = 2000);
    // The STATUS / LINE report of the simulator, empty on failure.
    QByteArray status(int timeoutMs = 2000);
    QByteArray lineSettings(int timeoutMs = 2000);

    QList<Frame> frames() const { return m_frames; }
    // Output words as two hex digits, one entry per change of the outputs.
    QList<QByteArray> outputs() const { return m_outputs; }
    bool waitForFrames(int count, int timeoutMs);
    bool waitForOutputs(int count, int timeoutMs);
    void clearFrames();
    void clearOutputs();

    void stop();

    // The clock of Frame::t (CLOCK_MONOTONIC).
    static double now();

private:
    bool waitUntil(const std::function<bool()> &done, int timeoutMs);
    QByteArray report(const QString &command, const QByteArray &prefix, int timeoutMs);
    void readOutput();
    void handleLine(const QByteArray &line);

    QProcess *m_process = nullptr;
    QByteArray m_pending;
    QString m_devicePath;
    QList<Frame> m_frames;
    QList<QByteArray> m_outputs;
    QList<QByteArray> m_answers; // ACK and ERR lines, in order
    QList<QByteArray> m_reports; // STATUS and LINE lines, in order
};

} // namespace TestSupport
