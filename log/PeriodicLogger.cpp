#include "log/PeriodicLogger.h"

#include "app/RuntimeSettings.h"
#include "common/AppError.h"
#include "common/AppInfo.h"
#include "common/MessageBoxes.h"
#include "device/DeviceImage.h"
#include "log/LogStatements.h"
#include "log/TFDM.h"
#include "view/InputState.h"

#include <algorithm>
#include <exception>

PeriodicLogger::PeriodicLogger(TFDM &fdm, const RuntimeSettings &settings, const DeviceImage &image,
                               std::function<bool()> portConnected, QWidget *boxParent,
                               QObject *parent)
    : QObject(parent), TimerDB(new IntervalTimer(QStringLiteral("TimerDB"), 10000, this)),
      m_fdm(fdm), m_settings(settings), m_image(image), m_portConnected(std::move(portConnected)),
      m_boxParent(boxParent) {
    connect(TimerDB, &QTimer::timeout, this, &PeriodicLogger::TimerDBTimer);
}

QString PeriodicLogger::failureText() {
    return QStringLiteral("Falla conexion con base de datos!");
}

void PeriodicLogger::arm(bool on, int seconds) {
    if (!on) {
        TimerDB->stop();
        return;
    }
    // No period below one second: a zero interval would tick without pause.
    const int ms = std::max(RuntimeSettings::recordIntervalMs(seconds), 1000);
    if (TimerDB->interval() != ms)
        TimerDB->setInterval(ms);
    TimerDB->start();
}

namespace {
QString textOf(const std::exception &e) {
    if (const auto *app = dynamic_cast<const AppError *>(&e))
        return app->text();
    return QString::fromLocal8Bit(e.what());
}
} // namespace

void PeriodicLogger::TimerDBTimer() {
    // The connection opens, or reopens on a file that was replaced, even
    // while the port is closed, so that commands can be recorded.
    try {
        m_fdm.ensureOpen(m_settings.databasePath());
    } catch (const ReadOnlyDatabase &) {
        // The file is there but takes no rows: a failure to store.
        failed(Outage::Store, QStringLiteral("Error"), failureText());
        return;
    } catch (const std::exception &e) {
        // The database library's own words, in the standard error box.
        failed(Outage::Open, AppInfo::title(), textOf(e));
        return;
    }
    if (!m_portConnected || !m_portConnected()) {
        // An open that works again ends an outage of the open; whether the
        // file takes rows again is only known at the next store.
        if (m_outage == Outage::Open)
            recovered();
        return;
    }
    try {
        const auto stored = m_fdm.lastLectura();
        if (LogStatements::registersChanged(m_image, stored)) {
            // The bits come from the same registers as the words: a row
            // never pairs an input with a register of another moment.
            m_fdm.SQLEntrada.run(
                LogStatements::lecturaInsert(InputState::fromImage(m_image), m_image));
        }
    } catch (const std::exception &) {
        failed(Outage::Store, QStringLiteral("Error"), failureText());
        return;
    }
    recovered();
}

void PeriodicLogger::failed(Outage kind, const QString &title, const QString &text) {
    const bool newOutage = m_outage == Outage::None;
    m_outage = kind;
    if (!newOutage)
        return; // told once per outage; the next tick tries again
    emit savingChanged(false);
    // After the tick: the timer keeps ticking while the box waits for a click.
    MessageBoxes::post(m_boxParent, MessageBoxes::Kind::Error, title, text);
}

void PeriodicLogger::recovered() {
    if (m_outage == Outage::None)
        return;
    m_outage = Outage::None;
    emit savingChanged(true);
}
