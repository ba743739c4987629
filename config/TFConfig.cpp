#include "config/TFConfig.h"

#include "app/RuntimeSettings.h"
#include "common/AppInfo.h"
#include "common/Guard.h"
#include "common/MessageBoxes.h"
#include "common/PixelFont.h"
#include "common/Resources.h"
#include "config/ConfigFile.h"
#include "config/PageAlarma.h"
#include "config/PageComunicacion.h"
#include "config/PageFondo.h"
#include "config/PageIconos.h"
#include "config/PageMenu.h"
#include "config/PagePaneles.h"
#include "config/PagePantalla.h"
#include "config/SettingsSave.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>

namespace {

QFrame *frame(QWidget *parent, const char *name, const QRect &geometry) {
    auto *f = new QFrame(parent);
    f->setObjectName(QLatin1String(name));
    f->setFrameStyle(QFrame::Panel | QFrame::Raised);
    f->setGeometry(geometry);
    return f;
}

class CompactTabStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption *option,
                    const QWidget *widget) const override {
        if (metric == PM_TabBarTabHSpace)
            return 12;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

void showFailures(QWidget *parent, const QStringList &failures) {
    if (!failures.isEmpty())
        MessageBoxes::showTitled(parent, MessageBoxes::Kind::Error, AppInfo::title(),
                                 failures.join(u'\n'));
}

} // namespace

TFConfig::TFConfig(const QString &exeDir, AlarmPlayer *player, Apply apply, QWidget *parent,
                   FileChooser chooseFile)
    : QDialog(parent), m_apply(std::move(apply)),
      m_chooseFile(chooseFile ? std::move(chooseFile) : FileChooser(&FileDialogs::choose)) {
    initBuiltinResources();
    m_state.ExeDir = exeDir;
    createControls(player);
    load();
}

