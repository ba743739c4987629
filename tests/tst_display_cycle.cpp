#include "app/RuntimeSettings.h"
#include "device/DeviceImage.h"
#include "tests/support/TestSupport.h"
#include "view/DisplayCycle.h"
#include "view/PanelFormat.h"

#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

using TestSupport::BoxRecorder;

// Records what a pass drew.
struct Surface : DisplaySurface {
    std::array<bool, 16> enabled{};
    std::array<qint64, 16> pictureKey{};
    std::array<QSize, 16> pictureSize{};
    std::array<QString, 4> caption;
    int pictureSets = 0;
    bool iconEnabled(int n) const override { return enabled[n - 1]; }
    void setIconPicture(int n, const QPixmap &p) override {
        pictureKey[n - 1] = p.cacheKey();
        pictureSize[n - 1] = p.size();
        ++pictureSets;
    }
    void setPanelCaption(int p, const QString &c) override { caption[p - 1] = c; }
};

class TstDisplayCycle : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QString picture(const QString &name, int side) {
        const QString path = m_dir.path() + u'/' + name;
        QImage img(side, side, QImage::Format_ARGB32);
        img.fill(Qt::red);
        img.save(path);
        return path;
    }

    struct Rig {
        RuntimeSettings settings;
        DeviceImage image;
        Surface surface;
        DisplayCycle cycle{settings, image, surface, nullptr};
        void pass() {
            cycle.Reloj_Graficos.start();
            cycle.Reloj_GraficosTimer();
        }
    };

