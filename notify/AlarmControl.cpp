#include "notify/AlarmControl.h"

#include "app/RuntimeSettings.h"
#include "common/AppError.h"
#include "common/AppInfo.h"
#include "common/MessageBoxes.h"
#include "view/InputState.h"

AlarmControl::AlarmControl(AlarmPlayer &player, const RuntimeSettings &settings, QWidget *boxParent,
                           QObject *parent)
    : QObject(parent), m_player(player), m_settings(settings), m_boxParent(boxParent) {
    connect(&m_player, &AlarmPlayer::completionNotice, this, &AlarmControl::PlayAlarma1Notify);
}

void AlarmControl::evaluate(const InputState &inputs) {
    if (m_settings.AlarmEnabled != 1)
        return;
    if (inputs.isOn(16))
        run([this] { m_player.Play(); });
    else
        run([this] { m_player.Stop(); });
}

void AlarmControl::PlayAlarma1Notify(AlarmPlayer::Result result) {
    if (result != AlarmPlayer::Result::Successful)
        return;
    // At the end of the file, so Play starts it again from the beginning.
    m_player.setNotifyNext(true);
    run([this] { m_player.Play(); });
}

// A player without a file fails at every pass; the operator hears of it once,
// and again only after it has worked in between. The box comes from the event
// loop so that the display pass completes at once.
void AlarmControl::run(const std::function<void()> &operation) {
    QString text;
    try {
        operation();
        m_reported.clear();
        return;
    } catch (const AppError &e) {
        text = e.text();
    } catch (const std::exception &e) {
        text = QString::fromLocal8Bit(e.what());
    }
    if (text == m_reported)
        return;
    m_reported = text;
    QMetaObject::invokeMethod(
        this,
        [this, text] {
            MessageBoxes::showTitled(m_boxParent, MessageBoxes::Kind::Error, AppInfo::title(),
                                     text);
        },
        Qt::QueuedConnection);
}

void openAlarmAtStartup(AlarmPlayer &player, const QString &path) {
    player.setEnabled(true);
    player.setFileName(path);
    player.Open();
}
