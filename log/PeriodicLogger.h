#pragma once

#include "common/IntervalTimer.h"

#include <QObject>
#include <functional>

class QWidget;
class TFDM;
struct RuntimeSettings;
struct DeviceImage;

// Stores a Lectura row at each tick of TimerDB when the registers differ
// from the most recently stored row. Runs from start-up, whether the serial
// port is connected or not.
//
// A database that fails (missing, locked, read-only, full, damaged) never
// turns logging off: the operator is told once per outage, after the tick,
// and every tick tries again, so that the current snapshot is stored as soon
// as the database takes it.
class PeriodicLogger : public QObject {
    Q_OBJECT
public:
    PeriodicLogger(TFDM &fdm, const RuntimeSettings &settings, const DeviceImage &image,
                   std::function<bool()> portConnected, QWidget *boxParent,
                   QObject *parent = nullptr);

    // Disabled at creation. Start-up and the editor's save arm it.
    IntervalTimer *const TimerDB;

    // on: tick every `seconds` (an interval that is already running is left
    // alone, so re-arming with the same period does not push the tick back);
    // off: stop.
    void arm(bool on, int seconds);
    bool isArmed() const { return TimerDB->isActive(); }

    // True from a failed tick until a tick reaches the database again.
    bool failing() const { return m_outage != Outage::None; }

    static QString failureText();

signals:
    // The database stopped taking snapshots (saving false) or took one again.
    void savingChanged(bool saving);

public slots:
    void TimerDBTimer();

private:
    enum class Outage { None, Open, Store };
    void failed(Outage kind, const QString &title, const QString &text);
    void recovered();

    TFDM &m_fdm;
    const RuntimeSettings &m_settings;
    const DeviceImage &m_image;
    std::function<bool()> m_portConnected;
    QWidget *m_boxParent;
    Outage m_outage = Outage::None;
};
