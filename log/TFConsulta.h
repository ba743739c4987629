#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class QRadioButton;
class DatePicker;
class DbNavigator;
class LogGrid;
class TFDM;

// The log viewer: both logs in read-only grids with their navigators, the
// inputs log sorted and filtered by date, the commands log sorted. The rows
// live in the data module's shared queries, so every viewer shows the same
// ones. One window per menu click, never blocking the main window.
class TFConsulta : public QWidget {
    Q_OBJECT
public:
    TFConsulta(TFDM &fdm, const QString &databasePath, QWidget *parent = nullptr);
    ~TFConsulta() override;

    // Handlers, named after their controls.
    void FormCreate();
    void FormClose();
    void ActivaFiltro1Click();
    void btnOrdenaLecturaClick();
    void BtnOrdenaEscrituraClick();
    void BitBtn1Click();
    void Btn_CancelaClick();

    // The same-day message of the date filter.
    static QString sameDayMessage();

    QFrame *Panel_Top = nullptr;
    QLabel *Imagen_Logo = nullptr;
    QFrame *Panel1 = nullptr;
    QLabel *Label2 = nullptr;
    QFrame *Panel2 = nullptr;
    QLabel *Txt1 = nullptr;
    QComboBox *OrdenPor = nullptr;
    QRadioButton *Desc = nullptr;
    QRadioButton *Asc = nullptr;
    QCheckBox *ActivaFiltro1 = nullptr;
    QLabel *TxtDesde = nullptr;
    DatePicker *FechaDesde = nullptr;
    QLabel *TxtHasta = nullptr;
    DatePicker *FechaHasta = nullptr;
    QPushButton *btnOrdenaLectura = nullptr;
    LogGrid *Grilla_Lectura = nullptr;
    DbNavigator *DBNavigator1 = nullptr;
    QLabel *Label1 = nullptr;
    LogGrid *Grilla_Escritura = nullptr;
    DbNavigator *DBNavigator2 = nullptr;
    QFrame *Panel3 = nullptr;
    QLabel *Label4 = nullptr;
    QComboBox *OrdenPor2 = nullptr;
    QRadioButton *Desc2 = nullptr;
    QRadioButton *Asc2 = nullptr;
    QPushButton *BtnOrdenaEscritura = nullptr;
    QFrame *Panel_Menu = nullptr;
    QPushButton *BitBtn1 = nullptr;
    QPushButton *Btn_Cancela = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void createControls();
    void reportFailure(const QString &text);
    void markUsed();

    TFDM &m_fdm;
    QString m_path;
};
