#include "tests/fault/FaultRig.h"

#include "app/TFMain.h"
#include "common/MessageBoxes.h"
#include "log/PeriodicLogger.h"
#include "log/TFDM.h"
#include "notify/Notices.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QThread>
#include <cstdio>

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

namespace Fault {

namespace {

QString fifoPathIn(const TestSupport::ExeDir &dir) {
    return dir.file(QStringLiteral("korvane-sim.ctl"));
}

// The station's own settings: the simulator on COM1, every lamp and panel
// shown, a row a second (the interval is set after start-up), and, for the
// mail faults, notice 2 and the alarm on input 16.
QList<QPair<QString, QList<QPair<QString, QString>>>> defaultKeys(const Definition &f,
                                                                  const QString &link) {
    QList<QPair<QString, QString>> com = {{"DataBits", "3"},
                                          {"StopBits", "0"},
                                          {"FlowControl", "2"},
                                          {"DB", f.logging ? "Si" : "No"},
                                          {"RecordTime", "0"}};
    QList<QPair<QString, QString>> icons, panels;
    for (int n = 1; n <= 16; ++n)
        icons.append({QStringLiteral("Ico%1").arg(n), QStringLiteral("Si")});
    for (int p = 1; p <= 4; ++p)
        panels.append({QStringLiteral("Panel%1").arg(p), QStringLiteral("Si")});
    QList<QPair<QString, QList<QPair<QString, QString>>>> keys = {
        {"Comunicacion", com},
        {"Puertos", {{"COM1", link}}},
        {"Iconos", icons},
        {"Paneles", panels},
    };
    if (f.mail)
        keys.append({"Alarmas",
                     {{"Alarma1", "1"},
                      {"ServerSMTP", "127.0.0.1"},
                      {"PuertoSMTP", "0"},
                      {"Email", "estacion@planta.test"},
                      {"UsuarioMail", "user"},
                      {"ClaveMail", "secret"},
                      {"EmailDestino", "guardia@planta.test"},
                      {"ReEnvio", "0"},
                      {"HabilitaMail2", "1"},
                      {"Asunto2", "Entrada 16"},
                      {"Mensaje2", "La entrada 16 esta activa"}}});
    return keys;
}

} // namespace

Rig::Rig(const Definition &fault) : m_fault(fault) {
    m_keys = defaultKeys(fault, linkPath());
    // A question would never be answered Yes: no disconnect, no quit.
    m_boxes.setDefaultYesNo(MessageBoxes::Answer::No);
}

Rig::~Rig() {
    m_probe.stop();
    m_changer.stop();
    m_window.reset();
    m_fdm.reset();
    if (m_fault.cleanup)
        m_fault.cleanup(*this);
    stopHelper();
    if (m_fifo >= 0)
        ::close(m_fifo);
}

void Rig::setKey(const QString &section, const QString &key, const QString &value) {
    for (auto &s : m_keys) {
        if (s.first != section)
            continue;
        for (auto &k : s.second) {
            if (k.first == key) {
                k.second = value;
                return;
            }
        }
        s.second.append({key, value});
        return;
    }
    m_keys.append({section, {{key, value}}});
}

QByteArray Rig::stationConfig() const {
    QByteArray ini = configPrefix;
    for (const auto &s : m_keys) {
        ini += '[' + s.first.toUtf8() + "]\n";
        for (const auto &k : s.second)
            ini += k.first.toUtf8() + '=' + k.second.toUtf8() + '\n';
    }
    return ini;
}

bool Rig::prepare(QString &error) {
    QString analog;
    for (int v : kAnalog)
        analog += (analog.isEmpty() ? "" : ",") + QString::number(v);
    if (!sim.start({QStringLiteral("--link"), linkPath(), QStringLiteral("--control"),
                    fifoPathIn(dir), QStringLiteral("--analog"), analog},
                   &error))
        return false;
    // The control pipe, held open for reading and writing: commands never
    // wait for the simulator, and a restarted simulator reads the same pipe.
    for (int i = 0; i < 200 && m_fifo < 0; ++i) {
        m_fifo = ::open(QFile::encodeName(fifoPathIn(dir)).constData(), O_RDWR | O_NONBLOCK);
        if (m_fifo < 0)
            QThread::msleep(10);
    }
    if (m_fifo < 0) {
        error = QStringLiteral("no control pipe");
        return false;
    }
    if (m_fault.mail) {
        sink = std::make_unique<TestSupport::SmtpSink>(QStringList{"--auth", "user:secret"});
        if (sink->port() == 0) {
            error = QStringLiteral("the SMTP server did not start");
            return false;
        }
        smtpPort = sink->portText();
    }
    if (m_fault.before)
        m_fault.before(*this);
    if (m_fault.mail) {
        setKey("Alarmas", "PuertoSMTP", smtpPort);
        setKey("Alarmas", "ClaveMail", smtpPassword);
    }
    dir.writeConfig(configWhole ? *configWhole : stationConfig());
    return true;
}

void Rig::simulator(const QString &command) {
    const QByteArray line = command.toUtf8() + '\n';
    if (m_fifo >= 0 && ::write(m_fifo, line.constData(), size_t(line.size())) < 0)
        note += QStringLiteral(" [control pipe full]");
}

bool Rig::restartSimulator() {
    QString analog;
    for (int v : kAnalog)
        analog += (analog.isEmpty() ? "" : ",") + QString::number(v);
    return sim.start({QStringLiteral("--link"), linkPath(), QStringLiteral("--control"),
                      fifoPathIn(dir), QStringLiteral("--analog"), analog});
}

bool Rig::startHelper(const QString &script, const QStringList &args, bool waitForPort) {
    helper = std::make_unique<QProcess>();
    helper->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    helper->start(QStringLiteral("/usr/bin/python3"),
                  QStringList{TestSupport::sourceDir() + "/tests/fault/" + script} + args);
    if (!helper->waitForStarted(5000))
        return false;
    QByteArray out;
    while (helper->waitForReadyRead(10000)) {
        out += helper->readAllStandardOutput();
        if (waitForPort && out.contains("PORT ") && out.endsWith('\n')) {
            helperPort = out.mid(out.indexOf("PORT ") + 5).trimmed().toInt();
            return helperPort > 0;
        }
        if (!waitForPort && out.contains("READY"))
            return true;
    }
    return false;
}

void Rig::stopHelper() {
    if (!helper)
        return;
    helper->kill();
    helper->waitForFinished(3000);
    helper.reset();
}

int Rig::messagesSoFar() {
    return sink ? int(sink->events(QStringLiteral("message")).size()) : 0;
}

// ---- the run -----------------------------------------------------------------

void Rig::runStation() {
    QElapsedTimer startup;
    startup.start();
    m_fdm = std::make_unique<TFDM>();
    m_window = std::make_unique<TFMain>(dir.path(), *m_fdm);
    m_startupMs = startup.elapsed();
    if (m_window->refusedAsSecondCopy()) {
        note += QStringLiteral(" [refused as a second copy]");
        finish();
        return;
    }
    m_window->show();
    m_boxesAtStart = m_boxes.count();
    m_boxes.holdOpenUntilReleased();
    m_clock.start();

    // A row a second: the logger's own period is the settings' choice.
    IntervalTimer *timer = &m_window->TimerDB();
    if (timer->isActive())
        timer->setInterval(kStepMs);
    // Each tick is seen just before and just after the logger's own work.
    PeriodicLogger *logger = &m_window->logger();
    m_tickOrderKnown =
        QObject::disconnect(timer, &QTimer::timeout, logger, &PeriodicLogger::TimerDBTimer);
    if (m_tickOrderKnown) {
        connect(timer, &QTimer::timeout, this, &Rig::beforeTick);
        connect(timer, &QTimer::timeout, logger, &PeriodicLogger::TimerDBTimer);
    }
    connect(timer, &QTimer::timeout, this, &Rig::afterTick);
    if (m_fault.mail)
        m_window->notices().setResendIntervalOverrideMs(1500);

    m_probe.setTimerType(Qt::PreciseTimer);
    m_probe.setInterval(10);
    connect(&m_probe, &QTimer::timeout, this, [this] {
        const qint64 t = now();
        if (m_lastProbe >= 0 && t - m_lastProbe > m_longestGap) {
            m_longestGap = t - m_lastProbe;
            m_longestGapAt = t;
        }
        m_lastProbe = t;
    });
    m_probe.start();

    m_changer.setInterval(kStepMs);
    connect(&m_changer, &QTimer::timeout, this, &Rig::changeInputs);
    changeInputs();
    m_changer.start();

    schedule();
    // The operator's click, on its own: a box it shows stays open.
    if (m_fault.connect)
        QTimer::singleShot(0, this, [this] { m_window->Conectar1Click(); });
}

void Rig::schedule() {
    const int end = m_fault.startMs + m_fault.durationMs;
    QTimer::singleShot(m_fault.startMs, this, [this] {
        if (m_fault.mail) {
            m_input16 = true; // notice 2 and the alarm
            changeInputs();
        }
        if (m_fault.begin)
            m_fault.begin(*this);
    });
    QTimer::singleShot(end, this, [this] {
        if (m_fault.end)
            m_fault.end(*this);
        m_faultEndAt = now();
        m_messagesAtFaultEnd = messagesSoFar();
        // Inputs change two more times, then hold still, so that the last
        // state can be checked on the screen and in the log.
        QTimer::singleShot(2 * kStepMs + 200, this, [this] { m_frozen = true; });
        QTimer::singleShot(5 * kStepMs, this, [this] { finish(); });
    });
}

std::array<int, 6> Rig::truth() const {
    return {m_step & 0x7F, (m_input16 ? 0x80 : 0) | (m_step * 5 & 0x3F),
            kAnalog[0],    kAnalog[1],
            kAnalog[2],    kAnalog[3]};
}

void Rig::changeInputs() {
    if (m_frozen)
        return;
    ++m_step;
    const auto t = truth();
    simulator(QStringLiteral("inputs %1").arg(t[1] << 8 | t[0], 4, 16, QChar(u'0')));
}

std::array<int, 6> Rig::image() const {
    std::array<int, 6> regs{};
    for (int n = 1; n <= 6; ++n)
        regs[n - 1] = m_window->poll().image().reg(n);
    return regs;
}

bool Rig::valid(const std::array<qint64, 6> &w) const {
    // Inputs 1..7 and 9..14 change; 8 and 15 never come on; 16 only in the
    // mail faults; the analog values are constants or not read yet (0).
    if (w[0] < 0 || w[0] > 0x7F || w[1] < 0 || w[1] > 0xFF || (w[1] & 0x40) ||
        ((w[1] & 0x80) && !m_fault.mail))
        return false;
    for (int i = 0; i < 4; ++i)
        if (w[2 + i] != kAnalog[i] && w[2 + i] != 0)
            return false;
    return true;
}

// The most recent row, read on a connection of the rig's own (never the
// station's); not valid when the file cannot be read at the moment.
Rig::LastRow Rig::lastRow() const {
    LastRow row;
    if (keepOffDatabase)
        return row;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(dbPath()).constData(), &db, SQLITE_OPEN_READONLY,
                        nullptr) == SQLITE_OK) {
        sqlite3_stmt *st = nullptr;
        if (sqlite3_prepare_v2(db,
                               "select rowid,Word1,Word2,Word3,Word4,Word5,Word6 from Lectura "
                               "order by rowid desc limit 1",
                               -1, &st, nullptr) == SQLITE_OK) {
            const int rc = sqlite3_step(st);
            if (rc == SQLITE_ROW) {
                row.valid = true;
                row.rowid = sqlite3_column_int64(st, 0);
                for (int i = 0; i < 6; ++i)
                    row.words[i] = sqlite3_column_int64(st, i + 1);
            } else if (rc == SQLITE_DONE) {
                row.valid = true; // an empty table
            }
        }
        sqlite3_finalize(st);
    }
    sqlite3_close_v2(db);
    return row;
}

