#include "config/PageComunicacion.h"

#include "config/EditorState.h"
#include "config/EditorWidgets.h"
#include "config/SettingsSave.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>

using namespace EditorWidgets;

PageComunicacion::PageComunicacion(EditorState &state, QWidget *parent)
    : QWidget(parent), m_state(state) {
    setObjectName(QStringLiteral("Hoja_Comunicacion"));

    QGroupBox *port =
        group(this, "Grupo_Puerto", QStringLiteral("  Config. Puerto Serie  "), {12, 10, 674, 360});
    struct Row {
        QComboBox **list;
        const char *name;
        const char *label;
        const char *note;
        QStringList entries;
    };
    const Row rows[] = {
        {&Config_Puerto,
         "Config_Puerto",
         "Puerto de Conexion",
         nullptr,
         {"COM1", "COM2", "COM3", "COM4", "COM5", "COM6"}},
        {&Config_Velocidad,
         "Config_Velocidad",
         "Velocidad de Conexion",
         "(Recomendado 115200)",
         {"4800", "9600", "14400", "19200", "38400", "56000", "57600", "115200", "128000",
          "256000"}},
        {&Config_DataBits, "Config_DataBits", "Data Bits", "(Recomendado 7)", {"5", "6", "7", "8"}},
        {&Config_StopBits, "Config_StopBits", "Stop Bits", "(Recomendado 1)", {"1", "1.5", "2"}},
        {&Config_Parity,
         "Config_Parity",
         "Parity",
         "(Recomendado Even)",
         {"None", "Odd", "Even", "Mark", "Space"}},
        {&Config_FlowControl,
         "Config_FlowControl",
         "Flow Control",
         "(Recomendado None)",
         {"Hardware", "Software", "None", "Custom"}},
    };
    int y = 36;
    for (const Row &row : rows) {
        label(port, QString::fromLatin1(row.label), {30, y + 4});
        *row.list = dropDown(port, row.name, row.entries, {230, y, 160, 27});
        if (row.note)
            note(port, QString::fromLatin1(row.note), {410, y + 4});
        y += 40;
    }

    QGroupBox *nota = group(port, "Grupo_Nota", QStringLiteral("NOTA"), {8, 282, 658, 68});
    note(nota,
         QStringLiteral("Intente cambiar solo el Puerto de Conexion, los demas valores de "
                        "conexion de Puerto Serie son "),
         {6, 20}, "Nota_Puerto1");
    note(nota, QStringLiteral("los optimos para la comunicacion con un equipo Zelio Logic"),
         {6, 42}, "Nota_Puerto2");

    QGroupBox *db =
        group(this, "Grupo_DB", QStringLiteral("  Config. Base de Datos  "), {12, 385, 674, 120});
    Habilita_DB = checkBox(db, "Habilita_DB", QStringLiteral("Habilitar Base de Datos"), {30, 34});
    Etiqueta_RecordTime =
        label(db, QStringLiteral("Grabar Registros cada"), {50, 76}, "Etiqueta_RecordTime");
    Selecciona_Tiempo = dropDown(
        db, "Selecciona_Tiempo",
        {"10 Seg.", "30 Seg.", "1 Min.", "5 Min.", "10 Min.", "30 Min.", "1 Hora", "2 Horas"},
        {230, 72, 160, 27});
    Etiqueta_RecordTime->setEnabled(false);
    Selecciona_Tiempo->setEnabled(false);
    connect(Habilita_DB, &QCheckBox::toggled, this, &PageComunicacion::Habilita_DBClick);
}

std::array<QComboBox *, 6> PageComunicacion::serialLists() const {
    return {Config_Puerto,   Config_Velocidad, Config_DataBits,
            Config_StopBits, Config_Parity,    Config_FlowControl};
}

void PageComunicacion::load() {
    const int positions[] = {m_state.PuertoCom, m_state.BaudRate, m_state.DataBits,
                             m_state.StopBits,  m_state.Parity,   m_state.FlowControl};
    const auto lists = serialLists();
    for (int i = 0; i < 6; ++i)
        selectPosition(lists[i], positions[i]);

    // Only "Si" ticks the box; any other text leaves it clear and is kept.
    if (m_state.DB == QLatin1String("Si"))
        Habilita_DB->setChecked(true);
    else if (m_state.DB == QLatin1String("No"))
        Habilita_DB->setChecked(false);
    selectPosition(Selecciona_Tiempo, m_state.RecordTime);
}

void PageComunicacion::Habilita_DBClick(bool ticked) {
    Etiqueta_RecordTime->setEnabled(ticked);
    Selecciona_Tiempo->setEnabled(ticked);
    m_state.DB = ticked ? QStringLiteral("Si") : QStringLiteral("No");
}

void PageComunicacion::fillForm(EditorForm &form) const {
    const auto lists = serialLists();
    for (int i = 0; i < 6; ++i)
        form.serial[i] = listPosition(lists[i]);
    form.dbTicked = Habilita_DB->isChecked();
    form.recordTime = listPosition(Selecciona_Tiempo);
}
