#include "common/AppError.h"
#include "log/LogStatements.h"
#include "log/TFDM.h"
#include "tests/support/TestSupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QtTest>
#include <sqlite3.h>

namespace {

// A second connection of its own, to look at the file as another program would.
QVariant scalar(const QString &dbPath, const QString &sql) {
    sqlite3 *db = nullptr;
    QVariant result;
    if (sqlite3_open_v2(QFile::encodeName(dbPath).constData(), &db, SQLITE_OPEN_READWRITE,
                        nullptr) == SQLITE_OK) {
        sqlite3_stmt *stmt = nullptr;
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr) == SQLITE_OK &&
            sqlite3_step(stmt) == SQLITE_ROW)
            result =
                QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)));
        sqlite3_finalize(stmt);
    }
    sqlite3_close_v2(db);
    return result;
}

QString thrownText(const std::function<void()> &fn) {
    try {
        fn();
    } catch (const AppError &e) {
        return e.text();
    }
    return QString();
}

} // namespace

class TstLogDatabase : public QObject {
    Q_OBJECT

private slots:
    void statementTexts();
    void openingNeverCreatesAndFollowsThePath();
    void lastRowIsTheLastInserted();
    void statementFailuresCarryTheLibraryMessage();
    void resultSetBrowsesAndRefreshes();
    void installedDatabaseHasBothTables();
    void aLongReaderNeverHoldsUpAnInsert();
};

void TstLogDatabase::installedDatabaseHasBothTables() {
    // The file the build lays beside the program, whatever rows it holds.
    const QString installed = TestSupport::bundleDir() + "/db/Korvane.db3";
    QCOMPARE(scalar(installed, "select count(*) from pragma_table_info('Lectura')").toInt(), 23);
    QCOMPARE(scalar(installed, "select count(*) from pragma_table_info('Escritura')").toInt(), 9);
    QCOMPARE(scalar(installed, "select type from pragma_table_info('Lectura') where name='Word6'")
                 .toString(),
             QString("INTEGER"));
    QCOMPARE(scalar(installed, "select type from pragma_table_info('Lectura') where name='Bit1'")
                 .toString(),
             QString("TEXT"));
}

void TstLogDatabase::statementTexts() {
    DeviceImage image;
    image.regs = {1, 2, 0, 128, 255, 7};
    const InputState inputs = InputState::fromImage(image); // inputs 1 and 10 on
    QCOMPARE(
        LogStatements::lecturaInsert(inputs, image),
        QStringList({QStringLiteral("insert into Lectura "
                                    "(Fecha,bit1,bit2,bit3,bit4,bit5,bit6,bit7,bit8,bit9,"
                                    "bit10,bit11,bit12,bit13,bit14,bit15,bit16,word1,word2,"
                                    "word3,word4,word5,word6)"),
                     QStringLiteral("values(datetime(\"now\",\"localtime\"),\"Si\",\"-\",\"-\","
                                    "\"-\",\"-\",\"-\",\"-\",\"-\",\"-\",\"Si\",\"-\",\"-\","
                                    "\"-\",\"-\",\"-\",\"-\",1,2,0,128,255,7);")}));

    const QString head =
        QStringLiteral("Insert into Escritura (Fecha,Bit1,Bit2,Bit3,Bit4,Bit5,Bit6,Bit7,Bit8)");
    QCOMPARE(
        LogStatements::escrituraInsert(1),
        QStringList({head, QStringLiteral("Values(datetime(\"now\",\"localtime\"),\"Si\",\"-\","
                                          "\"-\",\"-\",\"-\",\"-\",\"-\",\"-\");")}));
    QCOMPARE(LogStatements::escrituraInsert(8).at(1),
             QStringLiteral("Values(datetime(\"now\",\"localtime\"),\"-\",\"-\",\"-\",\"-\",\"-\","
                            "\"-\",\"-\",\"Si\");"));
}

