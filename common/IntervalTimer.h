#pragma once

#include <QTimer>

// A repeating timer whose start() leaves a running timer alone: the poll and
// display chains start the next timer before stopping their own, and a start
// that arrives while a timer already runs must not push its tick back.
class IntervalTimer : public QTimer {
    Q_OBJECT
public:
    explicit IntervalTimer(const QString &name, int intervalMs, QObject *parent = nullptr)
        : QTimer(parent) {
        setObjectName(name);
        setInterval(intervalMs);
        setTimerType(Qt::PreciseTimer);
    }

    void start() {
        if (!isActive())
            QTimer::start();
    }
    void setEnabled(bool on) {
        if (on)
            start();
        else
            stop();
    }
};
