#include "log/LogStatements.h"
#include "log/ReadOnlyLog.h"
#include "log/TFDM.h"
#include "log/TrendReducer.h"
#include "log/TrendTime.h"
#include "tests/support/LogRows.h"
#include "tests/support/TestSupport.h"

#include <QTemporaryDir>
#include <QtTest>

using TestSupport::LogRows;

namespace {

const qint64 kDay = *TrendTime::parse(QStringLiteral("2024-03-10 00:00:00"));

TrendData reduce(const QString &path, qint64 from, qint64 to, int columns = 1000,
                 bool whole = false) {
    ReadOnlyLog log;
    log.open(path);
    TrendRequest r;
    r.from = from;
    r.to = to;
    r.columns = columns;
    r.wholeLog = whole;
    r.now = kDay + 400 * 86400; // the present is far after every row
    return TrendReducer::reduce(log, r);
}

QStringList row(sqlite3 *db, const char *sql) {
    QStringList out;
    sqlite3_stmt *s = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) == SQLITE_OK && sqlite3_step(s) == SQLITE_ROW)
        for (int i = 0; i < sqlite3_column_count(s); ++i)
            out << (sqlite3_column_type(s, i) == SQLITE_NULL
                        ? QStringLiteral("NULL")
                        : QString::fromUtf8(
                              reinterpret_cast<const char *>(sqlite3_column_text(s, i))));
    sqlite3_finalize(s);
    return out;
}

} // namespace

class TstTrendReduction : public QObject {
    Q_OBJECT

private slots:
    void timeScaleFollowsTheLogText();
    void summaryFollowsEveryInsert();
    void aOneRowSpikeInAMillionSurvives();
    void fewRowsAreKeptAsStored();
    void emptyRangesAndTheWholeLog();
    void unreadableFilesAreReported();
};

void TstTrendReduction::timeScaleFollowsTheLogText() {
    for (const char *text : {"2024-02-29 23:59:59", "1999-12-31 00:00:00", "2038-01-19 03:14:08"})
        QCOMPARE(TrendTime::text(*TrendTime::parse(QString::fromLatin1(text))), QByteArray(text));
    const qint64 t = *TrendTime::parse(QStringLiteral("2024-03-01 00:00:00"));
    QCOMPARE(t - *TrendTime::parse(QStringLiteral("2024-02-28 23:59:59")), qint64(86401));
    // A summary key counts its missing fields as 0.
    QCOMPARE(*TrendTime::parse(QStringLiteral("2024-03-01 10:07")), t + 10 * 3600 + 7 * 60);
    QCOMPARE(*TrendTime::parse(QStringLiteral("2024-03-01 10")), t + 10 * 3600);
    for (const char *bad : {"", "2024-3-01 00:00:00", "2024-13-01 00:00:00", "hoy", "2024/03/01"})
        QVERIFY2(!TrendTime::parse(QString::fromLatin1(bad)), bad);
    // Daylight saving never bends the scale: the local text is what counts.
    const QDateTime local(QDate(2024, 3, 31), QTime(12, 0, 5));
    QCOMPARE(TrendTime::text(TrendTime::fromDateTime(local)), QByteArray("2024-03-31 12:00:05"));
    QCOMPARE(TrendTime::toDateTime(TrendTime::fromDateTime(local)), local);
}

