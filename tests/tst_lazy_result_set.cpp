#include "common/AppError.h"
#include "log/ResultSet.h"
#include "log/RowReader.h"
#include "log/TFDM.h"
#include "log/ViewerSql.h"
#include "tests/support/LogFiller.h"
#include "tests/support/TestSupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTimeZone>
#include <QtTest>
#include <sqlite3.h>

namespace {

// A connection of its own, to read the file as another program would.
class Peer {
public:
    explicit Peer(const QString &path) {
        sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_db_config(m_db, SQLITE_DBCONFIG_DQS_DML, 1, nullptr);
    }
    ~Peer() { sqlite3_close_v2(m_db); }
    void exec(const QString &sql) {
        QCOMPARE(sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, nullptr),
                 SQLITE_OK);
    }
    // The first column of every row.
    QList<qint64> keys(const QString &sql) {
        QList<qint64> out;
        sqlite3_stmt *stmt = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &stmt, nullptr) == SQLITE_OK)
            while (sqlite3_step(stmt) == SQLITE_ROW)
                out << sqlite3_column_int64(stmt, 0);
        sqlite3_finalize(stmt);
        return out;
    }
    QStringList texts(const QString &sql) {
        QStringList out;
        sqlite3_stmt *stmt = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &stmt, nullptr) == SQLITE_OK)
            while (sqlite3_step(stmt) == SQLITE_ROW) {
                QStringList row;
                for (int i = 0; i < sqlite3_column_count(stmt); ++i)
                    row << QString::fromUtf8(
                        reinterpret_cast<const char *>(sqlite3_column_text(stmt, i)));
                out << row.join(u'|');
            }
        sqlite3_finalize(stmt);
        return out;
    }

private:
    sqlite3 *m_db = nullptr;
};

QList<qint64> keysOf(const ResultRows &rows) {
    QList<qint64> out;
    for (const ResultRow &r : rows)
        out << r.key;
    return out;
}

QStringList textsOf(const ResultRows &rows) {
    QStringList out;
    for (const ResultRow &r : rows) {
        QStringList row;
        for (const QVariant &v : r.values)
            row << v.toString();
        out << row.join(u'|');
    }
    return out;
}

QStringList columnsOf(const QString &path, const QString &table) {
    Peer p(path);
    return p
        .texts(QStringLiteral("select group_concat(name, '|') from pragma_table_info('%1')")
                   .arg(table))
        .value(0)
        .split(u'|');
}

RowSource sourceFor(const QString &path, const QString &text) {
    RowSource s;
    s.path = path;
    s.text = text;
    s.shape = ViewerSql::parse(text);
    Peer p(path);
    if (s.shape)
        s.snapshot = p.keys("select coalesce(max(rowid),0) from " + s.shape->table).value(0);
    s.columns = columnsOf(path, s.shape ? s.shape->table : QStringLiteral("Lectura"));
    return s;
}

// The rowids of a viewer text in the order SQLite gives them, ties broken
// by the rowid as an index gives them.
QList<qint64> reference(Peer &peer, const ViewerSql::Shape &shape, qint64 snapshot) {
    const QString dir = shape.descending ? " desc" : " asc";
    QString where = QStringLiteral(" where rowid <= %1").arg(snapshot);
    if (shape.filtered)
        where += QStringLiteral(" and Fecha between '%1' and '%2'").arg(shape.from, shape.to);
    return peer.keys("select rowid from " + shape.table + where + " order by " + shape.column +
                     dir + ", rowid" + dir);
}

// Every way of walking a source gives the reference order.
void checkWalks(RowReader &reader, const QList<qint64> &expected, int block) {
    ResultRows page = reader.first(block);
    QList<qint64> forward = keysOf(page);
    while (page.size() == block) {
        page = reader.after(page.last(), block);
        forward += keysOf(page);
    }
    QCOMPARE(forward, expected);

    page = reader.last(block);
    QList<qint64> backward = keysOf(page);
    while (page.size() == block) {
        page = reader.before(page.first(), block);
        backward = keysOf(page) + backward;
    }
    QCOMPARE(backward, expected);

    QCOMPARE(reader.count(), qint64(expected.size()));
    for (qint64 offset : {qint64(0), qint64(expected.size() / 3), qint64(expected.size() * 3 / 4),
                          qint64(expected.size()) - 2}) {
        const QList<qint64> slice = expected.mid(std::max<qint64>(offset, 0), block);
        QCOMPARE(keysOf(reader.at(std::max<qint64>(offset, 0), block)), slice);
    }
}

} // namespace

