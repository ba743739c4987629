// CPU time and resident memory of the main window connected to the simulated
// controller and polling. Usage: bench_connected_load [seconds=60]
#include "BenchStats.h"
#include "app/TFMain.h"
#include "log/TFDM.h"
#include "tests/support/Simulator.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QFile>
#include <QSysInfo>
#include <QTest>
#include <cstdio>
#include <sys/resource.h>

namespace {
double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}
long rssKb() {
    QFile f(QStringLiteral("/proc/self/status"));
    f.open(QIODevice::ReadOnly);
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}
} // namespace

int main(int argc, char *argv[]) {
    runHeadless();
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const int seconds = argc > 1 ? atoi(argv[1]) : 60;
    TestSupport::Simulator sim;
    if (!sim.start({QStringLiteral("--demo")}))
        return 1;
    TestSupport::ExeDir dir;
    QByteArray ini = "[Comunicacion]\nDataBits=3\nStopBits=0\nFlowControl=2\nDB=Si\n"
                     "[Puertos]\nCOM1=" +
                     sim.devicePath().toUtf8() + "\n[Iconos]\n";
    for (int n = 1; n <= 16; ++n)
        ini += "Ico" + QByteArray::number(n) + "=Si\n";
    ini += "[Paneles]\nPanel1=Si\nPanel2=Si\nPanel3=Si\nPanel4=Si\n";
    dir.writeConfig(ini);
    TFDM fdm;
    TFMain window(dir.path(), fdm);
    window.show();
    window.Conectar1Click();
    QTest::qWait(3000);
    const double cpu0 = cpuSeconds();
    const long rss0 = rssKb();
    QTest::qWait(seconds * 1000);
    const double cpu = cpuSeconds() - cpu0;
    printf("machine: %s, %d cores\n", qPrintable(QSysInfo::prettyProductName()),
           QThread::idealThreadCount());
    printf("connected and polling for %d s (offscreen): CPU %.2f s = %.2f%% of one core\n", seconds,
           cpu, 100.0 * cpu / seconds);
    printf("resident memory: %ld kB after start, %ld kB after the run\n", rss0, rssKb());
    window.Com_Serie.close();
    return 0;
}
