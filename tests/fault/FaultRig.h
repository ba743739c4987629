#pragma once

#include "tests/support/Simulator.h"
#include "tests/support/SmtpSink.h"
#include "tests/support/TestSupport.h"

#include <QElapsedTimer>
#include <QJsonObject>
#include <QObject>
#include <QPair>
#include <QProcess>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>
#include <optional>

class TFDM;
class TFMain;

namespace Fault {

class Rig;

// One fault: what is broken before the station starts, when the fault begins
// and when it ends (milliseconds after the station's window is up), and what
// "recovered" needs beyond the common checks.
struct Definition {
    QString name;
    int startMs = 3000;    // 0: the fault is there from start-up
    int durationMs = 4000; // the fault ends at startMs + durationMs
    bool logging = true;   // DB=Si, a row a second
    bool connect = true;   // the operator connects right after start-up
    bool mail = false;     // notice 2 and the alarm on input 16
    int childTimeoutMs = 90000;
    std::function<void(Rig &)> before;  // before the station starts (files, servers)
    std::function<void(Rig &)> begin;   // when the fault starts
    std::function<void(Rig &)> end;     // when the fault is over
    std::function<void(Rig &)> cleanup; // after the station is gone
    // Extra condition for "recovered", with a note saying why not.
    std::function<bool(Rig &, QString &)> recovered;
};

const QList<Definition> &all();

// The station under a fault, in this process: the real main window against
// the simulated controller, a real SQLite file and, when asked, real SMTP
// servers on 127.0.0.1.
class Rig : public QObject {
    Q_OBJECT
public:
    explicit Rig(const Definition &fault);
    ~Rig() override;

    // Starts the simulator and whatever the fault needs, then the station;
    // ends the event loop with a result line on standard output.
    bool prepare(QString &error);
    void runStation();

    // What fault definitions use.
    TestSupport::ExeDir dir;
    TestSupport::Simulator sim;
    std::unique_ptr<TestSupport::SmtpSink> sink; // the healthy mail server
    std::unique_ptr<QProcess> helper;            // a stalling server, a lock holder
    int helperPort = 0;
    // The station's Config.ini: its keys, with what a fault changes, and
    // bytes a fault puts before them; or a whole file of the fault's own.
    void setKey(const QString &section, const QString &key, const QString &value);
    QByteArray configPrefix;
    std::optional<QByteArray> configWhole;
    QString smtpPort; // the mail server the station starts with
    QString smtpPassword = QStringLiteral("secret");
    QString note; // said on the result line
    // While set, the rig does not open the database itself (a connection of
    // its own would make the -shm file the station then finds).
    bool keepOffDatabase = false;

    QString dbPath() const { return dir.file(QStringLiteral("db/Korvane.db3")); }
    void simulator(const QString &command); // no waiting for the answer
    bool restartSimulator();
    TFMain &window() { return *m_window; }
    bool startHelper(const QString &script, const QStringList &args, bool waitForPort);
    void stopHelper();
    int messagesSoFar();
    QString linkPath() const { return dir.file(QStringLiteral("ttyKORVANE")); }

private:
    struct Tick {
        qint64 t = 0;
        bool changed = false;
        bool stored = false;
    };
    struct LastRow {
        bool valid = false;
        qint64 rowid = 0;
        std::array<qint64, 6> words{};
    };

    QByteArray stationConfig() const;
    QList<QPair<QString, QList<QPair<QString, QString>>>> m_keys;
    void schedule();
    void changeInputs();
    void beforeTick();
    void afterTick();
    LastRow lastRow() const;
    std::array<int, 6> image() const;
    std::array<int, 6> truth() const;
    bool valid(const std::array<qint64, 6> &words) const;
    void finish();
    qint64 now() const { return m_clock.elapsed(); }

    const Definition &m_fault;
    std::unique_ptr<TFDM> m_fdm;
    std::unique_ptr<TFMain> m_window;
    QElapsedTimer m_clock; // zero when the window is up
    qint64 m_startupMs = 0;
    int m_fifo = -1;

    // Responsiveness: a 10 ms timer and the longest interval between its ticks.
    QTimer m_probe;
    qint64 m_lastProbe = -1;
    qint64 m_longestGap = 0;
    qint64 m_longestGapAt = 0;

    // The controller's inputs: changed every second until the freeze.
    QTimer m_changer;
    int m_step = 0;
    bool m_frozen = false;
    bool m_input16 = false;

    // Logger ticks as they happened.
    QList<Tick> m_ticks;
    LastRow m_beforeTick;
    std::array<int, 6> m_imageAtTick{};
    qint64 m_tickStartedAt = 0;
    qint64 m_longestTick = 0;
    LastRow m_lastKnown;

    // Message boxes: those of the start-up answered at once (an operator is
    // there when the program starts), every later one a real modal box held
    // open until the run is over.
    TestSupport::BoxRecorder m_boxes;
    int m_boxesAtStart = 0;

    int m_messagesAtFaultEnd = 0;
    qint64 m_faultEndAt = -1;
    bool m_tickOrderKnown = true;
};

// The station's analog values: far from every input byte, so that a value
// read into the wrong register shows.
constexpr std::array<int, 4> kAnalog = {0xC1, 0xD2, 0xE3, 0xF4};
constexpr int kStepMs = 1000;

} // namespace Fault
