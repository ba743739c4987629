#include "log/CsvExport.h"
#include "log/TrendTime.h"
#include "tests/support/LogRows.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

using TestSupport::LogRows;

namespace {

const qint64 kStart = *TrendTime::parse(QStringLiteral("2024-05-01 08:00:00"));

// Reads a CSV the way a spreadsheet user's script would: Python's csv module
// with ';', the byte-order mark taken off. Answers the rows as lists.
QJsonArray readWithPython(const QString &path) {
    QProcess python;
    python.start(QStringLiteral("python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import csv, json, sys\n"
                                 "with open(sys.argv[1], newline='', encoding='utf-8-sig') as f:\n"
                                 "    print(json.dumps(list(csv.reader(f, delimiter=';'))))\n"),
                  path});
    if (!python.waitForFinished(30000) || python.exitCode() != 0)
        qWarning() << python.readAllStandardError();
    return QJsonDocument::fromJson(python.readAllStandardOutput()).array();
}

std::array<TrendSeries, 4> spanishPanels() {
    return {TrendSeries{5, 2, -10, 1, QStringLiteral("bar")},
            TrendSeries{1, 1, 0, 0, QStringLiteral("°C")},
            TrendSeries{100, 255, 0, 2, QStringLiteral("m3;h")},
            TrendSeries{1, 0, 0, 0, QString()}};
}

QStringList filesIn(const QString &dir) {
    return QDir(dir).entryList(QDir::Files | QDir::Hidden);
}

} // namespace

class TstCsvExport : public QObject {
    Q_OBJECT

private slots:
    void aKnownRangeReadsBackRowForRow();
    void theCommandsLogToo();
    void calledOffHalfWayLeavesNoHalfFile();
    void failuresAreToldAndLeaveNothing();
    void theTaskRunsOffTheCallersThread();
};

void TstCsvExport::aKnownRangeReadsBackRowForRow() {
    TestSupport::ExeDir exe;
    const QString db = exe.file("db/Korvane.db3");
    {
        LogRows rows(db);
        rows.add(kStart - 1, 0xFFFF, {1, 1, 1, 1}); // before the range
        rows.add(kStart, 0x8001, {100, 20, 0, 7});
        rows.add(kStart + 10, 0x0200, {0, 255, 128, 0});
        rows.add(kStart + 20, 0x0000, {101, 3, 255, 9});
        rows.add(kStart + 61, 0x0000, {1, 1, 1, 1}); // after the range
    }
    CsvJob job;
    job.databasePath = db;
    job.target = exe.file("export.csv");
    job.from = kStart;
    job.to = kStart + 60;
    job.series = spanishPanels();
    // The decimal separator is taken from a Spanish locale named here, as
    // the window takes it from the system's.
    job.decimalPoint = QLocale(QLocale::Spanish, QLocale::Spain).decimalPoint().at(0);
    QCOMPARE(job.decimalPoint, QChar(u','));

    const CsvOutcome outcome = exportCsv(job);
    QVERIFY2(outcome.ok, qPrintable(outcome.error));
    QCOMPARE(outcome.rows, qint64(3));
    QVERIFY(TestSupport::readFile(job.target)
                .startsWith("\xEF\xBB\xBF"
                            "Fecha;Entrada 1;"));

    const QJsonArray table = readWithPython(job.target);
    QCOMPARE(table.size(), 4);
    QStringList header;
    for (const auto &v : table[0].toArray())
        header << v.toString();
    QCOMPARE(header.size(), 1 + 16 + 6 + 4);
    QCOMPARE(header.mid(16, 3), QStringList({"Entrada 16", "Word1", "Word2"}));
    QCOMPARE(header.mid(23),
             QStringList({"Valor 1 (bar)", "Valor 2 (°C)", "Valor 3 (m3;h)", "Valor 4"}));

    auto line = [&](int i) {
        QStringList out;
        for (const auto &v : table[i].toArray())
            out << v.toString();
        return out;
    };
    QStringList first = line(1);
    QCOMPARE(first[0], QStringLiteral("2024-05-01 08:00:00"));
    QCOMPARE(first.mid(1, 16), QStringList({"1", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0",
                                            "0", "0", "0", "0", "1"}));
    QCOMPARE(first.mid(17, 6), QStringList({"1", "128", "100", "20", "0", "7"}));
    // Scaled as the panels: 100 * 5 / 2 - 10; a raw 0 is an empty cell; B = 0 too.
    QCOMPARE(first.mid(23), QStringList({"240,0", "20", "", ""}));
    const QStringList second = line(2);
    QCOMPARE(second[0], QStringLiteral("2024-05-01 08:00:10"));
    QCOMPARE(second[10], QStringLiteral("1"));
    QCOMPARE(second.mid(23), QStringList({"", "255", "50,20", ""}));
    const QStringList third = line(3);
    QCOMPARE(third.mid(23), QStringList({"242,5", "3", "100,00", ""}));
    // Every value cell is a number to a Spanish spreadsheet.
    for (int i = 1; i <= 3; ++i)
        for (const QString &cell : line(i).mid(1)) {
            bool ok = cell.isEmpty();
            QLocale(QLocale::Spanish, QLocale::Spain).toDouble(cell, &ok);
            QVERIFY2(ok || cell.isEmpty(), qPrintable(cell));
        }
    QVERIFY(!TestSupport::readFile(job.target).contains("\r\n\r\n"));
}

