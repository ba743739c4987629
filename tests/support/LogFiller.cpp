#include "tests/support/LogFiller.h"

#include "tests/support/TestSupport.h"

#include <QFile>
#include <QStringList>
#include <ctime>
#include <sqlite3.h>

namespace LogFiller {

int word(qint64 i, int n) {
    if (n == 1)
        return int(i % 256);
    if (n == 2)
        return int((i / 256) % 256);
    // A multiplicative hash: every value comes back often, in no order.
    const quint64 h = quint64(i + 1) * 0x9E3779B97F4A7C15ull;
    return int((h >> (8 * n)) & 0xFF);
}

QString fecha(const Options &options, qint64 i) {
    return options.start.addSecs(i * options.stepSeconds).toString("yyyy-MM-dd HH:mm:ss");
}

namespace {

bool exec(sqlite3 *db, const char *sql, QString *error) {
    char *message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    if (error)
        *error = QString::fromUtf8(message ? message : "sqlite3_exec");
    sqlite3_free(message);
    return false;
}

// A statement's text without the comments that lead it.
QString withoutLeadingComments(QString text) {
    for (;;) {
        text = text.trimmed();
        if (text.startsWith("--")) {
            const qsizetype end = text.indexOf(u'\n');
            text = end < 0 ? QString() : text.mid(end + 1);
        } else if (text.startsWith("/*")) {
            const qsizetype end = text.indexOf("*/");
            text = end < 0 ? QString() : text.mid(end + 2);
        } else {
            return text;
        }
    }
}

void formatFecha(time_t t, char *out) {
    struct tm parts;
    gmtime_r(&t, &parts);
    std::strftime(out, 20, "%Y-%m-%d %H:%M:%S", &parts);
}

} // namespace

bool make(const QString &path, const Options &options, QString *error) {
    QFile::remove(path);
    QFile::remove(path + "-wal");
    QFile::remove(path + "-shm");
    const QByteArray schema =
        TestSupport::readFile(TestSupport::sourceDir() + "/assets/db/schema.sql");
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        if (error)
            *error = QStringLiteral("cannot create ") + path;
        sqlite3_close(db);
        return false;
    }

    // The schema's statements, the indexes kept for after the rows.
    QStringList indexes;
    const char *tail = schema.constData();
    const char *const end = tail + schema.size();
    bool ok = true;
    while (ok && tail < end) {
        sqlite3_stmt *stmt = nullptr;
        const char *start = tail;
        if (sqlite3_prepare_v2(db, start, int(end - start), &stmt, &tail) != SQLITE_OK) {
            ok = false;
            if (error)
                *error = QString::fromUtf8(sqlite3_errmsg(db));
            break;
        }
        if (!stmt)
            continue;
        const QString text = withoutLeadingComments(QString::fromUtf8(sqlite3_sql(stmt)));
        const bool log = text.startsWith("CREATE TABLE Lectura ", Qt::CaseInsensitive) ||
                         text.startsWith("CREATE TABLE Escritura ", Qt::CaseInsensitive);
        const bool summary = text.startsWith("CREATE TRIGGER", Qt::CaseInsensitive) ||
                             (text.startsWith("CREATE TABLE", Qt::CaseInsensitive) && !log);
        if (summary && !options.summaries) {
            // left out
        } else if (text.startsWith("CREATE INDEX", Qt::CaseInsensitive)) {
            if (options.sortIndexes || text.contains("_Fecha"))
                indexes << text;
        } else {
            while (sqlite3_step(stmt) == SQLITE_ROW) {
            }
        }
        sqlite3_finalize(stmt);
    }

    // No journal while filling: the file is new, and a failed fill is thrown away.
    ok = ok && exec(db,
                    "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; "
                    "PRAGMA cache_size=-262144; BEGIN",
                    error);
    const time_t start = time_t(options.start.toSecsSinceEpoch());
    char date[24];
    sqlite3_stmt *insert = nullptr;
    if (ok && options.lectura > 0) {
        ok = sqlite3_prepare_v2(db,
                                "insert into Lectura values(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,"
                                "?,?,?,?)",
                                -1, &insert, nullptr) == SQLITE_OK;
        for (qint64 i = 0; ok && i < options.lectura; ++i) {
            formatFecha(start + time_t(i) * options.stepSeconds, date);
            sqlite3_bind_text(insert, 1, date, -1, SQLITE_TRANSIENT);
            const int w1 = word(i, 1), w2 = word(i, 2);
            for (int n = 0; n < 16; ++n) {
                const bool on = n < 8 ? (w1 >> n) & 1 : (w2 >> (n - 8)) & 1;
                sqlite3_bind_text(insert, 2 + n, on ? "Si" : "-", -1, SQLITE_STATIC);
            }
            for (int n = 1; n <= 6; ++n)
                sqlite3_bind_int(insert, 17 + n, word(i, n));
            ok = sqlite3_step(insert) == SQLITE_DONE;
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        insert = nullptr;
    }
    if (ok && options.escritura > 0) {
        ok = sqlite3_prepare_v2(db, "insert into Escritura values(?,?,?,?,?,?,?,?,?)", -1, &insert,
                                nullptr) == SQLITE_OK;
        for (qint64 i = 0; ok && i < options.escritura; ++i) {
            formatFecha(start + time_t(i) * options.stepSeconds, date);
            sqlite3_bind_text(insert, 1, date, -1, SQLITE_TRANSIENT);
            const int output = word(i, 3) % 8;
            for (int n = 0; n < 8; ++n)
                sqlite3_bind_text(insert, 2 + n, n == output ? "Si" : "-", -1, SQLITE_STATIC);
            ok = sqlite3_step(insert) == SQLITE_DONE;
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
    }
    if (!ok && error && error->isEmpty())
        *error = QString::fromUtf8(sqlite3_errmsg(db));
    ok = ok && exec(db, "COMMIT", error);
    for (const QString &index : std::as_const(indexes))
        ok = ok && exec(db, index.toUtf8().constData(), error);
    ok = ok && exec(db, "PRAGMA journal_mode=WAL", error);
    sqlite3_close_v2(db);
    return ok;
}

} // namespace LogFiller