void TstLogDatabase::openingNeverCreatesAndFollowsThePath() {
    TestSupport::ExeDir exe;
    const QString first = exe.file("db/Korvane.db3");
    const QString second = exe.file("db/Otra.db3");
    QVERIFY(QFile::copy(first, second));
    TFDM fdm;

    const QString missing = exe.file("db/NoExiste.db3");
    QCOMPARE(thrownText([&] { fdm.ensureOpen(missing); }),
             QStringLiteral("unable to open database file"));
    QVERIFY(!fdm.isOpen());
    QVERIFY(!QFile::exists(missing));

    fdm.ensureOpen(first);
    QVERIFY(fdm.isOpen());
    sqlite3 *const connection = fdm.Conexion;
    fdm.ensureOpen(first);
    QCOMPARE(fdm.Conexion, connection); // the same path keeps the connection

    // Another path moves the connection there.
    fdm.ensureOpen(second);
    fdm.SQLEntrada.run(LogStatements::escrituraInsert(3));
    QCOMPARE(scalar(second, "select count(*) from Escritura").toInt(), 1);
    QCOMPARE(scalar(first, "select count(*) from Escritura").toInt(), 0);

    // The file taken away while open: the connection is not kept on the
    // vanished file, and opening again fails until it is back.
    QVERIFY(QFile::rename(second, second + ".fuera"));
    QCOMPARE(thrownText([&] { fdm.ensureOpen(second); }),
             QStringLiteral("unable to open database file"));
    QVERIFY(!fdm.isOpen());
    QVERIFY(QFile::rename(second + ".fuera", second));
    fdm.ensureOpen(second);
    fdm.SQLEntrada.run(LogStatements::escrituraInsert(4));
    QCOMPARE(scalar(second, "select count(*) from Escritura").toInt(), 2);
}

void TstLogDatabase::lastRowIsTheLastInserted() {
    TestSupport::ExeDir exe;
    TFDM fdm;
    fdm.ensureOpen(exe.file("db/Korvane.db3"));
    QVERIFY(!fdm.lastLectura().has_value());

    // Insertion order, not date order, decides which row is the latest.
    fdm.SQLEntrada.run({"insert into Lectura (Fecha,Word1,Word2,Word3,Word4,Word5,Word6)",
                        "values(\"2030-01-01 00:00:00\",1,2,3,4,5,6);"});
    fdm.SQLEntrada.run({"insert into Lectura (Fecha,Word1,Word2,Word3,Word4,Word5,Word6)",
                        "values(\"2001-01-01 00:00:00\",10,20,30,40,50,60);"});
    auto last = fdm.lastLectura();
    QVERIFY(last.has_value());
    QCOMPARE(*last, (TFDM::Words{10, 20, 30, 40, 50, 60}));

    // A word that is not a number matches no register.
    fdm.SQLEntrada.run({"insert into Lectura (Fecha,Word1,Word2,Word3,Word4,Word5,Word6)",
                        "values(\"2001-01-01 00:00:01\",NULL,\"x\",3,4,5,6);"});
    last = fdm.lastLectura();
    QCOMPARE((*last)[0], TFDM::kNotAWord);
    QCOMPARE((*last)[1], TFDM::kNotAWord);
    QCOMPARE((*last)[2], 3);
}

void TstLogDatabase::statementFailuresCarryTheLibraryMessage() {
    TestSupport::ExeDir exe;
    TFDM fdm;
    fdm.ensureOpen(exe.file("db/Korvane.db3"));
    QCOMPARE(thrownText([&] {
                 fdm.SQLEntrada.run({"insert into Nada", "values(1);"});
             }),
             QStringLiteral("no such table: Nada"));
    // The connection stays usable after a failed statement.
    fdm.SQLEntrada.run(LogStatements::escrituraInsert(2));
    QCOMPARE(fdm.SQLEntrada.text(), LogStatements::escrituraInsert(2).join(u'\n'));

    // A file that is not a database opens (SQLite reads lazily) but fails at use.
    const QString junk = exe.file("db/Basura.db3");
    TestSupport::writeFile(junk, QByteArray(4096, 'x'));
    fdm.ensureOpen(junk);
    QCOMPARE(thrownText([&] { fdm.lastLectura(); }), QStringLiteral("file is not a database"));
}

