// One display pass with 16 enabled icons and 4 panels: cached pictures
// against decoding every file at every pass. Usage: bench_display_pass [passes=500]
#include "BenchStats.h"
#include "app/RuntimeSettings.h"
#include "device/DeviceImage.h"
#include "view/DisplayCycle.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <cstdio>

namespace {
struct Surface : DisplaySurface {
    bool iconEnabled(int) const override { return true; }
    void setIconPicture(int, const QPixmap &p) override { last = p; }
    void setPanelCaption(int, const QString &c) override { caption = c; }
    QPixmap last;
    QString caption;
};
} // namespace

int main(int argc, char *argv[]) {
    runHeadless();
    QApplication app(argc, argv);
    const int passes = argc > 1 ? atoi(argv[1]) : 500;
    const QString img = QStringLiteral(KORVANE_BUNDLE_DIR) + QStringLiteral("/img/");

    RuntimeSettings settings;
    for (int n = 0; n < 16; ++n) {
        settings.Icons[n].OffPath = img + (n < 4 ? "Luz_Azul.png" : "Luz_No.png");
        settings.Icons[n].OnPath = img + (n < 4 ? "Luz_Roja.png" : "Luz_Si.png");
    }
    for (auto &p : settings.Panels) {
        p.Enabled = QStringLiteral("Si");
        p.Decimals = 1;
        p.A = 5;
        p.B = 2;
        p.Unit = QStringLiteral("bar");
    }
    DeviceImage image;
    Surface surface;
    DisplayCycle cycle(settings, image, surface, nullptr);

    auto run = [&](bool cached) {
        QList<double> times;
        for (int i = 0; i < passes; ++i) {
            image.reg(1) = i & 0xFF;
            image.reg(2) = (i * 7) & 0xFF;
            image.reg(3) = i & 0xFF;
            if (!cached)
                cycle.pictures().clear();
            QElapsedTimer t;
            t.start();
            cycle.Reloj_Graficos.start();
            cycle.Reloj_GraficosTimer();
            times << t.nsecsElapsed() / 1e6;
        }
        return percentile(times, 50);
    };
    const double decoding = run(false);
    const double cached = run(true);
    printf("display pass, 16 icons + 4 panels, %d passes each\n", passes);
    printf("median ms: decoding every file %.3f, cached %.3f; ratio %.1fx\n", decoding, cached,
           decoding / cached);
    return 0;
}