void TFConfig::createControls(AlarmPlayer *player) {
    setObjectName(QStringLiteral("FConfig"));
    setWindowTitle(QStringLiteral("Configuración del Sistema"));
    // Fixed border, system menu and close box only.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFont(pixelFont(QStringLiteral("Arial"), 15));
    setFixedSize(904, 662);

    Panel_Top = frame(this, "Panel_Top", {8, 4, 889, 50});
    auto *banner = new QLabel(Panel_Top);
    banner->setObjectName(QStringLiteral("Imagen_Top"));
    banner->setGeometry(2, 2, 885, 46);
    banner->setPixmap(QPixmap(QStringLiteral(":/builtin/banner.png")));

    Paginas = new QTabWidget(this);
    Paginas->setObjectName(QStringLiteral("Paginas"));
    Paginas->setGeometry(8, 58, 707, 600);
    Paginas->setUsesScrollButtons(false);
    // Compact tabs, so that the seven captions fit across the page control.
    auto *tabStyle = new CompactTabStyle;
    tabStyle->setParent(Paginas);
    Paginas->tabBar()->setStyle(tabStyle);
    Hoja_Comunicacion = new PageComunicacion(m_state, Paginas);
    Hoja_Menu = new PageMenu(m_state, Paginas);
    Hoja_Fondo = new PageFondo(m_state, m_chooseFile, Paginas);
    Hoja_Iconos = new PageIconos(m_state, m_chooseFile, Paginas);
    Hoja_Paneles = new PagePaneles(m_state, Paginas);
    Hoja_Pantalla = new PagePantalla(m_state, Paginas);
    Hoja_Alarma = new PageAlarma(m_state, m_chooseFile, player, Paginas);
    Paginas->addTab(Hoja_Comunicacion, QStringLiteral("  Comunic.  "));
    Paginas->addTab(Hoja_Menu, QStringLiteral("Botones Menú"));
    Paginas->addTab(Hoja_Fondo, QStringLiteral("Imagen Fondo"));
    Paginas->addTab(Hoja_Iconos, QStringLiteral("   Iconos   "));
    Paginas->addTab(Hoja_Paneles, QStringLiteral("   Paneles   "));
    Paginas->addTab(Hoja_Pantalla, QStringLiteral("   Pantalla   "));
    Paginas->addTab(Hoja_Alarma, QStringLiteral("Alarmas"));

    Panel_Menu = frame(this, "Panel_Menu", {717, 58, 180, 600});
    auto *corner = new QLabel(Panel_Menu);
    corner->setObjectName(QStringLiteral("Imagen_Esquina"));
    corner->setGeometry(8, 8, 164, 112);
    corner->setAlignment(Qt::AlignCenter);
    corner->setPixmap(QPixmap(QStringLiteral(":/builtin/editor_corner.png")));
    auto *helpIcon = new QLabel(Panel_Menu);
    helpIcon->setObjectName(QStringLiteral("Imagen_Ayuda"));
    helpIcon->setGeometry(8, 128, 24, 24);
    helpIcon->setPixmap(QPixmap(QStringLiteral(":/builtin/help.png")));

    Memo_Ayuda = new QPlainTextEdit(Panel_Menu);
    Memo_Ayuda->setObjectName(QStringLiteral("Memo_Ayuda"));
    Memo_Ayuda->setGeometry(8, 158, 164, 340);
    Memo_Ayuda->setReadOnly(true);
    Memo_Ayuda->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo_Ayuda->setFont(pixelFont(QStringLiteral("Arial"), 12));
    QPalette pal = Memo_Ayuda->palette();
    pal.setColor(QPalette::Text, QColor(128, 128, 128));
    Memo_Ayuda->setPalette(pal);

    Btn_Guardar = new QPushButton(QStringLiteral("Guardar Cambios"), Panel_Menu);
    Btn_Guardar->setObjectName(QStringLiteral("Btn_Guardar"));
    Btn_Guardar->setGeometry(8, 510, 164, 36);
    Btn_Guardar->setAutoDefault(false);
    Btn_Cancela = new QPushButton(QStringLiteral("Cerrar Configuración"), Panel_Menu);
    Btn_Cancela->setObjectName(QStringLiteral("Btn_Cancela"));
    Btn_Cancela->setGeometry(8, 554, 164, 36);
    Btn_Cancela->setAutoDefault(false);

    connect(Btn_Guardar, &QPushButton::clicked, this, &TFConfig::Btn_GuardarClick);
    connect(Btn_Cancela, &QPushButton::clicked, this, &TFConfig::Btn_CancelaClick);
    connect(Paginas, &QTabWidget::currentChanged, this, &TFConfig::PaginasChange);

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

QString TFConfig::configPath() const {
    return m_state.ExeDir + QStringLiteral("/Config.ini");
}

// Every step runs even when a picture fails, so that a later save cannot
// write design values over settings that were never loaded.
void TFConfig::load() {
    const QString exeDir = m_state.ExeDir;
    m_state = EditorState::read(ConfigFile(configPath()), exeDir);
    m_recordSeconds = RuntimeSettings::recordSecondsFor(m_state.RecordTime);

    QStringList failures;
    Paginas->setCurrentIndex(0);
    PaginasChange(0);
    Hoja_Comunicacion->load();
    Hoja_Menu->load();
    Hoja_Fondo->load(failures);
    Hoja_Iconos->load(failures);
    Hoja_Paneles->load();
    Hoja_Pantalla->placeControls();
    Hoja_Alarma->load();
    showFailures(parentWidget(), failures);
}

void TFConfig::PaginasChange(int index) {
    if (index < 0)
        return;
    const auto page = static_cast<EditorPage>(index);
    Memo_Ayuda->setPlainText(helpText(page));
    if (page == EditorPage::Pantalla) {
        QStringList failures;
        Hoja_Pantalla->showPage(failures);
        showFailures(this, failures);
    }
}

EditorForm TFConfig::form() const {
    EditorForm f;
    Hoja_Comunicacion->fillForm(f);
    Hoja_Menu->fillForm(f);
    Hoja_Fondo->fillForm(f);
    Hoja_Iconos->fillForm(f);
    Hoja_Paneles->fillForm(f);
    Hoja_Alarma->fillForm(f);
    return f;
}

void TFConfig::save() {
    const EditorForm f = form();
    ConfigFile config(configPath());
    SettingsSave::write(config, m_state, f);

    const AppliedSettings applied = SettingsSave::applied(m_state, f, m_recordSeconds);
    if (applied.loggingOn)
        m_recordSeconds = applied.recordSeconds;
    if (m_apply)
        m_apply(applied);
    MessageBoxes::information(this, savedText());
}

void TFConfig::Btn_GuardarClick() {
    guarded(this, [this] { save(); });
}

void TFConfig::Btn_CancelaClick() {
    close();
}