private slots:
    void scalingAndFormats() {
        QCOMPARE(*PanelFormat::scale(100, 5, 2, -10), 240.0);
        QCOMPARE(*PanelFormat::format(240.0, 1, u'.'), QString("240.0"));
        QCOMPARE(*PanelFormat::format(240.0, 1, u','), QString("240,0"));
        QCOMPARE(*PanelFormat::format(12.346, 0, u'.'), QString("12"));
        QCOMPARE(*PanelFormat::format(12.346, 2, u'.'), QString("12.35"));
        QCOMPARE(*PanelFormat::format(12.345, 2, u'.'), QString("12.35"));
        QCOMPARE(*PanelFormat::format(2.5, 0, u'.'), QString("3"));
        QCOMPARE(*PanelFormat::format(-0.04, 1, u'.'), QString("0.0"));
        QCOMPARE(*PanelFormat::format(1234567.0, 0, u'.'), QString("1234567"));
        QVERIFY(!PanelFormat::format(1.0, 3, u'.'));
        QVERIFY(!PanelFormat::format(1.0, -1, u'.'));
        // The product is a 32-bit integer.
        QCOMPARE(*PanelFormat::scale(255, 2147483647, 1, 0), double(int32_t(255u * 2147483647u)));
        QVERIFY(!PanelFormat::scale(10, 1, 0, 0));
    }

    void panelsShowScaledValuesWithUnits() {
        Rig r;
        for (auto &p : r.settings.Panels) {
            p.Enabled = "Si";
            p.Unit = "bar";
        }
        r.settings.Panels[0] = {"Si", 1, 5, 2, -10, "bar", 0, 0};
        r.settings.Panels[1].C = 10;
        r.settings.Panels[2].Decimals = 7;
        r.settings.Panels[3].B = 0;
        r.image.reg(3) = 100;
        r.image.reg(4) = 0;
        r.image.reg(5) = 50;
        r.image.reg(6) = 9;
        r.pass();
        QCOMPARE(r.surface.caption[0], QString("240.0 bar"));
        QCOMPARE(r.cycle.panelValue(1), 240.0);
        QCOMPARE(r.surface.caption[1], QString("-- bar")); // raw 0, whatever C is
        QCOMPARE(r.surface.caption[2], QString(" bar"));   // no valid format yet
        QCOMPARE(r.surface.caption[3], QString("Error B=0 bar"));

        // A panel not enabled is not touched.
        r.settings.Panels[0].Enabled = "si";
        r.surface.caption[0] = "kept";
        r.image.reg(3) = 0;
        r.pass();
        QCOMPARE(r.surface.caption[0], QString("kept"));
        QCOMPARE(r.cycle.panelText(1), QString("--"));
        QCOMPARE(r.cycle.panelValue(1), 240.0); // raw 0 keeps the last value
    }

    void inputsFromTheTwoRegisters() {
        Rig r;
        r.image.reg(1) = 5;
        r.image.reg(2) = 128;
        r.pass();
        for (int n = 1; n <= 16; ++n)
            QCOMPARE(r.cycle.inputs().input(n), (n == 1 || n == 3 || n == 16) ? 1 : 0);
    }

    void iconsFollowInputsAndPictureFiles() {
        Rig r;
        const QString off = picture("off.png", 10);
        const QString on = picture("on.png", 20);
        for (auto &icon : r.settings.Icons) {
            icon.OffPath = off;
            icon.OnPath = on;
        }
        r.surface.enabled[0] = true; // only icon 1 is in use
        r.image.reg(1) = 3;
        r.pass();
        QCOMPARE(r.surface.pictureSize[0], QSize(20, 20));
        QCOMPARE(r.surface.pictureSize[1], QSize()); // not enabled: untouched
        QCOMPARE(r.surface.pictureSets, 1);
        const qint64 first = r.surface.pictureKey[0];
        r.pass();
        QCOMPARE(r.surface.pictureKey[0], first); // decoded once, not every pass

        // The on picture replaced on disk shows at the next pass.
        QTest::qWait(20);
        picture("on.png", 30);
        r.pass();
        QCOMPARE(r.surface.pictureSize[0], QSize(30, 30));
        r.image.reg(1) = 0;
        r.pass();
        QCOMPARE(r.surface.pictureSize[0], QSize(10, 10));
    }

    void aMissingPictureIsReportedOnceAndThePassCompletes() {
        BoxRecorder boxes;
        Rig r;
        const QString off = picture("off2.png", 10);
        r.settings.Icons[0].OffPath = m_dir.path() + "/missing.png";
        r.settings.Icons[1].OffPath = off;
        r.settings.Panels[0].Enabled = "Si";
        r.surface.enabled[0] = r.surface.enabled[1] = true;
        int triggers = 0;
        r.cycle.setTriggers([&](const InputState &) { ++triggers; });
        for (int i = 0; i < 5; ++i)
            r.pass();
        // The box comes after the pass, from the event loop.
        QCOMPARE(boxes.count(), 0);
        QCoreApplication::processEvents();
        QCOMPARE(boxes.count(), 1);
        QVERIFY(boxes.lastText().startsWith("Cannot open file \""));
        QCOMPARE(boxes.boxes()[0].title, QString("Korvane Direct 1.2"));
        QCOMPARE(r.surface.pictureSize[1], QSize(10, 10));
        QCOMPARE(triggers, 5);
        QVERIFY(!r.cycle.Reloj_Graficos.isActive());
    }

    void passesGoOnWhileAPictureBoxIsOpen() {
        BoxRecorder boxes;
        boxes.holdOpenFor(800);
        Rig r;
        r.settings.Icons[0].OffPath = m_dir.path() + "/missing.png";
        r.surface.enabled[0] = true;
        int passes = 0;
        r.cycle.setTriggers([&](const InputState &) { ++passes; });
        // The poll chain starts the display timer once a chain, here every 150 ms.
        QTimer chain;
        chain.setInterval(150);
        QObject::connect(&chain, &QTimer::timeout, [&] { r.cycle.Reloj_Graficos.start(); });
        chain.start();
        int passesWhileOpen = -1;
        boxes.whileOpen([&](QMessageBox *) {
            const int before = passes;
            QTest::qWait(600);
            passesWhileOpen = passes - before;
        });
        QTRY_COMPARE_WITH_TIMEOUT(boxes.count(), 1, 3000);
        QTRY_COMPARE(boxes.openNow(), 0);
        QVERIFY2(passesWhileOpen >= 3, qPrintable(QString::number(passesWhileOpen)));
        QCOMPARE(boxes.count(), 1);
    }

    void theTimerRunsOncePerStart() {
        Rig r;
        int triggers = 0;
        r.cycle.setTriggers([&](const InputState &) { ++triggers; });
        r.cycle.Reloj_Graficos.start();
        QTest::qWait(450);
        QCOMPARE(triggers, 1);
        QVERIFY(!r.cycle.Reloj_Graficos.isActive());
    }

    void aFailingTriggerDoesNotStopThePass() {
        BoxRecorder boxes;
        Rig r;
        r.cycle.setTriggers([](const InputState &) { throw std::runtime_error("boom"); });
        r.pass();
        QVERIFY(!r.cycle.Reloj_Graficos.isActive());
        QCoreApplication::processEvents();
        QCOMPARE(boxes.count(), 1);
    }
};

QTEST_MAIN(TstDisplayCycle)
#include "tst_display_cycle.moc"
