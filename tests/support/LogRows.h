#pragma once

#include "log/TrendTime.h"
#include "tests/support/TestSupport.h"

#include <QFile>
#include <QString>
#include <array>
#include <sqlite3.h>

namespace TestSupport {

// A log database made from the installed schema, filled quickly through one
// prepared statement: rows as the logger stores them, with the summary
// trigger at work unless the file is made without it.
class LogRows {
public:
    explicit LogRows(const QString &path, bool withSummary = true) {
        QFile::remove(path);
        sqlite3_open(QFile::encodeName(path).constData(), &m_db);
        exec(readFile(sourceDir() + "/assets/db/schema.sql"));
        if (!withSummary)
            exec("DROP TRIGGER LecturaResumen; DROP TABLE LecturaMinuto; DROP TABLE LecturaHora;");
        sqlite3_prepare_v2(
            m_db,
            "insert into Lectura (Fecha,bit1,bit2,bit3,bit4,bit5,bit6,bit7,bit8,"
            "bit9,bit10,bit11,bit12,bit13,bit14,bit15,bit16,word1,word2,word3,"
            "word4,word5,word6) values(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
            -1, &m_insert, nullptr);
    }
    ~LogRows() {
        sqlite3_finalize(m_insert);
        sqlite3_close_v2(m_db);
    }
    LogRows(const LogRows &) = delete;
    LogRows &operator=(const LogRows &) = delete;

    bool exec(const QByteArray &sql) {
        return sqlite3_exec(m_db, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    void begin() { exec("BEGIN"); }
    void commit() { exec("COMMIT"); }

    // One Lectura row at time t: inputs bit n-1 for input n, Word3..Word6.
    void add(qint64 t, quint16 inputs, const std::array<int, 4> &words) {
        const QByteArray fecha = TrendTime::text(t);
        sqlite3_bind_text(m_insert, 1, fecha.constData(), -1, SQLITE_TRANSIENT);
        for (int n = 1; n <= 16; ++n)
            sqlite3_bind_text(m_insert, 1 + n, (inputs >> (n - 1)) & 1 ? "Si" : "-", -1,
                              SQLITE_STATIC);
        sqlite3_bind_int(m_insert, 18, inputs & 0xFF);
        sqlite3_bind_int(m_insert, 19, inputs >> 8);
        for (int k = 0; k < 4; ++k)
            sqlite3_bind_int(m_insert, 20 + k, words[size_t(k)]);
        sqlite3_step(m_insert);
        sqlite3_reset(m_insert);
    }
    void addCommand(qint64 t, int output) {
        QByteArray sql = "insert into Escritura values('" + TrendTime::text(t) + "'";
        for (int n = 1; n <= 8; ++n)
            sql += n == output ? ",'Si'" : ",'-'";
        exec(sql + ")");
    }
    sqlite3 *db() const { return m_db; }

private:
    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_insert = nullptr;
};

} // namespace TestSupport
