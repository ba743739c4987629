#include "app/SingleInstance.h"
#include "app/TFMain.h"
#include "log/TFDM.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLockFile>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

using TestSupport::BoxRecorder;
using TestSupport::ExeDir;

class TstStartup : public QObject {
    Q_OBJECT

    struct Started {
        ExeDir dir;
        TFDM fdm;
        std::unique_ptr<TFMain> window;
        void start() { window = std::make_unique<TFMain>(dir.path(), fdm); }
    };

private slots:
    void noConfigFileGivesDefaultsAndCreatesNothing() {
        BoxRecorder boxes;
        Started s;
        s.start();
        TFMain &w = *s.window;
        QCOMPARE(boxes.count(), 0);
        QVERIFY(!w.refusedAsSecondCopy());
        QVERIFY(!QFile::exists(s.dir.file("Config.ini")));
        for (auto *b : w.Boton)
            QVERIFY(!b->isEnabled() && b->isHidden());
        for (auto *i : w.ImagenN)
            QVERIFY(!i->isEnabled() && i->isHidden());
        for (auto *p : w.Panel_Info)
            QVERIFY(!p->isEnabled() && p->isHidden());
        QCOMPARE(w.settings().BackgroundPath, s.dir.file("img/inicio.jpg"));
        QVERIFY(!w.Imagen->pixmap().isNull());
        QCOMPARE(w.Imagen->pixmap().size(), QSize(700, 530));

        const SerialSettings &port = w.Com_Serie.settings();
        QCOMPARE(port.portName, QString("COM1"));
        QCOMPARE(port.baudRate, 115200);
        QCOMPARE(port.dataBits, 7);
        QCOMPARE(ComSerie::effectiveStopBits(port.stopBits, port.dataBits), QSerialPort::OneStop);
        QCOMPARE(port.parity, QSerialPort::NoParity);
        QCOMPARE(port.flow, SerialSettings::Flow::Hardware);
        QVERIFY(!w.TimerDB().isActive());
        QCOMPARE(w.settings().DbDir, s.dir.path() + "/db/");
        QCOMPARE(w.settings().DbFileName, QString("Korvane.db3"));
        QCOMPARE(w.Panel_Avisos->text(), QString("SISTEMA DESCONECTADO!"));
        QCOMPARE(w.Panel_Avisos->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        QVERIFY(w.Panel_Avisos->font().bold());
        QVERIFY(!w.Com_Serie.connected());
        QVERIFY(!w.poll().Reloj_Principal.isActive());
    }

    void configuredControlsAtTheirPlaces() {
        BoxRecorder boxes;
        Started s;
        s.dir.writeConfig("[BotonesMenu]\nBoton2=Si\nTxt2=Bomba 2\nBoton3=si\n"
                          "[Iconos]\nIco1=Si\nIco16=Si\n"
                          "[Paneles]\nPanel1=Si\nUnidad1=bar\nPanel4=Si\n"
                          "[Pantalla]\nIcono16X=10\nIcono16Y=20\nPanel1X=33\nPanel1Y=44\n");
        s.start();
        TFMain &w = *s.window;
        QCOMPARE(boxes.count(), 0);
        QVERIFY(w.Boton[1]->isEnabled() && !w.Boton[1]->isHidden());
        QCOMPARE(w.Boton[1]->text(), QString("Bomba 2"));
        QVERIFY(w.Boton[2]->isHidden()); // "si" is not "Si"
        QCOMPARE(w.Boton[1]->geometry(), QRect(10, 64, 160, 33));

        QVERIFY(w.ImagenN[0]->isEnabled() && !w.ImagenN[0]->isHidden());
        QCOMPARE(w.ImagenN[0]->pos(), QPoint(80, 50));
        QCOMPARE(w.ImagenN[15]->pos(), QPoint(10, 20));
        QVERIFY(w.ImagenN[1]->isHidden());

        QCOMPARE(w.Panel_Info[0]->text(), QString("0 bar"));
        QCOMPARE(w.Panel_Info[0]->pos(), QPoint(33, 44));
        QCOMPARE(w.Panel_Info[3]->text(), QString("0 unid."));
        QCOMPARE(w.Panel_Info[3]->pos(), QPoint(600, 200));
        QCOMPARE(w.Panel_Info[0]->size(), QSize(150, 30));
    }

    void serialIndexesOutOfRangeTakeTheOtherRow() {
        BoxRecorder boxes;
        Started s;
        s.dir.writeConfig("[Comunicacion]\nPuertoCom=6\nBaudRate=10\nDataBits=3\nStopBits=2\n"
                          "Parity=4\nFlowControl=9\n");
        s.start();
        const SerialSettings &port = s.window->Com_Serie.settings();
        QCOMPARE(port.portName, QString("COM1"));
        QCOMPARE(port.baudRate, 115200);
        QCOMPARE(port.dataBits, 8);
        QCOMPARE(port.stopBits, SerialSettings::StopBits::Two);
        QCOMPARE(port.parity, QSerialPort::SpaceParity);
        QCOMPARE(port.flow, SerialSettings::Flow::None);
    }

    void loggingIntervalFromRecordTime_data() {
        QTest::addColumn<QByteArray>("db");
        QTest::addColumn<QByteArray>("recordTime");
        QTest::addColumn<int>("intervalMs"); // 0: not armed
        QTest::newRow("5 min") << QByteArray("Si") << QByteArray("3") << 300000;
        QTest::newRow("45 s") << QByteArray("Si") << QByteArray("45") << 45000;
        QTest::newRow("negative") << QByteArray("Si") << QByteArray("-1") << 10000;
        QTest::newRow("lower case si") << QByteArray("si") << QByteArray("3") << 0;
    }
    void loggingIntervalFromRecordTime() {
        QFETCH(QByteArray, db);
        QFETCH(QByteArray, recordTime);
        QFETCH(int, intervalMs);
        BoxRecorder boxes;
        Started s;
        s.dir.writeConfig("[Comunicacion]\nDB=" + db + "\nRecordTime=" + recordTime + "\n");
        s.start();
        QCOMPARE(s.window->TimerDB().isActive(), intervalMs != 0);
        if (intervalMs)
            QCOMPARE(s.window->TimerDB().interval(), intervalMs);
        else
            QCOMPARE(s.window->settings().RecordSeconds, recordTime.toInt());
    }

    void missingBackgroundFallsBackSilently() {
        BoxRecorder boxes;
        Started s;
        s.dir.writeConfig("[ImagenFondo]\nImagen=/no/such/picture.jpg\n");
        s.start();
        QCOMPARE(boxes.count(), 0);
        QCOMPARE(s.window->settings().BackgroundPath, s.dir.file("img/inicio.jpg"));
        // The stored value is not changed.
        QVERIFY(TestSupport::readFile(s.dir.file("Config.ini")).contains("/no/such/picture.jpg"));
    }

    void missingLampIsReportedOnceAndTheRestComesUp() {
        BoxRecorder boxes;
        Started s;
        s.dir.writeConfig("[Iconos]\nIco2=Si\nOff2=/no/lamp.png\nIco3=Si\nOff3=/no/lamp.png\n"
                          "Ico4=Si\n[Paneles]\nPanel2=Si\n[Comunicacion]\nDB=Si\n");
        s.start();
        TFMain &w = *s.window;
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.boxes()[0].title, QString("Korvane Direct 1.2"));
        QVERIFY(boxes.lastText().startsWith("Cannot open file \"/no/lamp.png\"."));
        QVERIFY(w.ImagenN[1]->isHidden() && !w.ImagenN[1]->isEnabled());
        QVERIFY(!w.ImagenN[3]->isHidden() && w.ImagenN[3]->isEnabled());
        QVERIFY(!w.Panel_Info[1]->isHidden());
        QVERIFY(w.TimerDB().isActive());
        QCOMPARE(w.Panel_Avisos->text(), QString("SISTEMA DESCONECTADO!"));
    }

