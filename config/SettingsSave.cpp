#include "config/SettingsSave.h"

#include "app/RuntimeSettings.h"
#include "common/AppError.h"
#include "config/EditorState.h"
#include "config/SettingsKeys.h"
#include "device/SerialSettings.h"

using namespace SettingsKeys;

namespace SettingsSave {
namespace {

bool isOn(const QString &flag) {
    return RuntimeSettings::isOn(flag);
}

// A text already checked by firstInvalidInteger.
int checkedNumber(const QString &text) {
    return wholeNumber(text).value();
}

class EntryList {
public:
    void add(const QString &section, const QString &key, const QString &value) {
        m_entries.append(ConfigFile::Entry{section, key, value});
    }
    void add(const QString &section, const QString &key, int value) {
        add(section, key, QString::number(value));
    }
    QList<ConfigFile::Entry> take() { return std::move(m_entries); }

private:
    QList<ConfigFile::Entry> m_entries;
};

} // namespace

QString invalidIntegerText(const QString &text) {
    return QStringLiteral("'%1' is not a valid integer value").arg(text);
}

std::optional<int> wholeNumber(const QString &text) {
    return ConfigFile::parseInteger(text);
}

std::optional<QString> firstInvalidInteger(const EditorForm &form) {
    for (const EditorForm::Panel &p : form.panels) {
        for (const QString *text : {&p.a, &p.b, &p.c}) {
            if (!wholeNumber(*text))
                return *text;
        }
    }
    return std::nullopt;
}

int periodSeconds(int position, int previousSeconds) {
    if (position < 0 || position > 7)
        return previousSeconds;
    return RuntimeSettings::recordSecondsFor(position);
}

QList<ConfigFile::Entry> entries(const EditorState &state, const EditorForm &form) {
    EntryList e;

    const QString &com = kComunicacion;
    static const char *const serialKeys[] = {"PuertoCom", "BaudRate", "DataBits",
                                             "StopBits",  "Parity",   "FlowControl"};
    for (int i = 0; i < 6; ++i)
        e.add(com, QLatin1String(serialKeys[i]), form.serial[i]);
    e.add(com, QStringLiteral("DB"), state.DB);
    e.add(com, QStringLiteral("RecordTime"), form.recordTime);

    for (int n = 1; n <= 8; ++n) {
        e.add(kBotonesMenu, numbered("Boton", n), state.Buttons[n - 1].Boton);
        e.add(kBotonesMenu, numbered("Txt", n), form.buttonText[n - 1]);
    }

    e.add(kImagenFondo, QStringLiteral("Imagen"), form.backgroundText);

    for (int n = 1; n <= 16; ++n) {
        const EditorState::Icon &icon = state.Icons[n - 1];
        e.add(kIconos, numbered("Ico", n), icon.Ico);
        e.add(kIconos, numbered("Off", n), icon.Off);
        e.add(kIconos, numbered("On", n), icon.On);
    }

    for (int n = 1; n <= 4; ++n) {
        const EditorForm::Panel &p = form.panels[n - 1];
        e.add(kPaneles, numbered("Panel", n), state.Panels[n - 1].Panel);
        e.add(kPaneles, numbered("Decimal", n), p.decimal);
        e.add(kPaneles, numbered("A", n), checkedNumber(p.a));
        e.add(kPaneles, numbered("B", n), checkedNumber(p.b));
        e.add(kPaneles, numbered("C", n), checkedNumber(p.c));
        e.add(kPaneles, numbered("Unidad", n), p.unit);
    }

    for (int n = 1; n <= 16; ++n) {
        e.add(kPantalla, position("Icono", n, 'X'), state.Icons[n - 1].X);
        e.add(kPantalla, position("Icono", n, 'Y'), state.Icons[n - 1].Y);
    }
    for (int n = 1; n <= 4; ++n) {
        e.add(kPantalla, position("Panel", n, 'X'), state.Panels[n - 1].X);
        e.add(kPantalla, position("Panel", n, 'Y'), state.Panels[n - 1].Y);
    }

    const QString &al = kAlarmas;
    e.add(al, QStringLiteral("Alarma1"), state.Alarma1);
    e.add(al, QStringLiteral("Alarma1MP3"), state.Alarma1MP3);
    e.add(al, QStringLiteral("ServerSMTP"), form.smtp);
    e.add(al, QStringLiteral("Email"), form.email);
    e.add(al, QStringLiteral("PuertoSMTP"), form.port);
    e.add(al, QStringLiteral("ReEnvio"), form.resend);
    e.add(al, QStringLiteral("UsuarioMail"), form.user);
    e.add(al, QStringLiteral("ClaveMail"), form.password);
    e.add(al, QStringLiteral("EmailDestino"), form.to);
    e.add(al, QStringLiteral("HabilitaMail1"), state.HabilitaMail1);
    e.add(al, QStringLiteral("Asunto1"), form.subject1);
    e.add(al, QStringLiteral("Mensaje1"), form.body1);
    e.add(al, QStringLiteral("HabilitaMail2"), state.HabilitaMail2);
    e.add(al, QStringLiteral("Asunto2"), form.subject2);
    e.add(al, QStringLiteral("Mensaje2"), form.body2);
    return e.take();
}

AppliedSettings applied(const EditorState &state, const EditorForm &form, int previousSeconds) {
    AppliedSettings a;
    a.portName = SerialSettings::portNameFor(form.serial[0]);
    a.loggingOn = form.dbTicked;
    a.recordSeconds =
        form.dbTicked ? periodSeconds(form.recordTime, previousSeconds) : previousSeconds;
    a.dbFlag = state.DB;

    for (int n = 0; n < 8; ++n) {
        a.buttons[n].on = isOn(state.Buttons[n].Boton);
        a.buttons[n].caption = form.buttonText[n];
    }

    a.backgroundPath = form.backgroundText;

    for (int n = 0; n < 16; ++n) {
        const EditorState::Icon &from = state.Icons[n];
        AppliedSettings::Icon &to = a.icons[n];
        to.on = form.iconTicked[n];
        to.offPath = from.Off;
        to.onPath = from.On;
        to.left = from.X;
        to.top = from.Y;
    }

    for (int n = 0; n < 4; ++n) {
        const EditorForm::Panel &from = form.panels[n];
        AppliedSettings::Panel &to = a.panels[n];
        to.on = from.ticked;
        to.unit = from.unit;
        to.decimals = from.decimal;
        to.a = checkedNumber(from.a);
        to.b = checkedNumber(from.b);
        to.c = checkedNumber(from.c);
        to.left = state.Panels[n].X;
        to.top = state.Panels[n].Y;
    }

    a.alarmEnabled = state.Alarma1;
    a.alarmSoundPath = state.Alarma1MP3;
    a.smtpServer = form.smtp;
    a.mailFrom = form.email;
    a.smtpPort = form.port;
    a.resendIndex = form.resend;
    a.smtpUser = form.user;
    a.smtpPassword = form.password;
    a.mailTo = form.to;
    a.mail1Enabled = state.HabilitaMail1;
    a.mail1Subject = form.subject1;
    a.mail1Body = form.body1;
    a.mail2Enabled = state.HabilitaMail2;
    a.mail2Subject = form.subject2;
    a.mail2Body = form.body2;
    return a;
}

void write(ConfigFile &config, const EditorState &state, const EditorForm &form) {
    if (const auto bad = firstInvalidInteger(form))
        throw AppError(invalidIntegerText(*bad));
    config.writeAll(entries(state, form));
}

} // namespace SettingsSave
