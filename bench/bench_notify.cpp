// How long the notices and the alarm hold the GUI thread inside one display
// pass: a whole SMTP exchange with a local server (clear, and STARTTLS with
// AUTH LOGIN), and the player's calls. Prints its figures; asserts nothing.
#include "notify/AlarmPlayer.h"
#include "notify/SendNotice.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr double kPassBudgetMs = 300.0; // what a poll period leaves for one display pass

struct Server {
    QProcess process;
    int port = 0;
    explicit Server(const QStringList &options) {
        process.setProgram(QStringLiteral("/usr/bin/python3"));
        process.setArguments(
            QStringList{QStringLiteral(KORVANE_SOURCE_DIR "/tests/support/smtp_server.py")} +
            options);
        process.start();
        while (port == 0 && process.waitForReadyRead(10000)) {
            while (process.canReadLine()) {
                const QByteArray line = process.readLine();
                if (line.startsWith("PORT "))
                    port = line.mid(5).trimmed().toInt();
            }
        }
    }
    ~Server() {
        process.kill();
        process.waitForFinished(5000);
    }
};

struct Stats {
    double median = 0, max = 0;
};

Stats stats(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return Stats{v[v.size() / 2], v.back()};
}

void benchSend(const char *label, const QStringList &options, bool login) {
    Server server(options);
    if (server.port == 0) {
        std::printf("%-34s server did not start\n", label);
        return;
    }
    MailMessage m = composeMail(
        QStringLiteral("planta@ejemplo.com"), QStringLiteral("uno@ejemplo.com,dos@ejemplo.com"),
        QStringLiteral("127.0.0.1"), QString::number(server.port),
        login ? QStringLiteral("operador") : QString(), QStringLiteral("s3creta"),
        QStringLiteral("Alarma: presión baja"), QStringLiteral("Entrada 16 activa"));
    std::vector<double> ms;
    QString error;
    for (int i = 0; i < 20; ++i) {
        QElapsedTimer t;
        t.start();
        if (!sendMail(m, &error)) {
            std::printf("%-34s failed: %s\n", label, qPrintable(error));
            return;
        }
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    const Stats s = stats(ms);
    std::printf("%-34s median %7.2f ms  max %7.2f ms  (%4.1f%% of a %0.f ms pass)\n", label,
                s.median, s.max, 100.0 * s.median / kPassBudgetMs, kPassBudgetMs);
}

void benchPlayer(const QString &sound) {
    AlarmPlayer player;
    player.setFileName(sound);
    QElapsedTimer t;
    t.start();
    player.Open();
    const double openMs = t.nsecsElapsed() / 1e6;
    std::vector<double> play, replay, stop;
    for (int i = 0; i < 200; ++i) {
        t.restart();
        player.Play(); // start or resume
        play.push_back(t.nsecsElapsed() / 1e3);
        t.restart();
        player.Play(); // while playing: what every pass with input 16 on does
        replay.push_back(t.nsecsElapsed() / 1e3);
        t.restart();
        player.Stop();
        stop.push_back(t.nsecsElapsed() / 1e3);
        QCoreApplication::processEvents();
    }
    std::printf("%-34s %7.2f ms\n", "player Open (first, with device)", openMs);
    for (const auto &[label, v] :
         {std::pair{"player Play (start/resume)", play},
          std::pair{"player Play while playing", replay}, std::pair{"player Stop", stop}}) {
        const Stats s = stats(v);
        std::printf("%-34s median %7.1f us  max %7.1f us\n", label, s.median, s.max);
    }
}

void runQuietly(const QString &program, const QStringList &arguments) {
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(program, arguments);
    p.waitForFinished(30000);
}

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER"))
        qputenv("SDL_AUDIODRIVER", "dummy");
    QCoreApplication app(argc, argv);
    std::printf("machine: %s, %s, %d logical CPUs\n", qPrintable(QSysInfo::machineHostName()),
                qPrintable(QSysInfo::prettyProductName()), QThread::idealThreadCount());

    QTemporaryDir dir;
    const QString cert = dir.filePath("cert.pem"), key = dir.filePath("key.pem");
    const QString sound = dir.filePath("alarma.mp3");
    runQuietly("openssl",
               {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                "-nodes", "-keyout", key, "-out", cert, "-days", "1", "-subj", "/CN=smtp.test"});
    runQuietly("sox", {"-n", "-r", "44100", "-c", "1", sound, "synth", "2", "sine", "660"});

    benchSend("SMTP exchange, clear", {}, false);
    benchSend("SMTP exchange, AUTH LOGIN", {"--auth", "operador:s3creta"}, true);
    benchSend("SMTP exchange, STARTTLS + AUTH", {"--tls", cert, key, "--auth", "operador:s3creta"},
              true);
    benchPlayer(sound);
    return 0;
}