class TstLazyResultSet : public QObject {
    Q_OBJECT
    std::unique_ptr<TestSupport::ExeDir> m_mixed; // one log for every order

private slots:
    void viewerTextsAreRecognised();
    void keysetWalksFollowTheOrderOfTheText_data();
    void keysetWalksFollowTheOrderOfTheText();
    void wideRangesSortedByValueWalkTheValueIndex();
    void anyOtherTextRunsAsACursor();
    void rowsStoredAfterOpeningStayOut();
    void windowFetchesInBlocksAndNeverGrowsPastItsSize();
    void navigatorReachesTheEndsWithoutTheRowsBetween();
    void refreshShowsNewRowsAndKeepsThePlace();
    void slowQueriesRunInTheBackgroundAndCanBeCancelled();
    void aFailingFetchClosesTheSetAndSaysWhy();
};

void TstLazyResultSet::viewerTextsAreRecognised() {
    const auto filtered = ViewerSql::parse(
        "Select * From Lectura Where Fecha between \"2011-09-01%\" and \"2011-09-28%\" Order by "
        "Word4 Asc;");
    QVERIFY(filtered);
    QCOMPARE(filtered->table, QString("Lectura"));
    QVERIFY(filtered->filtered);
    QCOMPARE(filtered->from, QString("2011-09-01%"));
    QCOMPARE(filtered->to, QString("2011-09-28%"));
    QCOMPARE(filtered->column, QString("Word4"));
    QVERIFY(!filtered->descending);

    const auto plain = ViewerSql::parse("Select * From Lectura  Order by Fecha Desc;");
    QVERIFY(plain && !plain->filtered && plain->descending && plain->column == "Fecha");
    QVERIFY(ViewerSql::parse("select * from escritura order by bit3 desc"));

    // Anything else runs as it stands.
    QVERIFY(!ViewerSql::parse("Select Fecha From Lectura Order by Fecha Desc;"));
    QVERIFY(!ViewerSql::parse("Select * From Lectura Order by Fecha Desc; delete from Lectura"));
    QVERIFY(!ViewerSql::parse("Select * From Lectura Where Word3 > 5 Order by Fecha Desc;"));
    QVERIFY(!ViewerSql::parse("Select * From Otra Order by Fecha Desc;"));
}

void TstLazyResultSet::keysetWalksFollowTheOrderOfTheText_data() {
    QTest::addColumn<QString>("text");
    for (const char *column : {"Fecha", "Word3", "Word4", "Word5", "Word6"})
        for (const char *dir : {"Asc", "Desc"}) {
            QTest::addRow("%s %s", column, dir)
                << ViewerSql::lecturaText({}, column, QString(dir) == "Desc");
            QTest::addRow("%s %s filtered", column, dir) << ViewerSql::lecturaText(
                ViewerSql::dateCondition(QDate(2010, 1, 2), QDate(2010, 1, 4)), column,
                QString(dir) == "Desc");
        }
    for (int bit = 1; bit <= 8; ++bit)
        for (const char *dir : {"Asc", "Desc"})
            QTest::addRow("Bit%d %s", bit, dir) << ViewerSql::escrituraText(
                ViewerSql::escrituraColumn(bit), QString(dir) == "Desc");
}

// Ties, missing values and values of another type: each keeps its place.
void TstLazyResultSet::keysetWalksFollowTheOrderOfTheText() {
    QFETCH(QString, text);
    if (!m_mixed) {
        m_mixed = std::make_unique<TestSupport::ExeDir>();
        Peer p(m_mixed->file("db/Korvane.db3"));
        p.exec("begin");
        for (int i = 0; i < 600; ++i) {
            const QString fecha = i % 97 == 5 ? "NULL"
                                              : QStringLiteral("'2010-01-%1 %2:00:00'")
                                                    .arg(1 + i % 6, 2, 10, QChar('0'))
                                                    .arg(i % 24, 2, 10, QChar('0'));
            const QString w4 = i % 10 == 0 ? "NULL" : QString::number(i % 13);
            const QString w5 = i % 50 == 0 ? "'x'" : QString::number((i * 7) % 256);
            p.exec(QStringLiteral("insert into Lectura (Fecha,Word3,Word4,Word5,Word6) values "
                                  "(%1,%2,%3,%4,%5)")
                       .arg(fecha)
                       .arg(i % 7)
                       .arg(w4, w5)
                       .arg(i % 256));
            QStringList bits;
            for (int b = 1; b <= 8; ++b)
                bits << (i % 8 + 1 == b ? "'Si'" : (i % 31 == b ? "NULL" : "'-'"));
            p.exec(QStringLiteral("insert into Escritura values ('2010-01-01 00:%1:00',%2)")
                       .arg(i % 60, 2, 10, QChar('0'))
                       .arg(bits.join(u',')));
        }
        p.exec("commit");
    }
    const QString path = m_mixed->file("db/Korvane.db3");
    const RowSource source = sourceFor(path, text);
    QVERIFY(source.keyed());
    Peer peer(path);
    const QList<qint64> expected = reference(peer, *source.shape, source.snapshot);
    QVERIFY(!expected.isEmpty());
    RowReader reader;
    reader.setSource(source);
    checkWalks(reader, expected, 13);
}

