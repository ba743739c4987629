#pragma once

#include <QWidget>
#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
struct EditorState;
struct EditorForm;

// "  Comunic.  ": the serial line settings and the periodic logging switch.
class PageComunicacion : public QWidget {
    Q_OBJECT
public:
    PageComunicacion(EditorState &state, QWidget *parent = nullptr);

    // Load steps 7 and 8: the six serial lists, then the logging box and period.
    void load();
    void fillForm(EditorForm &form) const;

    void Habilita_DBClick(bool ticked);

    QComboBox *Config_Puerto = nullptr;
    QComboBox *Config_Velocidad = nullptr;
    QComboBox *Config_DataBits = nullptr;
    QComboBox *Config_StopBits = nullptr;
    QComboBox *Config_Parity = nullptr;
    QComboBox *Config_FlowControl = nullptr;
    QCheckBox *Habilita_DB = nullptr;
    QLabel *Etiqueta_RecordTime = nullptr;
    QComboBox *Selecciona_Tiempo = nullptr;

    std::array<QComboBox *, 6> serialLists() const;

private:
    EditorState &m_state;
};