void TstCsvExport::theCommandsLogToo() {
    TestSupport::ExeDir exe;
    const QString db = exe.file("db/Korvane.db3");
    {
        LogRows rows(db);
        rows.addCommand(kStart + 5, 3);
        rows.addCommand(kStart + 1, 8);
        rows.addCommand(kStart + 500, 1);
    }
    CsvJob job;
    job.log = CsvJob::Log::Escritura;
    job.databasePath = db;
    job.target = exe.file("comandos.csv");
    job.from = kStart;
    job.to = kStart + 100;
    QVERIFY(exportCsv(job).ok);
    const QJsonArray table = readWithPython(job.target);
    QCOMPARE(table.size(), 3);
    QCOMPARE(table[0].toArray().first().toString(), QStringLiteral("Fecha"));
    QCOMPARE(table[0].toArray().last().toString(), QStringLiteral("Salida 8"));
    // In time order, each row naming the output pulsed.
    QCOMPARE(table[1].toArray()[0].toString(), QStringLiteral("2024-05-01 08:00:01"));
    QCOMPARE(table[1].toArray()[8].toString(), QStringLiteral("1"));
    QCOMPARE(table[2].toArray()[3].toString(), QStringLiteral("1"));
    QCOMPARE(table[2].toArray()[4].toString(), QStringLiteral("0"));
}

void TstCsvExport::calledOffHalfWayLeavesNoHalfFile() {
    TestSupport::ExeDir exe;
    const QString db = exe.file("db/Korvane.db3");
    {
        LogRows rows(db);
        rows.exec("PRAGMA synchronous=OFF");
        rows.begin();
        for (int i = 0; i < 100000; ++i)
            rows.add(kStart + i, quint16(i), {i % 256, 1, 2, 3});
        rows.commit();
    }
    const QString out = exe.file("salida");
    QDir().mkpath(out);
    CsvJob job;
    job.databasePath = db;
    job.target = out + QStringLiteral("/registros.csv");
    job.from = kStart;
    job.to = kStart + 100000;

    bool inRange = true;
    CsvOutcome outcome = exportCsv(job, [&](qint64 rows, int permille) {
        inRange = inRange && permille >= 0 && permille <= 1000;
        return rows < 50000; // the operator cancels half-way
    });
    QVERIFY(inRange);
    QVERIFY(outcome.cancelled);
    QVERIFY(!outcome.ok);
    QVERIFY(outcome.rows >= 50000 && outcome.rows < 60000);
    QVERIFY(filesIn(out).isEmpty()); // no half file, no temporary left behind

    // An earlier export under that name stays whole.
    TestSupport::writeFile(job.target, "anterior\r\n");
    outcome = exportCsv(job, [](qint64 rows, int) { return rows < 10000; });
    QVERIFY(outcome.cancelled);
    QCOMPARE(TestSupport::readFile(job.target), QByteArray("anterior\r\n"));
    QCOMPARE(filesIn(out), QStringList({"registros.csv"}));

    // Let through, the export replaces it; progress ends at 1000.
    int last = -1;
    bool rising = true;
    outcome = exportCsv(job, [&](qint64, int permille) {
        rising = rising && permille >= last;
        last = permille;
        return true;
    });
    QVERIFY(rising);
    QVERIFY(outcome.ok);
    QCOMPARE(outcome.rows, qint64(100000));
    QCOMPARE(last, 1000);
    QCOMPARE(TestSupport::readFile(job.target).count('\n'), 100001);
}

void TstCsvExport::failuresAreToldAndLeaveNothing() {
    TestSupport::ExeDir exe;
    CsvJob job;
    job.databasePath = exe.file("db/NoExiste.db3");
    job.target = exe.file("a.csv");
    job.from = kStart;
    job.to = kStart + 10;
    CsvOutcome outcome = exportCsv(job);
    QVERIFY(!outcome.ok);
    QVERIFY(outcome.error.startsWith(QStringLiteral("No se pudo abrir la base de datos: ")));
    QVERIFY(!QFile::exists(job.target));

    job.databasePath = exe.file("db/Korvane.db3");
    job.target = exe.file("no/hay/carpeta.csv");
    outcome = exportCsv(job);
    QVERIFY(!outcome.ok);
    QVERIFY2(outcome.error.startsWith(QStringLiteral("No se pudo crear el archivo ")),
             qPrintable(outcome.error));
}

void TstCsvExport::theTaskRunsOffTheCallersThread() {
    TestSupport::ExeDir exe;
    const QString db = exe.file("db/Korvane.db3");
    {
        LogRows rows(db);
        rows.begin();
        for (int i = 0; i < 20000; ++i)
            rows.add(kStart + i, 0, {1, 2, 3, 4});
        rows.commit();
    }
    CsvJob job;
    job.databasePath = db;
    job.target = exe.file("hilo.csv");
    job.from = kStart;
    job.to = kStart + 20000;
    CsvExportTask task(job);
    QSignalSpy finished(&task, &CsvExportTask::finished);
    QSignalSpy progress(&task, &CsvExportTask::progress);
    task.start();
    QVERIFY(finished.wait(20000));
    const auto outcome = finished.first().first().value<CsvOutcome>();
    QVERIFY(outcome.ok);
    QCOMPARE(outcome.rows, qint64(20000));
    QVERIFY(progress.size() >= 4);
    QVERIFY(!task.running());
}

QTEST_GUILESS_MAIN(TstCsvExport)
#include "tst_csv_export.moc"
