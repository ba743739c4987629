// Start-up's reading of every setting from Config.ini files of growing size:
// one huge line, then many short lines. The time per megabyte stays flat
// when reading is linear in the file's size.
// Usage: bench_config_read
#include "app/RuntimeSettings.h"
#include "config/ConfigFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

namespace {

double secondsToReadAll(const QString &path) {
    ConfigFile config(path);
    QElapsedTimer clock;
    clock.start();
    const RuntimeSettings s = RuntimeSettings::read(config, QStringLiteral("/opt/korvane"));
    Q_UNUSED(s);
    return clock.nsecsElapsed() / 1e9;
}

void report(const char *what, const QString &path) {
    const double mib = QFile(path).size() / double(1 << 20);
    const double s = secondsToReadAll(path);
    std::printf("%-28s %8.2f MiB %9.3f s %9.4f s/MiB\n", what, mib, s, s / mib);
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/Config.ini");
    const QByteArray keys = "[Comunicacion]\nPuertoCom=1\nDB=Si\n[Paneles]\nPanel1=Si\nA1=5\n";

    for (int mib : {1, 4, 16}) {
        QFile f(path);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(keys + "[Largo]\nTexto=" + QByteArray(mib << 20, 'x') + "\n");
        f.close();
        report(qPrintable(QStringLiteral("one line of %1 MiB").arg(mib)), path);
    }
    for (int lines : {50000, 200000, 800000}) {
        QFile f(path);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(keys + "[Muchas]\n");
        for (int i = 0; i < lines; ++i)
            f.write(QByteArray("Clave") + QByteArray::number(i) + "=valor\n");
        f.close();
        report(qPrintable(QStringLiteral("%1 short lines").arg(lines)), path);
    }
    return 0;
}
