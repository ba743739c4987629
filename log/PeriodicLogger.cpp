#include "log/PeriodicLogger.h"

#include "app/RuntimeSettings.h"
#include "common/AppError.h"
#include "common/Guard.h"
#include "common/MessageBoxes.h"
#include "device/DeviceImage.h"
#include "log/LogStatements.h"
#include "log/TFDM.h"
#include "view/InputState.h"

#include <algorithm>
#include <exception>

PeriodicLogger::PeriodicLogger(TFDM &fdm, const RuntimeSettings &settings, const DeviceImage &image,
                               const InputState &inputs, std::function<bool()> portConnected,
                               QWidget *boxParent, QObject *parent)
    : QObject(parent), TimerDB(new IntervalTimer(QStringLiteral("TimerDB"), 10000, this)),
      m_fdm(fdm), m_settings(settings), m_image(image), m_inputs(inputs),
      m_portConnected(std::move(portConnected)), m_boxParent(boxParent) {
    connect(TimerDB, &QTimer::timeout, this, &PeriodicLogger::TimerDBTimer);
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

// Opening failures go to the standard error report, once per outage: the
// timer keeps running and retries at every tick without repeating the box.
bool PeriodicLogger::openConnection() {
    const QString path = m_settings.databasePath();
    if (!m_openFailureShown) {
        bool failed = false;
        const bool ok = guarded(m_boxParent, [&] {
            try {
                m_fdm.ensureOpen(path);
            } catch (...) {
                // Set before the box shows: ticks keep coming while it is open.
                m_openFailureShown = failed = true;
                throw;
            }
        });
        return ok && !failed;
    }
    try {
        m_fdm.ensureOpen(path);
    } catch (const std::exception &) {
        return false;
    }
    m_openFailureShown = false;
    return true;
}

void PeriodicLogger::TimerDBTimer() {
    if (!openConnection())
        return;
    if (!m_portConnected || !m_portConnected())
        return;
    try {
        if (!m_fdm.isOpen())
            return;
        const auto stored = m_fdm.lastLectura();
        if (!LogStatements::registersChanged(m_image, stored))
            return;
        m_fdm.SQLEntrada.run(LogStatements::lecturaInsert(m_inputs, m_image));
    } catch (const std::exception &) {
        // Stopped before the box: ticks that came while it is open would
        // fail again and stack boxes.
        TimerDB->stop();
        MessageBoxes::error(m_boxParent, QStringLiteral("Falla conexion con base de datos!"));
    }
}
