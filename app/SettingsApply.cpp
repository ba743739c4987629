// The main window takes the settings the configuration editor has just
// saved: port name, logging, buttons, background, icons, panels, positions,
// alarm and mail settings, in that order. The other line settings wait for
// the next start.
#include "app/TFMain.h"

#include "app/AppliedSettings.h"

#include "log/PeriodicLogger.h"
#include "view/PictureLoader.h"

#include <QLabel>
#include <QPushButton>

void TFMain::applySettings(const AppliedSettings &s) {
    // 1. Takes effect at the next connection.
    Com_Serie.setPortName(s.portName);

    // 2. The running logger follows the new period at its next tick.
    m_settings.DbEnabled = s.dbFlag;
    if (s.loggingOn)
        m_settings.RecordSeconds = s.recordSeconds;
    m_logger->arm(s.loggingOn, s.recordSeconds);

    // 3.
    for (int n = 0; n < 8; ++n) {
        const AppliedSettings::Button &from = s.buttons[n];
        RuntimeSettings::Button &to = m_settings.Buttons[n];
        to.Enabled = from.on ? QStringLiteral("Si") : QStringLiteral("No");
        to.Text = from.caption;
        Boton[n]->setEnabled(from.on);
        Boton[n]->setVisible(from.on);
        if (from.on)
            Boton[n]->setText(from.caption);
    }

    // 4. A picture that cannot be loaded stops here; the editor reports it.
    Imagen->setPixmap(PictureLoader::load(s.backgroundPath));
    m_settings.BackgroundPath = s.backgroundPath;

    // 5.
    for (int n = 0; n < 16; ++n) {
        const AppliedSettings::Icon &from = s.icons[n];
        RuntimeSettings::Icon &to = m_settings.Icons[n];
        QLabel *icon = ImagenN[n];
        to.Enabled = from.on ? QStringLiteral("Si") : QStringLiteral("No");
        if (!from.on) {
            icon->setEnabled(false);
            icon->hide();
            continue;
        }
        icon->setEnabled(true);
        icon->setPixmap(m_display->pictures().get(from.offPath));
        to.OnPath = from.onPath;
        to.OffPath = from.offPath;
        icon->show();
    }

    // 6.
    for (int n = 0; n < 4; ++n) {
        const AppliedSettings::Panel &from = s.panels[n];
        RuntimeSettings::Panel &to = m_settings.Panels[n];
        QLabel *info = Panel_Info[n];
        to.Enabled = from.on ? QStringLiteral("Si") : QStringLiteral("No");
        info->setEnabled(from.on);
        info->setVisible(from.on);
        if (!from.on)
            continue;
        info->setText(QStringLiteral("0 ") + from.unit);
        to.Unit = from.unit;
        to.Decimals = from.decimals;
        to.A = from.a;
        to.B = from.b;
        to.C = from.c;
    }

    // 7. Shown or not, every control goes to its place.
    for (int n = 0; n < 16; ++n) {
        ImagenN[n]->move(s.icons[n].left, s.icons[n].top);
        m_settings.Icons[n].Left = s.icons[n].left;
        m_settings.Icons[n].Top = s.icons[n].top;
    }
    for (int n = 0; n < 4; ++n) {
        Panel_Info[n]->move(s.panels[n].left, s.panels[n].top);
        m_settings.Panels[n].Left = s.panels[n].left;
        m_settings.Panels[n].Top = s.panels[n].top;
    }

    // 8. The alarm player keeps its file until the next start or test.
    m_settings.AlarmEnabled = s.alarmEnabled;
    m_settings.AlarmSoundPath = s.alarmSoundPath;
    m_settings.SmtpServer = s.smtpServer;
    m_settings.MailFrom = s.mailFrom;
    m_settings.SmtpPort = s.smtpPort;
    m_settings.ResendIndex = s.resendIndex;
    m_settings.SmtpUser = s.smtpUser;
    m_settings.SmtpPassword = s.smtpPassword;
    m_settings.MailTo = s.mailTo;
    m_settings.Mail1Enabled = s.mail1Enabled;
    m_settings.Mail1Subject = s.mail1Subject;
    m_settings.Mail1Body = s.mail1Body;
    m_settings.Mail2Enabled = s.mail2Enabled;
    m_settings.Mail2Subject = s.mail2Subject;
    m_settings.Mail2Body = s.mail2Body;

    // 9.
    update();
}
