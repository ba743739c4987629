#pragma once

#include "notify/AlarmPlayer.h"

#include <QObject>
#include <QString>
#include <functional>

class QWidget;
struct InputState;
struct RuntimeSettings;

// Drives the alarm player from the display pass and loops the sound: each
// successful end of the file plays it again until a pass sees input 16 off.
class AlarmControl : public QObject {
    Q_OBJECT
public:
    AlarmControl(AlarmPlayer &player, const RuntimeSettings &settings, QWidget *boxParent,
                 QObject *parent = nullptr);

    // With the alarm enabled (exactly 1): input 16 on plays, off stops, at every
    // pass. Otherwise the player is left alone. Never throws: a failing player
    // is reported in one error box until it works again, not at every pass.
    void evaluate(const InputState &inputs);

public slots:
    void PlayAlarma1Notify(AlarmPlayer::Result result);

private:
    void run(const std::function<void()> &operation);

    AlarmPlayer &m_player;
    const RuntimeSettings &m_settings;
    QWidget *m_boxParent;
    QString m_reported;
};

// The start-up open: enables the player, gives it the file and opens it.
// Throws AppError when the file cannot be opened; the caller shows it.
void openAlarmAtStartup(AlarmPlayer &player, const QString &path);
inline void openAtStartup(AlarmPlayer &player, const QString &path) {
    openAlarmAtStartup(player, path);
}