// A range that holds most of the table, sorted by a value: the reader walks
// the value's index and skips the rows outside the range.
void TstLazyResultSet::wideRangesSortedByValueWalkTheValueIndex() {
    TestSupport::ExeDir exe;
    const QString path = exe.file("db/Korvane.db3");
    LogFiller::Options options;
    options.lectura = 50000;
    QString error;
    QVERIFY2(LogFiller::make(path, options, &error), qPrintable(error));
    QVERIFY(RowReader::rangeThreshold(50000) < 45000);

    Peer peer(path);
    for (bool desc : {false, true}) {
        const QString text = ViewerSql::lecturaText(
            ViewerSql::dateCondition(QDate(2010, 1, 1), QDate(2010, 1, 6)), "Word4", desc);
        const RowSource source = sourceFor(path, text);
        const QList<qint64> expected = reference(peer, *source.shape, source.snapshot);
        QVERIFY(expected.size() > 40000);
        RowReader reader;
        reader.setSource(source);
        const ResultRows head = reader.first(500);
        QCOMPARE(keysOf(head), expected.mid(0, 500));
        QCOMPARE(keysOf(reader.after(head.last(), 500)), expected.mid(500, 500));
        const ResultRows tail = reader.last(500);
        QCOMPARE(keysOf(tail), expected.mid(expected.size() - 500));
        QCOMPARE(keysOf(reader.before(tail.first(), 500)),
                 expected.mid(expected.size() - 1000, 500));
        QCOMPARE(reader.count(), qint64(expected.size()));
    }
}

void TstLazyResultSet::anyOtherTextRunsAsACursor() {
    TestSupport::ExeDir exe;
    const QString path = exe.file("db/Korvane.db3");
    LogFiller::Options options;
    options.lectura = 3000;
    QVERIFY(LogFiller::make(path, options));
    const QString text = "Select Fecha, Word3 From Lectura Where Word3 < 100 Order by Word3, Fecha";
    RowSource source;
    source.path = path;
    source.text = text;
    source.columns = {"Fecha", "Word3"};
    QVERIFY(!source.keyed());
    Peer peer(path);
    const QStringList expected = peer.texts(text);
    QVERIFY(expected.size() > 500);

    RowReader reader;
    reader.setSource(source);
    ResultRows page = reader.first(97);
    QStringList forward = textsOf(page);
    while (page.size() == 97) {
        page = reader.after(page.last(), 97);
        forward += textsOf(page);
    }
    QCOMPARE(forward, expected);
    const ResultRows tail = reader.last(50);
    QCOMPARE(textsOf(tail), expected.mid(expected.size() - 50));
    QCOMPARE(textsOf(reader.before(tail.first(), 50)), expected.mid(expected.size() - 100, 50));
    QCOMPARE(textsOf(reader.at(200, 10)), expected.mid(200, 10));
    QCOMPARE(reader.count(), qint64(expected.size()));
}

// The rows of a set are those stored when it opened, wherever the reader
// goes later; refreshing brings in the new ones.
void TstLazyResultSet::rowsStoredAfterOpeningStayOut() {
    TestSupport::ExeDir exe;
    const QString path = exe.file("db/Korvane.db3");
    LogFiller::Options options;
    options.lectura = 1000;
    QVERIFY(LogFiller::make(path, options));
    TFDM fdm;
    fdm.ensureOpen(path);
    ResultSet &set = fdm.LecturaSQL;
    set.setSQL(ViewerSql::lecturaText({}, "Fecha", false)); // oldest first
    set.open();
    QVERIFY(set.waitForIdle());
    Peer(path).exec("insert into Lectura (Fecha, Word3) values ('2030-01-01 00:00:00', 1)");
    set.last();
    QVERIFY(set.waitForIdle());
    QCOMPARE(set.field("Fecha").toString(), LogFiller::fecha(options, 999));

    RowReader reader;
    reader.setSource(set.source());
    QCOMPARE(reader.count(), qint64(1000));

    set.refresh();
    QVERIFY(set.waitForIdle());
    set.last();
    QVERIFY(set.waitForIdle());
    QCOMPARE(set.field("Fecha").toString(), QString("2030-01-01 00:00:00"));
}