    void unknownPictureExtensionIsNamed() {
        BoxRecorder boxes;
        Started s;
        TestSupport::writeFile(s.dir.file("img/fondo.tif"), "II*");
        s.dir.writeConfig("[ImagenFondo]\nImagen=" + s.dir.file("img/fondo.tif").toUtf8() + "\n");
        s.start();
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.lastText(), QString("Unknown picture file extension (.tif)"));
    }

    void secondCopyIsRefused() {
        BoxRecorder boxes;
        Started first;
        first.start();
        QVERIFY(!first.window->refusedAsSecondCopy());

        Started second;
        second.start();
        QVERIFY(second.window->refusedAsSecondCopy());
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.boxes()[0].kind, MessageBoxes::Kind::Information);
        QCOMPARE(boxes.lastText(), QString("Korvane ya se esta ejecutando, verifique si esta "
                                           "minimizado o en la barra de tareas."));
        QVERIFY(!second.window->isVisible());
        // The first copy is not disturbed and keeps the lock.
        second.window.reset();
        Started third;
        third.start();
        QVERIFY(third.window->refusedAsSecondCopy());
    }

    void lockOfACrashedCopyDoesNotCount() {
        // A lock file left by a process that no longer exists.
        QProcess gone;
        gone.start("/bin/true");
        gone.waitForFinished();
        const qint64 deadPid = gone.processId() ? gone.processId() : 999999;
        TestSupport::writeFile(SingleInstance::lockPath(),
                               QByteArray::number(deadPid) + "\nkorvane-direct\n" +
                                   QSysInfo::machineHostName().toUtf8() + "\n");
        BoxRecorder boxes;
        Started s;
        s.start();
        QVERIFY(!s.window->refusedAsSecondCopy());
        QCOMPARE(boxes.count(), 0);
    }

    void runningProgramRefusesAnInProcessCopy() {
        // The real program, started as a separate process, holds the lock.
        ExeDir dir;
        QFile::copy(TestSupport::bundleDir() + "/korvane-direct", dir.file("korvane-direct"));
        QFile::setPermissions(dir.file("korvane-direct"), QFile::ExeOwner | QFile::ReadOwner);
        QProcess program;
        program.start(dir.file("korvane-direct"), {});
        QVERIFY(program.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(SingleInstance::lockPath()), 10000);
        {
            BoxRecorder boxes;
            Started s;
            s.start();
            QVERIFY(s.window->refusedAsSecondCopy());
        }
        program.kill();
        program.waitForFinished();
    }
};

QTEST_MAIN(TstStartup)
#include "tst_startup.moc"