void TstTrendReduction::summaryFollowsEveryInsert() {
    TestSupport::ExeDir exe;
    const QString path = exe.file("db/Korvane.db3");
    LogRows rows(path);
    rows.add(kDay + 5, 0x8001, {5, 0, 7, 8});
    rows.add(kDay + 15, 0x0000, {3, 0, 9, 0});
    rows.add(kDay + 65, 0x0002, {0, 0, 4, 1});
    QCOMPARE(row(rows.db(), "select * from LecturaMinuto order by Minuto"),
             QStringList({"2024-03-10 00:00", "2", "3", "0", "9", "0", "3", "NULL", "7", "8", "5",
                          "NULL", "9", "8", QString::number(0x8001), "65535", "0"}));
    QCOMPARE(row(rows.db(), "select Filas, Ult3, Min3, Max3, Min6, Max6, Si, No, UltEnt "
                            "from LecturaHora"),
             QStringList({"3", "0", "3", "5", "1", "8", QString::number(0x8003), "65535", "2"}));

    // The logger's own statement goes through the trigger as well.
    TFDM fdm;
    fdm.ensureOpen(path);
    DeviceImage image;
    image.regs = {1, 128, 100, 0, 0, 0};
    fdm.SQLEntrada.run(LogStatements::lecturaInsert(InputState::fromImage(image), image));
    QCOMPARE(row(rows.db(), "select count(*) from Lectura").value(0), QStringLiteral("4"));
    QCOMPARE(row(rows.db(), "select Ult3, Si from LecturaMinuto where Minuto = "
                            "substr(datetime('now','localtime'),1,16)"),
             QStringList({"100", QString::number(0x8001)}));
}