void TstLazyResultSet::windowFetchesInBlocksAndNeverGrowsPastItsSize() {
    TestSupport::ExeDir exe;
    const QString path = exe.file("db/Korvane.db3");
    LogFiller::Options options;
    options.lectura = 10000;
    QVERIFY(LogFiller::make(path, options));
    TFDM fdm;
    fdm.ensureOpen(path);
    ResultSet &set = fdm.LecturaSQL;
    set.setSQL(ViewerSql::lecturaOpening());
    set.open();
    QVERIFY(set.waitForIdle());
    QCOMPARE(set.rowCount(), ResultSet::kBlock);
    QCOMPARE(set.current(), 0);
    QVERIFY(set.bof());
    QCOMPARE(set.field("Fecha").toString(), LogFiller::fecha(options, 9999)); // newest first
    QCOMPARE(fdm.DLectura.rowCount(), ResultSet::kBlock);
    QVERIFY(fdm.DLectura.canFetchMore({}));

    QSignalSpy removed(&set, &ResultSet::rowsAboutToBeRemoved);
    int fetches = 0;
    while (set.canFetchMore()) {
        fdm.DLectura.fetchMore({});
        QVERIFY(set.waitForIdle());
        QVERIFY(set.rowCount() <= ResultSet::kWindow);
        ++fetches;
    }
    QCOMPARE(fetches, 10000 / ResultSet::kBlock);
    QVERIFY(set.atEnd() && !set.atStart());
    QCOMPARE(set.rowCount(), ResultSet::kWindow);
    QVERIFY(!removed.isEmpty());
    QCOMPARE(set.value(set.rowCount() - 1, "Fecha").toString(), LogFiller::fecha(options, 0));
    QCOMPARE(fdm.DLectura.rowCount(), ResultSet::kWindow);

    // Going back up brings the earlier rows in again and lets the last go.
    while (set.canFetchBefore()) {
        set.fetchBefore();
        QVERIFY(set.waitForIdle());
    }
    QVERIFY(set.atStart() && !set.atEnd());
    QCOMPARE(set.value(0, "Fecha").toString(), LogFiller::fecha(options, 9999));
    QCOMPARE(set.value(1, "Fecha").toString(), LogFiller::fecha(options, 9998));
}

void TstLazyResultSet::navigatorReachesTheEndsWithoutTheRowsBetween() {
    TestSupport::ExeDir exe;
    const QString path = exe.file("db/Korvane.db3");
    LogFiller::Options options;
    options.lectura = 20000;
    QVERIFY(LogFiller::make(path, options));
    TFDM fdm;
    fdm.ensureOpen(path);
    ResultSet &set = fdm.LecturaSQL;
    set.setSQL(ViewerSql::lecturaText({}, "Word3", false));
    set.open();
    QVERIFY(set.waitForIdle());

    Peer peer(path);
    const QList<qint64> order =
        peer.keys("select rowid from Lectura order by Word3 asc, rowid asc");
    // Every Fecha is unique here: it tells the rowid of the current row.
    auto currentKey = [&] {
        QDateTime t = QDateTime::fromString(set.field("Fecha").toString(), "yyyy-MM-dd HH:mm:ss");
        t.setTimeZone(QTimeZone::utc());
        return options.start.secsTo(t) / options.stepSeconds + 1;
    };

    set.last();
    QVERIFY(set.waitForIdle());
    QVERIFY(set.eof());
    QVERIFY(set.rowCount() <= ResultSet::kBlock);
    QCOMPARE(currentKey(), order.last());

    // Stepping back across the start of the window fetches the rows before it.
    const int held = set.rowCount();
    for (int i = 0; i < held + 5; ++i) {
        set.prior();
        QVERIFY(set.waitForIdle());
    }
    QCOMPARE(currentKey(), order.at(order.size() - 1 - held - 5));
    for (int i = 0; i < 5; ++i) {
        set.next();
        QVERIFY(set.waitForIdle());
    }
    QCOMPARE(currentKey(), order.at(order.size() - 1 - held));

    set.first();
    QVERIFY(set.waitForIdle());
    QVERIFY(set.bof());
    QCOMPARE(currentKey(), order.first());
    set.prior(); // stays
    QVERIFY(set.waitForIdle());
    QCOMPARE(set.current(), 0);
}

