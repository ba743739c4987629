// Spacing of the request frames as the simulated controller timestamps them,
// over a long connected run: period of the chain, spacing of its steps, and
// drift of the period. Usage: bench_poll_schedule [seconds=300]
#include "BenchStats.h"
#include "device/ComSerie.h"
#include "device/PollCycle.h"
#include "tests/support/Simulator.h"

#include <QApplication>
#include <QSysInfo>
#include <QTest>
#include <cstdio>

int main(int argc, char *argv[]) {
    runHeadless();
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? atoi(argv[1]) : 300;

    TestSupport::Simulator sim;
    if (!sim.start()) {
        fprintf(stderr, "no simulator\n");
        return 1;
    }
    ComSerie port;
    const QString device = sim.devicePath();
    port.setDeviceResolver([device](const QString &) { return device; });
    port.setDataBits(8);
    port.setFlowControl(SerialSettings::Flow::None);
    PollCycle poll(port);
    IntervalTimer display(QStringLiteral("Reloj_Graficos"), 100);
    QObject::connect(&display, &QTimer::timeout, [&] { display.stop(); });
    poll.setDisplayTimer(&display);
    if (!port.open()) {
        fprintf(stderr, "%s\n", qPrintable(port.errorString()));
        return 1;
    }
    poll.Reloj_Principal.start();
    QTest::qWait(seconds * 1000);
    poll.Reloj_Principal.stop();
    QTest::qWait(1000);

    const auto frames = sim.frames();
    QList<double> periods, steps, chainStarts;
    for (qsizetype i = 0; i < frames.size(); ++i) {
        if (frames[i].text.endsWith("1810D6"))
            chainStarts << frames[i].t;
        else if (i > 0)
            steps << (frames[i].t - frames[i - 1].t) * 1000.0;
    }
    for (qsizetype i = 1; i < chainStarts.size(); ++i)
        periods << (chainStarts[i] - chainStarts[i - 1]) * 1000.0;
    const double span = chainStarts.size() > 1 ? chainStarts.last() - chainStarts.first() : 0;
    const double drift = span - (chainStarts.size() - 1) * 1.0;

    printf("machine: %s, %d s connected run, %lld frames, %lld chains\n",
           qPrintable(QSysInfo::prettyProductName()), seconds, (long long)frames.size(),
           (long long)chainStarts.size());
    printf("period ms:       median %.1f  p99 %.1f  max %.1f\n", percentile(periods, 50),
           percentile(periods, 99), percentile(periods, 100));
    printf("step spacing ms: median %.1f  p99 %.1f  max %.1f\n", percentile(steps, 50),
           percentile(steps, 99), percentile(steps, 100));
    printf("drift of the period: %.1f ms over %.0f s (%.3f ms per period)\n", drift * 1000.0, span,
           chainStarts.size() > 1 ? drift * 1000.0 / (chainStarts.size() - 1) : 0.0);
    return 0;
}