void TstLogDatabase::resultSetBrowsesAndRefreshes() {
    TestSupport::ExeDir exe;
    TFDM fdm;
    fdm.ensureOpen(exe.file("db/Korvane.db3"));
    for (int n : {1, 5, 8})
        fdm.SQLEntrada.run(LogStatements::escrituraInsert(n));

    ResultSet &set = fdm.EscrituraSQL;
    set.setSQL("Select * From Escritura Order by Bit5 Desc;");
    set.open();
    QVERIFY(set.waitForIdle()); // rows come in blocks from a reader of their own
    QVERIFY(set.isOpen());
    QCOMPARE(set.columnNames(), QStringList({"Fecha", "Bit1", "Bit2", "Bit3", "Bit4", "Bit5",
                                             "Bit6", "Bit7", "Bit8"}));
    QCOMPARE(set.rowCount(), 3);
    QCOMPARE(set.current(), 0);
    QCOMPARE(set.field("bit5").toString(), QStringLiteral("Si")); // any letter case
    QVERIFY(QRegularExpression("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$")
                .match(set.field("FECHA").toString())
                .hasMatch());

    set.last();
    QCOMPARE(set.current(), 2);
    set.next(); // stays on the last row
    QVERIFY(set.eof());
    set.prior();
    QCOMPARE(set.current(), 1);

    // Rows stored meanwhile appear only on refresh, which keeps the position.
    fdm.SQLEntrada.run(LogStatements::escrituraInsert(2));
    QCOMPARE(set.rowCount(), 3);
    set.refresh();
    QVERIFY(set.waitForIdle());
    QCOMPARE(set.rowCount(), 4);
    QCOMPARE(set.current(), 1);
    QCOMPARE(fdm.DEscritura.rowCount(), 4);
    QCOMPARE(fdm.DEscritura.headerData(5, Qt::Horizontal).toString(), QStringLiteral("Bit5"));

    // Replacing the text closes the query; a failing text leaves it closed and empty.
    set.setSQL("Select * From Nada;");
    QVERIFY(!set.isOpen());
    QCOMPARE(set.rowCount(), 0);
    QCOMPARE(thrownText([&] { set.open(); }), QStringLiteral("no such table: Nada"));
    QVERIFY(!set.isOpen());
    QCOMPARE(fdm.DEscritura.rowCount(), 0);
    QCOMPARE(fdm.DEscritura.columnCount(), 0);

    set.setSQL("Select * From Escritura Order by Fecha Desc;");
    set.open();
    set.close();
    QCOMPARE(set.rowCount(), 0);
    QCOMPARE(set.current(), -1);
}

void TstLogDatabase::aLongReaderNeverHoldsUpAnInsert() {
    TestSupport::ExeDir exe;
    const QString path = exe.file("db/Korvane.db3");
    QCOMPARE(scalar(path, "pragma journal_mode").toString(), QStringLiteral("wal"));
    TFDM fdm;
    fdm.ensureOpen(path);
    for (int n = 1; n <= 3; ++n)
        fdm.SQLEntrada.run(LogStatements::escrituraInsert(n));

    // Another connection stops half-way through reading the log, as a
    // window that walks years of rows in blocks would.
    sqlite3 *reader = nullptr;
    QCOMPARE(sqlite3_open_v2(QFile::encodeName(path).constData(), &reader, SQLITE_OPEN_READONLY,
                             nullptr),
             SQLITE_OK);
    sqlite3_stmt *stmt = nullptr;
    QCOMPARE(sqlite3_prepare_v2(reader, "select * from Escritura", -1, &stmt, nullptr), SQLITE_OK);
    QCOMPARE(sqlite3_step(stmt), SQLITE_ROW);

    // The insert goes through at once, without waiting for the reader.
    fdm.setBusyTimeoutMs(0);
    QElapsedTimer clock;
    clock.start();
    fdm.SQLEntrada.run(LogStatements::escrituraInsert(4));
    QVERIFY(clock.elapsed() < 1000);
    sqlite3_finalize(stmt);
    sqlite3_close_v2(reader);
    QCOMPARE(scalar(path, "select count(*) from Escritura").toInt(), 4);

    // A database made before write-ahead logging is switched to it on opening.
    const QString old = exe.file("db/Antigua.db3");
    sqlite3 *db = nullptr;
    sqlite3_open(QFile::encodeName(old).constData(), &db);
    sqlite3_exec(db, "create table Escritura (Fecha,Bit1,Bit2,Bit3,Bit4,Bit5,Bit6,Bit7,Bit8)",
                 nullptr, nullptr, nullptr);
    sqlite3_close(db);
    QCOMPARE(scalar(old, "pragma journal_mode").toString(), QStringLiteral("delete"));
    fdm.ensureOpen(old);
    QCOMPARE(scalar(old, "pragma journal_mode").toString(), QStringLiteral("wal"));
}

QTEST_GUILESS_MAIN(TstLogDatabase)
#include "tst_log_database.moc"
