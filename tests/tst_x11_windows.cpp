// The program's windows on a real X server (a private Xvfb), read back the
// way a window manager reads them, with xprop and xwininfo: exact titles, the
// main window's size hints, the About box's place.
#include "app/AppSetup.h"
#include "app/TFAcerca.h"
#include "app/TFMain.h"
#include "common/MessageBoxes.h"
#include "device/ComSerie.h"
#include "device/TFEspera.h"
#include "log/TFDM.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QtTest>

using TestSupport::BoxRecorder;
using TestSupport::ExeDir;

namespace {

QString runTool(const QString &tool, const QStringList &args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LC_ALL", "C.UTF-8");
    p.setProcessEnvironment(env);
    p.start(tool, args);
    p.waitForFinished(5000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString windowId(const QWidget *w) {
    return QStringLiteral("0x%1").arg(w->winId(), 0, 16);
}

// WM_NAME and _NET_WM_NAME as xprop reads them.
QStringList titlesOf(const QWidget *w) {
    const QString out = runTool("xprop", {"-id", windowId(w), "WM_NAME", "_NET_WM_NAME"});
    QStringList titles;
    static const QRegularExpression line(QStringLiteral("^\\S+\\([A-Z0-9_]+\\) = \"(.*)\"$"),
                                         QRegularExpression::MultilineOption);
    auto it = line.globalMatch(out);
    while (it.hasNext())
        titles << it.next().captured(1);
    return titles;
}

QSize hint(const QString &normalHints, const char *which) {
    const QRegularExpression re(
        QStringLiteral("program specified %1 size: (\\d+) by (\\d+)").arg(QLatin1String(which)));
    const auto m = re.match(normalHints);
    return m.hasMatch() ? QSize(m.captured(1).toInt(), m.captured(2).toInt()) : QSize();
}

QPoint absoluteTopLeft(const QWidget *w) {
    const QString out = runTool("xwininfo", {"-id", windowId(w)});
    const auto x = QRegularExpression("Absolute upper-left X:\\s+(-?\\d+)").match(out);
    const auto y = QRegularExpression("Absolute upper-left Y:\\s+(-?\\d+)").match(out);
    return QPoint(x.captured(1).toInt(), y.captured(1).toInt());
}

// With KORVANE_SCREENSHOT_DIR set, the screen as each window shows, for a
// look at titles, bevels and places (import, from imagemagick).
void shoot(const QString &name) {
    const QString dir = qEnvironmentVariable("KORVANE_SCREENSHOT_DIR");
    if (dir.isEmpty())
        return;
    QTest::qWait(300);
    QDir().mkpath(dir);
    runTool("import", {"-window", "root", dir + u'/' + name + ".png"});
}

} // namespace

class TstX11Windows : public QObject {
    Q_OBJECT

    ExeDir m_dir;
    TFDM m_fdm;
    std::unique_ptr<BoxRecorder> m_boxes;
    std::unique_ptr<TFMain> m_main;

private slots:
    void initTestCase() {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("no X server: Xvfb is missing");
        if (QStandardPaths::findExecutable("xprop").isEmpty() ||
            QStandardPaths::findExecutable("xwininfo").isEmpty())
            QSKIP("xprop and xwininfo (x11-utils) are missing");
        m_boxes = std::make_unique<BoxRecorder>();
        m_dir.writeConfig("[Puertos]\nCOM1=" + m_dir.file("ttyNOTHERE").toUtf8() + "\n");
        m_main = std::make_unique<TFMain>(m_dir.path(), m_fdm);
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    }

    void titlesReadExactly() {
        QCOMPARE(titlesOf(m_main.get()), QStringList({"Korvane Direct 1.2", "Korvane Direct 1.2"}));
        shoot("main");

        TFAcerca about(m_main.get());
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QCOMPARE(titlesOf(&about), QStringList({"Acerca de Korvane", "Acerca de Korvane"}));
        shoot("about");
        about.hide();

        ComSerie port;
        auto *espera = new TFEspera(port, nullptr, m_main.get());
        espera->Reloj_Ejecuta->stop(); // shown only, nothing sent
        espera->show();
        QVERIFY(QTest::qWaitForWindowExposed(espera));
        QCOMPARE(titlesOf(espera), QStringList({"Envio de Comando", "Envio de Comando"}));
        shoot("espera");
        espera->closeByProgram();
        delete espera;

        std::unique_ptr<QMessageBox> box(MessageBoxes::build(
            {MessageBoxes::Kind::Confirm, QStringLiteral("Confirm"),
             QStringLiteral("La aplicacion se cerrara y terminara cualquier comunicacion "
                            "iniciada con el dispositivo.\n¿Desea continuar y salir de la "
                            "aplicacion? - (No hay comunicacion iniciada)"),
             MessageBoxes::Buttons::YesNo, m_main.get()}));
        box->show();
        QVERIFY(QTest::qWaitForWindowExposed(box.get()));
        QCOMPARE(titlesOf(box.get()), QStringList({"Confirm", "Confirm"}));
        shoot("close-question");
    }

    void mainWindowHasOneFixedSize() {
        const QString hints = runTool("xprop", {"-id", windowId(m_main.get()), "WM_NORMAL_HINTS"});
        const QSize expected(904, 642 + m_main->menuBar()->height());
        QCOMPARE(m_main->centralWidget()->size(), QSize(904, 642));
        QCOMPARE(m_main->size(), expected);
        QVERIFY2(hint(hints, "minimum") == expected, qPrintable(hints));
        QVERIFY2(hint(hints, "maximum") == expected, qPrintable(hints));
    }

    void aboutBoxIsCentredOnTheDesktop() {
        // Wherever the operator has put the main window.
        m_main->move(0, 0);
        QTest::qWait(100);
        TFAcerca about(m_main.get());
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QTest::qWait(100);
        const QRect area = about.screen()->availableGeometry();
        const QPoint expected((area.width() - 504) / 2, (area.height() - 322) / 2);
        const QPoint at = absoluteTopLeft(&about);
        QVERIFY2((at - expected).manhattanLength() <= 2,
                 qPrintable(QString("%1,%2").arg(at.x()).arg(at.y())));
        QCOMPARE(about.size(), QSize(504, 322));
        shoot("about-main-moved");
    }

    void cleanupTestCase() {
        m_main.reset();
        m_boxes.reset();
    }
};

// A private X server for this test alone; without one the test skips.
int main(int argc, char **argv) {
    QProcess xvfb;
    QString display;
    if (!QStandardPaths::findExecutable("Xvfb").isEmpty()) {
        for (int n = 200; n < 300 && display.isEmpty(); ++n) {
            if (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)) ||
                QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)))
                continue;
            xvfb.start("Xvfb", {QStringLiteral(":%1").arg(n), "-screen", "0", "1280x800x24",
                                "-nolisten", "tcp"});
            xvfb.waitForStarted(5000);
            for (int i = 0; i < 50 && xvfb.state() == QProcess::Running; ++i) {
                if (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n))) {
                    display = QStringLiteral(":%1").arg(n);
                    break;
                }
                QThread::msleep(100);
            }
            if (display.isEmpty()) {
                xvfb.kill();
                xvfb.waitForFinished(2000);
            }
        }
    }
    if (!display.isEmpty()) {
        qputenv("DISPLAY", display.toUtf8());
        qputenv("QT_QPA_PLATFORM", "xcb");
        qunsetenv("WAYLAND_DISPLAY");
    }
    int rc = 0;
    {
        QApplication app(argc, argv);
        configureApplication();
        TstX11Windows test;
        rc = QTest::qExec(&test, argc, argv);
    }
    if (xvfb.state() == QProcess::Running) {
        xvfb.terminate();
        xvfb.waitForFinished(3000);
    }
    return rc;
}

#include "tst_x11_windows.moc"