void TstLazyResultSet::refreshShowsNewRowsAndKeepsThePlace() {
    TestSupport::ExeDir exe;
    const QString path = exe.file("db/Korvane.db3");
    LogFiller::Options options;
    options.lectura = 2000;
    QVERIFY(LogFiller::make(path, options));
    TFDM fdm;
    fdm.ensureOpen(path);
    ResultSet &set = fdm.LecturaSQL;
    set.setSQL(ViewerSql::lecturaOpening());
    set.open();
    QVERIFY(set.waitForIdle());
    set.moveTo(3);
    Peer(path).exec("insert into Lectura (Fecha) values ('2030-01-01 00:00:00')");
    QCOMPARE(set.value(0, "Fecha").toString(), LogFiller::fecha(options, 1999));
    set.refresh();
    QVERIFY(set.waitForIdle());
    QCOMPARE(set.value(0, "Fecha").toString(), QString("2030-01-01 00:00:00"));
    QCOMPARE(set.current(), 3);

    // Away from the start, the current row stays current.
    set.last();
    QVERIFY(set.waitForIdle());
    set.prior();
    const QString before = set.field("Fecha").toString();
    set.refresh();
    QVERIFY(set.waitForIdle());
    QCOMPARE(set.field("Fecha").toString(), before);
    set.next();
    QVERIFY(set.waitForIdle());
    QVERIFY(set.eof());
    QCOMPARE(set.field("Fecha").toString(), LogFiller::fecha(options, 0));
}

// A query that takes its time leaves the window thread free; cancelling it
// interrupts the database at once.
void TstLazyResultSet::slowQueriesRunInTheBackgroundAndCanBeCancelled() {
    TestSupport::ExeDir exe;
    TFDM fdm;
    fdm.ensureOpen(exe.file("db/Korvane.db3"));
    ResultSet &set = fdm.LecturaSQL;
    QSignalSpy busy(&set, &ResultSet::busyChanged);
    // Counting without end: its first row never comes.
    set.setSQL("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) "
               "SELECT count(*) AS n FROM c");
    QElapsedTimer clock;
    clock.start();
    set.open();
    QVERIFY(clock.elapsed() < 1000);
    QVERIFY(set.isOpen());
    QVERIFY(set.isBusy());
    QCOMPARE(busy.count(), 1);
    QCOMPARE(set.columnNames(), QStringList({"n"}));
    QVERIFY(!set.waitForIdle(200));

    set.cancel();
    QVERIFY(!set.isBusy());
    QVERIFY(!set.isOpen()); // nothing had come: the query closes
    QCOMPARE(busy.count(), 2);

    // The reader is free again at once.
    set.setSQL(ViewerSql::escrituraOpening());
    clock.restart();
    set.open();
    QVERIFY(set.waitForIdle(5000));
    QVERIFY(clock.elapsed() < 5000);
    QVERIFY(set.isOpen());
}

void TstLazyResultSet::aFailingFetchClosesTheSetAndSaysWhy() {
    TestSupport::ExeDir exe;
    const QString path = exe.file("db/Korvane.db3");
    TFDM fdm;
    fdm.ensureOpen(path);
    ResultSet &set = fdm.EscrituraSQL;

    // A text that fails to prepare fails at once.
    set.setSQL("Select * From Nada Order by Fecha Desc;");
    try {
        set.open();
        QFAIL("no error");
    } catch (const AppError &e) {
        QCOMPARE(e.text(), QString("no such table: Nada"));
    }
    QVERIFY(!set.isOpen());

    // One that fails while its rows are read: closed, with the message.
    QSignalSpy failed(&set, &ResultSet::failed);
    set.setSQL("Select abs(-9223372036854775807 - 1) AS n");
    set.open();
    QVERIFY(set.waitForIdle());
    QCOMPARE(failed.count(), 1);
    QCOMPARE(failed.at(0).at(0).toString(), QString("integer overflow"));
    QVERIFY(!set.isOpen());
    QCOMPARE(set.rowCount(), 0);
}

QTEST_GUILESS_MAIN(TstLazyResultSet)
#include "tst_lazy_result_set.moc"
