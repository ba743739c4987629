#pragma once

#include "app/RuntimeSettings.h"
#include "app/SingleInstance.h"
#include "config/ConfigFile.h"
#include "device/ComSerie.h"
#include "device/PollCycle.h"
#include "view/DisplayCycle.h"

#include <QMainWindow>
#include <QUrl>
#include <array>
#include <functional>
#include <memory>

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QSystemTrayIcon;
class MenuButtonLook;
class TFDM;
class PeriodicLogger;
class AlarmPlayer;
class AlarmControl;
class Notices;
struct AppliedSettings;

// The main window: owns the port, the poll and display cycles, the logger,
// the alarm and the notices, and shows the connection state. Its creation
// runs the start-up.
class TFMain : public QMainWindow, public DisplaySurface {
    Q_OBJECT
public:
    TFMain(const QString &exeDir, TFDM &fdm, QWidget *parent = nullptr);
    ~TFMain() override;

    // True when another copy was running: the window must not be shown.
    bool refusedAsSecondCopy() const { return m_refused; }

    const RuntimeSettings &settings() const { return m_settings; }
    RuntimeSettings &settings() { return m_settings; }
    ConfigFile &ConfigStore() { return *m_configStore; }

    // Where help and web pages go, and how the application ends; tests
    // replace them.
    void setUrlOpener(std::function<void(const QUrl &)> opener) { m_openUrl = std::move(opener); }
    void setQuitHandler(std::function<void()> quit) { m_quit = std::move(quit); }
    static QUrl webPage() { return QUrl(QStringLiteral("https://www.korvane.com/")); }
    // The status bar's count of replies thrown away as noise.
    static QString noiseText(int count);

    // DisplaySurface
    bool iconEnabled(int n) const override;
    void setIconPicture(int n, const QPixmap &picture) override;
    void setPanelCaption(int p, const QString &caption) override;

    // Handlers, named after their controls.
    void Conectar1Click();
    void Desconectar1Click();
    void ConfigComunicacion1Click();
    void VerRegistrosGuardados1Click();
    void VerTendencias1Click();
    void Minimizar1Click();
    void Ocultar1Click();
    void MostrarPantalla1Click();
    void VerAyuda1Click();
    void WebKorvane1Click();
    void Acercade1Click();
    void BotonClick(int n);
    void Com_SerieAfterOpen();
    void Com_SerieAfterClose();

    // Takes the settings the configuration editor has saved. Throws AppError
    // when the background or an icon picture cannot be loaded; the steps
    // after it are skipped.
    void applySettings(const AppliedSettings &settings);

    // Controls.
    QFrame *Panel_Logo = nullptr;
    QLabel *Imagen_Logo = nullptr;
    QFrame *Panel_Contenido = nullptr;
    QLabel *Imagen = nullptr;
    std::array<QLabel *, 16> ImagenN{};   // Imagen1..Imagen16
    std::array<QLabel *, 4> Panel_Info{}; // Panel_Info_1..Panel_Info_4
    QFrame *Panel_Menu = nullptr;
    std::array<QPushButton *, 8> Boton{}; // Boton1..Boton8
    QPushButton *BotonCerrar = nullptr;
    QLabel *Panel_Avisos = nullptr;
    QLabel *ImgConectado = nullptr;
    QLabel *ImgBase = nullptr;
    QLabel *Lbl_Ruido = nullptr;        // noise counter in the status bar
    QLabel *Lbl_SinRespuesta = nullptr; // "Sin respuesta del equipo" in the status bar
    QLabel *Lbl_Reconexion = nullptr;   // reopening the port after it failed

    QAction *CerrarAplicacion1 = nullptr;
    QAction *Conectar1 = nullptr;
    QAction *Desconectar1 = nullptr;
    QAction *VerRegistrosGuardados1 = nullptr;
    QAction *VerTendencias1 = nullptr;
    QAction *ConfigComunicacion1 = nullptr;
    QAction *Minimizar1 = nullptr;
    QAction *Ocultar1 = nullptr;
    QAction *VerAyuda1 = nullptr;
    QAction *WebKorvane1 = nullptr;
    QAction *Acercade1 = nullptr;
    QSystemTrayIcon *Tray = nullptr;
    QMenu *MenuTray = nullptr;
    QAction *MostrarPantalla1 = nullptr;
    QAction *OcultarPantalla1 = nullptr;
    QAction *CerrarAplicacion2 = nullptr;

    ComSerie Com_Serie;
    PollCycle &poll() { return *m_poll; }
    DisplayCycle &display() { return *m_display; }
    PeriodicLogger &logger() { return *m_logger; }
    IntervalTimer &TimerDB();
    // After the port itself failed (an adapter pulled out, a line closed),
    // tries to open it again every two seconds until it opens or the
    // operator takes over (Conectar, the editor, the close).
    IntervalTimer Reloj_Reconexion{QStringLiteral("Reloj_Reconexion"), 2000};
    void Reloj_ReconexionTimer();
    AlarmPlayer &PlayAlarma1() { return *m_player; }
    Notices &notices() { return *m_notices; }
    TFDM &FDM() { return m_fdm; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();
    void createMenus();
    void fixSizeAndPlace();
    void createTray();
    void startup(const QString &exeDir);
    void applySerialParameters();
    void showConfiguredControls(QStringList &pictureFailures);
    void stopPolling();
    void onPortFailed();
    void stopReconnecting();
    void onNoisyReply(int count);
    void showDatabaseState();
    void setDatabasePicture(bool saving);
    void reportMissingPictures();
    void setStatus(const QString &caption, const QColor &colour);
    bool FormCloseQuery();

    bool m_refused = false;
    SingleInstance m_instance;
    RuntimeSettings m_settings;
    std::unique_ptr<ConfigFile> m_configStore;
    TFDM &m_fdm;
    std::unique_ptr<PollCycle> m_poll;
    std::unique_ptr<DisplayCycle> m_display;
    std::unique_ptr<PeriodicLogger> m_logger;
    std::unique_ptr<AlarmPlayer> m_player;
    std::unique_ptr<AlarmControl> m_alarm;
    std::unique_ptr<Notices> m_notices;
    MenuButtonLook *m_buttonLook = nullptr;
    std::function<void(const QUrl &)> m_openUrl;
    std::function<void()> m_quit;
};
