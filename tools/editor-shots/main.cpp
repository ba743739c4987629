// korvane-editor-shots OUTDIR
// Opens the configuration editor on a sample plant's Config.ini, in a copy of
// the bundle's img/ and alarm/, and saves a PNG of each of its seven pages as
// OUTDIR/editor-1.png ... editor-7.png (the pictures of the help page on the
// editor). Under X (tools/editor-screens.sh runs it on Xvfb) the pictures are
// taken from the screen; elsewhere the window draws itself.
#include "config/FileDialogs.h"
#include "config/TFConfig.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileDialog>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <cstdio>

namespace {

const char kSampleConfig[] = R"([Comunicacion]
PuertoCom=0
BaudRate=7
DataBits=2
StopBits=1
Parity=2
FlowControl=2
DB=Si
RecordTime=2

[BotonesMenu]
Boton1=Si
Txt1=Bomba 1
Boton2=Si
Txt2=Bomba 2
Boton3=Si
Txt3=Agitador
Boton4=No
Boton5=Si
Txt5=Valvula 1
Boton6=No
Boton7=No
Boton8=Si
Txt8=Luces

[Paneles]
Panel1=Si
Decimal1=1
A1=100
B1=255
C1=-20
Unidad1=°C
Panel2=Si
Decimal2=2
A2=10
B2=255
C2=0
Unidad2=kg/cm2
Panel3=No
Panel4=No

[Pantalla]
Icono1X=60
Icono1Y=60
Icono2X=160
Icono2Y=60
Icono3X=260
Icono3Y=60
Icono4X=360
Icono4Y=60
Icono9X=60
Icono9Y=160
Icono10X=160
Icono10Y=160
Icono15X=460
Icono15Y=60
Icono16X=560
Icono16Y=60
Panel1X=60
Panel1Y=300
Panel2X=260
Panel2Y=300

[Alarmas]
Alarma1=1
ServerSMTP=mail.planta.local
Email=korvane@planta.local
PuertoSMTP=25
ReEnvio=1
UsuarioMail=korvane@planta.local
ClaveMail=clave
EmailDestino=operador@planta.local
HabilitaMail1=1
Asunto1=Aviso: entrada 15 activa
Mensaje1=La entrada 15 del controlador se ha activado.
HabilitaMail2=0
Asunto2=Alarma: entrada 16 activa
Mensaje2=La entrada 16 del controlador se ha activado.
)";

void copyTree(const QString &from, const QString &to) {
    QDir().mkpath(to);
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString src = it.next();
        const QString dst = to + src.mid(from.size());
        if (QFileInfo(src).isDir())
            QDir().mkpath(dst);
        else
            QFile::copy(src, dst);
    }
}

QPixmap shot(QWidget &window) {
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        return window.screen()->grabWindow(window.winId());
    return window.grab();
}

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "uso: korvane-editor-shots CARPETA_DE_SALIDA\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(out.path());

    // A plain folder name, since the paths show in the pictures.
    const QDir exeDir(QDir::temp().filePath(QStringLiteral("korvane-direct")));
    if (exeDir.exists() || !QDir().mkpath(exeDir.path())) {
        std::fprintf(stderr, "la carpeta %s ya existe o no se puede crear\n",
                     qPrintable(exeDir.path()));
        return 1;
    }
    struct Cleanup {
        QDir dir;
        ~Cleanup() { dir.removeRecursively(); }
    } cleanup{exeDir};
    for (const char *sub : {"img", "alarm"})
        copyTree(QStringLiteral(KORVANE_BUNDLE_DIR "/") + QLatin1String(sub),
                 exeDir.filePath(QLatin1String(sub)));
    // The plant's pictures: the installed background and lamps.
    QByteArray config(kSampleConfig);
    const QByteArray img = QFile::encodeName(exeDir.filePath(QStringLiteral("img")));
    config += "\n[ImagenFondo]\nImagen=" + img + "/inicio.jpg\n\n[Iconos]\n";
    for (int n = 1; n <= 16; ++n) {
        const QByteArray i = QByteArray::number(n);
        const bool used = n <= 4 || n == 9 || n == 10 || n >= 15;
        config += "Ico" + i + (used ? "=Si\n" : "=No\n");
        config += "Off" + i + "=" + img + (n <= 4 ? "/Luz_Azul.png" : "/Luz_No.png") + "\n";
        config += "On" + i + "=" + img + (n <= 4 ? "/Luz_Roja.png" : "/Luz_Si.png") + "\n";
    }
    QFile ini(exeDir.filePath(QStringLiteral("Config.ini")));
    if (!ini.open(QIODevice::WriteOnly) || ini.write(config) < 0)
        return 1;
    ini.close();

    TFConfig editor(exeDir.path(), nullptr, {});
    editor.show();
    if (!QTest::qWaitForWindowExposed(&editor))
        std::fprintf(stderr, "la ventana no se mostró a tiempo\n");
    bool ok = true;
    for (int page = 0; page < editor.Paginas->count(); ++page) {
        editor.Paginas->setCurrentIndex(page);
        QTest::qWait(400);
        const QString path = out.filePath(QStringLiteral("editor-%1.png").arg(page + 1));
        if (shot(editor).save(path)) {
            std::printf("%s\n", qPrintable(path));
        } else {
            std::fprintf(stderr, "no se pudo escribir %s\n", qPrintable(path));
            ok = false;
        }
    }

    // The background dialog with its preview.
    QFileDialog *dialog = FileDialogs::create(&editor, FileDialogs::imagenDialog(exeDir.path()));
    dialog->show();
    QTest::qWait(300);
    // Pointing at a file, as a click does, shows it in the preview.
    for (auto *view : dialog->findChildren<QAbstractItemView *>()) {
        if (!view->isVisible() || !view->model())
            continue;
        const QModelIndexList found =
            view->model()->match(view->model()->index(0, 0, view->rootIndex()), Qt::DisplayRole,
                                 QStringLiteral("inicio.jpg"), 1, Qt::MatchExactly);
        if (!found.isEmpty())
            view->setCurrentIndex(found.first());
    }
    QTest::qWait(600);
    const QString path = out.filePath(QStringLiteral("editor-dialogo.png"));
    ok &= shot(*dialog).save(path);
    std::printf("%s\n", qPrintable(path));
    delete dialog;
    return ok ? 0 : 1;
}