void Rig::beforeTick() {
    m_imageAtTick = image();
    m_beforeTick = lastRow();
    m_tickStartedAt = now();
}

void Rig::afterTick() {
    if (!m_tickOrderKnown)
        m_imageAtTick = image();
    else
        m_longestTick = std::max(m_longestTick, now() - m_tickStartedAt);
    const LastRow after = lastRow();
    const LastRow before = m_tickOrderKnown && m_beforeTick.valid ? m_beforeTick : m_lastKnown;
    bool sameAsImage = after.valid;
    bool beforeSame = before.valid && before.rowid > 0;
    for (int i = 0; i < 6; ++i) {
        sameAsImage = sameAsImage && after.words[i] == m_imageAtTick[i];
        beforeSame = beforeSame && before.words[i] == m_imageAtTick[i];
    }
    Tick tick;
    tick.t = now();
    tick.changed = !beforeSame;
    tick.stored = sameAsImage && (!before.valid || after.rowid != before.rowid);
    if (after.valid)
        m_lastKnown = after;
    m_ticks.append(tick);
}

void Rig::finish() {
    m_changer.stop();
    QJsonObject r;
    r["fault"] = m_fault.name;
    r["alive"] = true; // this runs on the station's own event loop
    r["startupMs"] = m_startupMs;
    r["boxes"] = m_boxes.count();
    r["boxesAtStart"] = m_boxesAtStart;
    r["boxesOpenAtEnd"] = m_boxes.openNow();
    if (m_boxes.count() > 0)
        r["firstBox"] = m_boxes.boxes().first().text.left(90).replace(u'\n', u' ');

    // Ticks: every tick with changed data after the fault (one period of
    // grace) must have stored its row, and no tick may be missing.
    const qint64 after = (m_faultEndAt < 0 ? now() : m_faultEndAt) + kStepMs + 200;
    int changed = 0, stored = 0, lost = 0, ticksAfter = 0;
    for (const Tick &t : m_ticks) {
        changed += t.changed ? 1 : 0;
        stored += t.changed && t.stored ? 1 : 0;
        if (t.t > after) {
            ++ticksAfter;
            lost += t.changed && !t.stored ? 1 : 0;
        }
    }
    const bool logging = m_window && m_window->settings().loggingOn();
    if (logging) {
        const int expected = int((now() - after) / kStepMs) - 1;
        if (ticksAfter < expected)
            lost += expected - ticksAfter;
    }
    r["ticksChanged"] = changed;
    r["rowsStored"] = stored;
    r["lost"] = lost;

    int wrong = 0;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(dbPath()).constData(), &db, SQLITE_OPEN_READONLY,
                        nullptr) == SQLITE_OK) {
        sqlite3_stmt *st = nullptr;
        if (sqlite3_prepare_v2(db, "select Word1,Word2,Word3,Word4,Word5,Word6 from Lectura", -1,
                               &st, nullptr) == SQLITE_OK) {
            while (sqlite3_step(st) == SQLITE_ROW) {
                std::array<qint64, 6> w{};
                for (int i = 0; i < 6; ++i)
                    w[i] = sqlite3_column_int64(st, i);
                wrong += valid(w) ? 0 : 1;
            }
        }
        sqlite3_finalize(st);
    }
    sqlite3_close_v2(db);
    r["wrongRows"] = wrong;
    r["longestGapMs"] = m_longestGap;
    r["longestGapAtMs"] = m_longestGapAt;
    r["longestTickMs"] = m_longestTick;

    // Recovered: back to normal by itself, every box still open.
    QStringList why;
    if (m_window && m_fault.connect) {
        const auto t = truth();
        if (!m_window->Com_Serie.connected())
            why << QStringLiteral("not connected");
        else if (image() != t) {
            QStringList have, want;
            for (int i = 0; i < 6; ++i) {
                have << QString::number(image()[i], 16);
                want << QString::number(t[i], 16);
            }
            why << QStringLiteral("registers not current: %1 instead of %2")
                       .arg(have.join(u' '), want.join(u' '));
        }
        bool display = true;
        for (int n = 1; n <= 16; ++n) {
            const int bit = n <= 8 ? (t[0] >> (n - 1)) & 1 : (t[1] >> (n - 9)) & 1;
            display = display && m_window->display().inputs().input(n) == bit;
        }
        if (!display)
            why << QStringLiteral("screen not current");
        if (logging) {
            const LastRow last = lastRow();
            bool same = last.valid && last.rowid > 0;
            for (int i = 0; i < 6; ++i)
                same = same && last.words[i] == t[i];
            if (!same)
                why << QStringLiteral("last state not logged");
        }
    }
    if (m_fault.mail && messagesSoFar() <= m_messagesAtFaultEnd)
        why << QStringLiteral("no mail after the fault");
    QString extra;
    if (m_window && m_fault.recovered && !m_fault.recovered(*this, extra))
        why << extra;
    if (logging && m_fdm && m_fdm->Conexion && !why.isEmpty())
        note += QStringLiteral(" [station's connection: %1, last error \"%2\"]")
                    .arg(sqlite3_db_readonly(m_fdm->Conexion, "main") == 1
                             ? QStringLiteral("read-only")
                             : QStringLiteral("read-write"),
                         m_fdm->lastError());
    if (logging && !why.isEmpty()) {
        QStringList files;
        for (const QFileInfo &f : QDir(dir.file(QStringLiteral("db"))).entryInfoList(QDir::Files))
            files << QStringLiteral("%1 %2")
                         .arg(f.fileName())
                         .arg(int(f.permissions() & (QFile::ReadOwner | QFile::WriteOwner)), 0, 16);
        note += QStringLiteral(" [db/: %1]").arg(files.join(QStringLiteral(", ")));
    }
    r["recovered"] = why.isEmpty();
    r["why"] = why.join(QStringLiteral(", "));
    r["note"] = note.trimmed();

    std::printf("RESULT %s\n", QJsonDocument(r).toJson(QJsonDocument::Compact).constData());
    std::fflush(stdout);

    // Every box held open closes now, and with them the run ends.
    m_boxes.answerAtOnce();
    m_boxes.release();
    QCoreApplication::exit(0);
}

} // namespace Fault
