// Start-up: from launch to a ready, disconnected main window.
#include "app/TFMain.h"

#include "common/AppError.h"
#include "common/AppInfo.h"
#include "common/MessageBoxes.h"
#include "device/PortMap.h"
#include "log/PeriodicLogger.h"
#include "notify/AlarmControl.h"
#include "view/PictureLoader.h"

#include <QLabel>
#include <QPushButton>

void TFMain::startup(const QString &exeDir) {
    // 1. One copy only.
    if (!m_instance.acquire()) {
        m_refused = true;
        MessageBoxes::information(nullptr,
                                  QStringLiteral("Korvane ya se esta ejecutando, verifique si "
                                                 "esta minimizado o en la barra de tareas."));
        return;
    }

    // 2.-4. Settings, with the background and alarm sound falling back to
    // the installed files.
    m_configStore = std::make_unique<ConfigFile>(exeDir + QStringLiteral("/Config.ini"));
    m_settings = RuntimeSettings::read(*m_configStore, exeDir);
    m_settings.applyPathFallbacks();

    // 5. Serial parameters; COM1..COM6 lead to the devices [Puertos] names.
    ConfigFile *config = m_configStore.get();
    Com_Serie.setDeviceResolver(
        [config](const QString &name) { return PortMap::devicePath(*config, name); });
    applySerialParameters();

    // 6. The log database lies in db/ beside the executable.
    m_settings.DbDir = exeDir + QStringLiteral("/db/");
    m_settings.DbFileName = QStringLiteral("Korvane.db3");

    // 7. Periodic logging runs from start-up, connected or not.
    if (m_settings.loggingOn()) {
        m_settings.RecordSeconds = RuntimeSettings::recordSecondsFor(m_settings.RecordSeconds);
        m_logger->arm(true, m_settings.RecordSeconds);
    }

    // 8.-11. Controls. A picture that fails to load is reported once and
    // the other controls still come up, so that one missing lamp cannot
    // leave the panels hidden or the alarm unarmed.
    QStringList pictureFailures;
    showConfiguredControls(pictureFailures);
    if (!pictureFailures.isEmpty())
        MessageBoxes::showTitled(nullptr, MessageBoxes::Kind::Error, AppInfo::title(),
                                 pictureFailures.join(u'\n'));

    // 12. Qt paints every widget double-buffered; nothing to switch.
    // 13. Status bar.
    setStatus(QStringLiteral("SISTEMA DESCONECTADO!"), QColor(255, 0, 0));

    // 14. Alarm sound.
    try {
        openAlarmAtStartup(*m_player, m_settings.AlarmSoundPath);
    } catch (const AppError &e) {
        MessageBoxes::showTitled(nullptr, MessageBoxes::Kind::Error, AppInfo::title(), e.text());
    }
}

void TFMain::applySerialParameters() {
    const RuntimeSettings &s = m_settings;
    Com_Serie.setPortName(SerialSettings::portNameFor(s.PortIndex));
    Com_Serie.setBaudRate(SerialSettings::baudRateFor(s.BaudIndex));
    Com_Serie.setDataBits(SerialSettings::dataBitsFor(s.DataBitsIndex));
    Com_Serie.setStopBits(SerialSettings::stopBitsFor(s.StopBitsIndex));
    Com_Serie.setParity(SerialSettings::parityFor(s.ParityIndex));
    Com_Serie.setFlowControl(SerialSettings::flowFor(s.FlowControlIndex));
}

void TFMain::showConfiguredControls(QStringList &pictureFailures) {
    for (int n = 1; n <= 8; ++n) {
        const auto &button = m_settings.Buttons[n - 1];
        if (!RuntimeSettings::isOn(button.Enabled))
            continue;
        Boton[n - 1]->setEnabled(true);
        Boton[n - 1]->show();
        Boton[n - 1]->setText(button.Text);
    }

    try {
        Imagen->setPixmap(PictureLoader::load(m_settings.BackgroundPath));
    } catch (const AppError &e) {
        pictureFailures << e.text();
    }

    for (int n = 1; n <= 16; ++n) {
        const auto &icon = m_settings.Icons[n - 1];
        if (!RuntimeSettings::isOn(icon.Enabled))
            continue;
        QLabel *control = ImagenN[n - 1];
        try {
            control->setPixmap(m_display->pictures().get(icon.OffPath));
        } catch (const AppError &e) {
            pictureFailures << e.text(); // the icon stays hidden and unused
            continue;
        }
        control->setEnabled(true);
        control->move(icon.Left, icon.Top);
        control->show();
    }

    for (int p = 1; p <= 4; ++p) {
        const auto &panel = m_settings.Panels[p - 1];
        if (!RuntimeSettings::isOn(panel.Enabled))
            continue;
        QLabel *info = Panel_Info[p - 1];
        info->setEnabled(true);
        info->move(panel.Left, panel.Top);
        info->show();
        info->setText(info->text() + u' ' + panel.Unit);
    }
}