void TstTrendReduction::aOneRowSpikeInAMillionSurvives() {
    QTemporaryDir dir;
    const QString withSummary = dir.filePath("resumen.db3");
    const QString without = dir.filePath("filas.db3");
    const int count = 1'000'000;
    const int high = 612'345, low = 87'001, flash = 333'333;
    {
        LogRows rows(withSummary);
        rows.exec("PRAGMA synchronous=OFF; PRAGMA cache_size=-65536");
        rows.begin();
        for (int i = 0; i < count; ++i) {
            const int w = i == high ? 250 : i == low ? 7 : 100 + (i / 1000) % 3;
            rows.add(kDay + i, i == flash ? 0x0800 : 0x0001, {w, 50, i % 2 ? 0 : 20, 9});
        }
        rows.commit();
    }
    // The same rows in a file made before the summary existed.
    QVERIFY(QFile::copy(withSummary, without));
    {
        sqlite3 *db = nullptr;
        sqlite3_open(QFile::encodeName(without).constData(), &db);
        QCOMPARE(sqlite3_exec(db,
                              "DROP TRIGGER LecturaResumen; DROP TABLE LecturaMinuto; "
                              "DROP TABLE LecturaHora;",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        sqlite3_close_v2(db);
    }

    for (const QString &path : {withSummary, without}) {
        const TrendData d = reduce(path, kDay, kDay + count - 1, 800);
        QVERIFY2(d.error.isEmpty(), qPrintable(d.error));
        QCOMPARE(d.summaryAvailable, path == withSummary);
        QCOMPARE(d.source,
                 path == withSummary ? TrendData::Source::Minutes : TrendData::Source::Rows);
        QVERIFY(!d.exact);
        QCOMPARE(d.rows, qint64(count));
        QVERIFY(d.entries.size() <= 800 && d.entries.size() > 700);
        const double span = double(count - 1) / 800;
        int highs = 0, lows = 0, flashes = 0;
        for (const TrendEntry &e : d.entries) {
            const bool holdsHigh = e.t <= kDay + high && kDay + high < e.t + span + 60;
            if (e.max[0] == 250) {
                ++highs;
                QVERIFY(holdsHigh);
            }
            lows += e.min[0] == 7 ? 1 : 0;
            if (e.anyOn & 0x0800) {
                ++flashes;
                QVERIFY(!(e.lastInputs & 0x0800)); // the input went off again
            }
            // 0 is no value: the lowest value of word 5 is 20, never 0.
            QCOMPARE(e.min[2], 20);
            QCOMPARE(e.max[1], 50);
        }
        QCOMPARE(highs, 1);
        QCOMPARE(lows, 1);
        QCOMPARE(flashes, 1);
    }

    // A zoom into a few thousand rows shows every row, spike included.
    const TrendData zoomed = reduce(withSummary, kDay + high - 1500, kDay + high + 1500);
    QVERIFY(zoomed.exact);
    QCOMPARE(zoomed.entries.size(), size_t(3001));
    QCOMPARE(zoomed.entries[1500].last[0], 250);
    QCOMPARE(zoomed.entries[1500].t, kDay + high);
    QCOMPARE(zoomed.before->t, kDay + high - 1501);
}

void TstTrendReduction::fewRowsAreKeptAsStored() {
    TestSupport::ExeDir exe;
    const QString path = exe.file("db/Korvane.db3");
    {
        LogRows rows(path);
        rows.add(kDay - 100, 0x0004, {11, 0, 0, 0}); // before the range
        for (int i = 0; i < 50; ++i)
            rows.add(kDay + i * 7, quint16(i), {i == 20 ? 0 : 100 + i, 0, 0, 0});
        rows.add(kDay + 3600, 0, {1, 1, 1, 1}); // after the range
    }
    const TrendData d = reduce(path, kDay, kDay + 1000);
    QVERIFY(d.exact);
    QCOMPARE(d.source, TrendData::Source::Rows);
    QCOMPARE(d.rows, qint64(50));
    QCOMPARE(d.entries.size(), size_t(50));
    QVERIFY(d.before);
    QCOMPARE(d.before->last[0], 11);
    QCOMPARE(d.before->lastInputs, quint16(0x0004));
    QCOMPARE(d.holdUntil, kDay + 1000);
    QCOMPARE(d.entries[3].t, kDay + 21);
    QCOMPARE(d.entries[3].last[0], 103);
    QCOMPARE(d.entries[3].lastInputs, quint16(3));
    QCOMPARE(d.entries[20].last[0], 0); // a gap, stored as it is

    // The value in force at any time is the last row at or before it.
    QCOMPARE(d.at(kDay - 1)->last[0], 11);
    QCOMPARE(d.at(kDay + 20)->last[0], 102);
    QCOMPARE(d.at(kDay + 21)->last[0], 103);
    QCOMPARE(d.at(kDay + 999)->last[0], 149);

    // The range reaching past the present: values hold until now only.
    ReadOnlyLog log;
    QVERIFY(log.open(path));
    TrendRequest r{kDay, kDay + 1000, false, 500, kDay + 600};
    QCOMPARE(TrendReducer::reduce(log, r).holdUntil, kDay + 600);
}

void TstTrendReduction::emptyRangesAndTheWholeLog() {
    TestSupport::ExeDir exe;
    const QString path = exe.file("db/Korvane.db3");
    TrendData d = reduce(path, kDay, kDay + 3600);
    QVERIFY(d.error.isEmpty());
    QVERIFY(d.empty());
    QVERIFY(!d.before);
    QCOMPARE(d.rows, qint64(0));
    // "Todo" on an empty log: the last day up to the present.
    d = reduce(path, 0, 0, 1000, true);
    QCOMPARE(d.to - d.from, qint64(86400));

    {
        LogRows rows(path);
        rows.add(kDay, 0, {1, 2, 3, 4});
        rows.add(kDay + 86400 * 30, 0, {5, 6, 7, 8});
    }
    d = reduce(path, kDay + 10, kDay + 20);
    QVERIFY(d.empty());
    QCOMPARE(d.before->last[3], 4); // nothing in the range, but a value holds
    d = reduce(path, 0, 0, 1000, true);
    QCOMPARE(d.from, kDay);
    QCOMPARE(d.to, kDay + 400 * 86400); // the present
    QCOMPARE(d.rows, qint64(2));
}

void TstTrendReduction::unreadableFilesAreReported() {
    QTemporaryDir dir;
    ReadOnlyLog log;
    QVERIFY(!log.open(dir.filePath("NoExiste.db3")));
    QVERIFY(!QFile::exists(dir.filePath("NoExiste.db3")));
    TrendData d = TrendReducer::reduce(log, TrendRequest{kDay, kDay + 60, false, 100, kDay});
    QVERIFY(d.error.startsWith(QStringLiteral("No se pudo abrir la base de datos: ")));

    // A file without the tables.
    TestSupport::writeFile(dir.filePath("vacia.db3"), QByteArray());
    QVERIFY(log.open(dir.filePath("vacia.db3")));
    d = TrendReducer::reduce(log, TrendRequest{kDay, kDay + 60, false, 100, kDay});
    QVERIFY2(d.error.contains(QStringLiteral("no such table")), qPrintable(d.error));
}

QTEST_GUILESS_MAIN(TstTrendReduction)
#include "tst_trend_reduction.moc"
