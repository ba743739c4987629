// Memory kept by command pulses: the main window connected to the simulated
// controller and polling, the log database open, and N pulses through the
// command window (each one a new window with its animated picture, its two
// timers, three frames and an Escritura row). Prints resident memory and the
// heap in use before and after, per pulse; asserts nothing.
//
// Usage: bench_command_pulses [pulses=1000] [--real-timing]
// By default the window's waits are shortened (20 ms, 5 ms pauses, 20 ms) so
// that 1000 pulses take about a minute; --real-timing keeps 750 ms, 100 ms
// and 750 ms (about 1.7 s a pulse). --abrupt-exit ends without tearing
// down, for a heap profiler: two runs of different lengths show what stays.
#include "BenchStats.h"
#include "app/TFMain.h"
#include "device/CommandOutput.h"
#include "log/TFDM.h"
#include "tests/support/Simulator.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSysInfo>
#include <QTest>
#include <QThread>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <malloc.h>

namespace {

long rssKb() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

// Bytes handed out by malloc and not freed: what the program keeps, apart
// from the heap's own fragmentation.
double heapInUseKb() {
    const struct mallinfo2 mi = mallinfo2();
    return double(mi.uordblks + mi.hblkhd) / 1024.0;
}

struct Sample {
    long rss;
    double heap;
};

Sample sample() {
    QCoreApplication::processEvents();
    return Sample{rssKb(), heapInUseKb()};
}

} // namespace

int main(int argc, char *argv[]) {
    runHeadless();
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    int pulses = 1000;
    bool realTiming = false;
    bool abruptExit = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--real-timing") == 0)
            realTiming = true;
        else if (std::strcmp(argv[i], "--abrupt-exit") == 0)
            abruptExit = true;
        else
            pulses = std::max(1, atoi(argv[i]));
    }
    CommandTiming timing;
    if (!realTiming)
        timing = CommandTiming{20, 5, 20};

    TestSupport::BoxRecorder boxes; // a box would say a pulse failed
    TestSupport::Simulator sim;
    if (!sim.start()) {
        std::fprintf(stderr, "the simulator did not start\n");
        return 1;
    }
    TestSupport::ExeDir dir;
    QByteArray ini = "[Comunicacion]\nDataBits=3\nStopBits=0\nFlowControl=2\n[Puertos]\nCOM1=" +
                     sim.devicePath().toUtf8() + "\n[BotonesMenu]\n";
    for (int n = 1; n <= 8; ++n)
        ini += "Boton" + QByteArray::number(n) + "=Si\n";
    dir.writeConfig(ini);
    TFDM fdm;
    TFMain window(dir.path(), fdm);
    window.show();
    window.Conectar1Click();
    fdm.ensureOpen(window.settings().databasePath());
    if (!window.Com_Serie.connected()) {
        std::fprintf(stderr, "the port did not open\n");
        return 1;
    }

    auto pulse = [&](int i) {
        commandButtonClick(&window, window.Com_Serie, &fdm, 1 + i % 8, timing);
        // The simulator's record of frames is the bench's memory, not the program's.
        sim.clearFrames();
        sim.clearOutputs();
    };
    // First pulses load what stays for the whole run: the picture decoders,
    // fonts and glyphs, the prepared statement's pages.
    // Shown pulse by pulse: what a fresh program gains at its first commands.
    const Sample fresh = sample();
    std::printf("first pulses of a fresh program (RSS kB / heap kB): %ld / %.0f", fresh.rss,
                fresh.heap);
    const int warmUp = 20;
    for (int i = 0; i < warmUp; ++i) {
        pulse(i);
        const Sample s = sample();
        std::printf(", %ld / %.0f", s.rss, s.heap);
    }
    std::printf("\n");
    QTest::qWait(200);
    const Sample before = sample();

    QElapsedTimer clock;
    clock.start();
    const int checkpoints = 4;
    std::printf("machine: %s, %d cores (shared)\n", qPrintable(QSysInfo::prettyProductName()),
                QThread::idealThreadCount());
    std::printf("timing: %s, %d pulses after %d warm-up pulses, polling on\n",
                realTiming ? "real (750/100/750 ms)" : "short (20/5/20 ms)", pulses, warmUp);
    std::printf("%8s %12s %12s\n", "pulses", "RSS kB", "heap kB");
    std::printf("%8d %12ld %12.0f\n", 0, before.rss, before.heap);
    for (int i = 0; i < pulses; ++i) {
        pulse(i);
        if ((i + 1) % std::max(1, pulses / checkpoints) == 0 && i + 1 < pulses) {
            const Sample s = sample();
            std::printf("%8d %12ld %12.0f\n", i + 1, s.rss, s.heap);
        }
    }
    QTest::qWait(200);
    const Sample after = sample();
    std::printf("%8d %12ld %12.0f\n", pulses, after.rss, after.heap);
    std::printf("per pulse: RSS %+.2f kB, heap in use %+.3f kB (%.1f s, %d boxes)\n",
                double(after.rss - before.rss) / pulses, (after.heap - before.heap) / pulses,
                clock.elapsed() / 1000.0, boxes.count());
    malloc_trim(0);
    const Sample trimmed = sample();
    std::printf("after malloc_trim: RSS %ld kB, heap %.0f kB\n", trimmed.rss, trimmed.heap);
    if (abruptExit) {
        // Under a heap profiler: everything still held counts as kept, so two
        // runs of different lengths show what each pulse adds.
        std::fflush(stdout);
        std::_Exit(0);
    }
    window.Com_Serie.close();
    return 0;
}
