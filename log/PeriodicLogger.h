#pragma once

#include "common/IntervalTimer.h"

#include <QObject>
#include <functional>

class QWidget;
class TFDM;
struct RuntimeSettings;
struct DeviceImage;
struct InputState;

// Stores a Lectura row at each tick of TimerDB when the registers differ
// from the most recently stored row. Runs from start-up, whether the serial
// port is connected or not; a failed store turns it off.
class PeriodicLogger : public QObject {
    Q_OBJECT
public:
    PeriodicLogger(TFDM &fdm, const RuntimeSettings &settings, const DeviceImage &image,
                   const InputState &inputs, std::function<bool()> portConnected,
                   QWidget *boxParent, QObject *parent = nullptr);

    // Disabled at creation. Start-up and the editor's save arm it.
    IntervalTimer *const TimerDB;

    // on: tick every `seconds` (an interval that is already running is left
    // alone, so re-arming with the same period does not push the tick back);
    // off: stop.
    void arm(bool on, int seconds);
    bool isArmed() const { return TimerDB->isActive(); }

public slots:
    void TimerDBTimer();

private:
    bool openConnection();

    TFDM &m_fdm;
    const RuntimeSettings &m_settings;
    const DeviceImage &m_image;
    const InputState &m_inputs;
    std::function<bool()> m_portConnected;
    QWidget *m_boxParent;
    // The database could not be opened and the operator was told so; stays
    // set until an open succeeds.
    bool m_openFailureShown = false;
};
