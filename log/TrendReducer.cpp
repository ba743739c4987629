#include "log/TrendReducer.h"

#include "log/ReadOnlyLog.h"
#include "log/TrendTime.h"

#include <algorithm>
#include <cmath>

namespace TrendReducer {
namespace {

#define KORVANE_ROW_COLUMNS                                                                        \
    "Fecha,Bit1,Bit2,Bit3,Bit4,Bit5,Bit6,Bit7,Bit8,Bit9,Bit10,Bit11,Bit12,Bit13,Bit14,Bit15,"      \
    "Bit16,Word3,Word4,Word5,Word6"
#define KORVANE_SUMMARY_COLUMNS                                                                    \
    "Filas,Ult3,Ult4,Ult5,Ult6,Min3,Min4,Min5,Min6,Max3,Max4,Max5,Max6,Si,No,UltEnt"

constexpr char kBefore[] =
    "SELECT " KORVANE_ROW_COLUMNS " FROM Lectura WHERE Fecha < ?1 ORDER BY Fecha DESC LIMIT 1";
constexpr char kRows[] =
    "SELECT " KORVANE_ROW_COLUMNS " FROM Lectura WHERE Fecha >= ?1 AND Fecha <= ?2 ORDER BY Fecha";
constexpr char kMinutes[] = "SELECT Minuto," KORVANE_SUMMARY_COLUMNS
                            " FROM LecturaMinuto WHERE Minuto >= ?1 AND Minuto <= ?2 "
                            "ORDER BY Minuto";
constexpr char kHours[] = "SELECT Hora," KORVANE_SUMMARY_COLUMNS
                          " FROM LecturaHora WHERE Hora >= ?1 AND Hora <= ?2 ORDER BY Hora";
constexpr char kRowsEstimate[] =
    "SELECT total(Filas) FROM LecturaHora WHERE Hora >= ?1 AND Hora <= ?2";

// One row of Lectura as an entry; false when its date cannot be read.
bool rowEntry(const Statement &s, TrendEntry &e) {
    int length = 0;
    const char *fecha = s.text(0, length);
    const auto t = TrendTime::parse(fecha, length);
    if (!t)
        return false;
    e = TrendEntry();
    e.t = *t;
    e.rows = 1;
    quint16 on = 0;
    for (int n = 1; n <= 16; ++n) {
        const char *bit = s.text(n, length);
        if (length == 2 && bit[0] == 'S' && bit[1] == 'i')
            on |= quint16(1u << (n - 1));
    }
    e.anyOn = e.lastInputs = on;
    e.anyOff = quint16(~on);
    for (int k = 0; k < 4; ++k) {
        const int w = s.integer(17 + k);
        e.last[k] = w;
        e.min[k] = e.max[k] = w;
    }
    return true;
}

// One row of a summary table as an entry covering its period.
bool summaryEntry(const Statement &s, TrendEntry &e) {
    int length = 0;
    const char *key = s.text(0, length);
    const auto t = TrendTime::parse(key, length);
    if (!t)
        return false;
    e = TrendEntry();
    e.t = *t;
    e.rows = s.integer(1);
    for (int k = 0; k < 4; ++k) {
        e.last[k] = s.integer(2 + k);
        e.min[k] = s.integer(6 + k); // NULL (every row 0) reads as 0
        e.max[k] = s.integer(10 + k);
    }
    e.anyOn = quint16(s.integer(14));
    e.anyOff = quint16(s.integer(15));
    e.lastInputs = quint16(s.integer(16));
    return true;
}

int lowestNonZero(int a, int b) {
    return a == 0 ? b : b == 0 ? a : std::min(a, b);
}

// Folds a later entry into an earlier one of the same column.
void merge(TrendEntry &into, const TrendEntry &e) {
    if (into.rows == 0) {
        into = e;
        return;
    }
    into.rows += e.rows;
    for (int k = 0; k < 4; ++k) {
        into.last[k] = e.last[k];
        into.min[k] = lowestNonZero(into.min[k], e.min[k]);
        into.max[k] = std::max(into.max[k], e.max[k]);
    }
    into.anyOn |= e.anyOn;
    into.anyOff |= e.anyOff;
    into.lastInputs = e.lastInputs;
}

// Entries gathered per pixel column.
class Columns {
public:
    Columns(qint64 from, qint64 to, int count)
        : m_from(from), m_span(double(to - from) / count), m_cells(size_t(count)) {}
    void add(TrendEntry e) {
        if (e.t < m_from)
            e.t = m_from; // a period that starts before the range
        const auto c = std::clamp<qint64>(qint64(std::floor(double(e.t - m_from) / m_span)), 0,
                                          qint64(m_cells.size()) - 1);
        merge(m_cells[size_t(c)], e);
    }
    std::vector<TrendEntry> take() {
        std::vector<TrendEntry> out;
        for (auto &cell : m_cells)
            if (cell.rows > 0)
                out.push_back(cell);
        return out;
    }

private:
    qint64 m_from;
    double m_span;
    std::vector<TrendEntry> m_cells;
};

QByteArray key(qint64 t, int length) {
    return TrendTime::text(t).left(length);
}

// Fails the reduction with the library's message, unless it was called off.
void failed(TrendData &d, ReadOnlyLog &log, const std::function<bool()> &cancelled) {
    if (cancelled && cancelled())
        d.cancelled = true;
    else
        d.error = QStringLiteral("No se pudo leer el registro: ") + log.errorString();
}

} // namespace

TrendData reduce(ReadOnlyLog &log, const TrendRequest &request,
                 const std::function<bool()> &cancelled) {
    TrendData d;
    d.columns = std::max(1, request.columns);
    if (!log.isOpen()) {
        d.error = QStringLiteral("No se pudo abrir la base de datos: ") + log.errorString();
        return d;
    }
    log.setCancel(cancelled);
    struct Uncancel {
        ReadOnlyLog &log;
        ~Uncancel() { log.setCancel({}); }
    } uncancel{log};

    d.summaryAvailable = log.hasSummary();
    d.from = request.from;
    d.to = request.to;
    if (request.wholeLog) {
        // Two queries: SQLite answers a lone min() or max() with one step
        // down the Fecha index, but both in one query with a full scan.
        Statement first(log, "SELECT min(Fecha) FROM Lectura");
        Statement last(log, "SELECT max(Fecha) FROM Lectura");
        if (!first.step() || !last.step()) {
            failed(d, log, cancelled);
            return d;
        }
        int length = 0;
        const char *text = first.text(0, length);
        const auto oldest = TrendTime::parse(text, length);
        text = last.text(0, length);
        const auto newest = TrendTime::parse(text, length);
        d.to = std::max(request.now, newest.value_or(request.now));
        d.from = oldest.value_or(d.to - 86400);
    }
    if (d.to <= d.from)
        d.to = d.from + 1;
    d.holdUntil = std::clamp(request.now, d.from, d.to);

    {
        Statement before(log, kBefore);
        before.bind(1, TrendTime::text(d.from));
        TrendEntry e;
        if (before.step() && rowEntry(before, e))
            d.before = e;
        if (before.failed()) {
            failed(d, log, cancelled);
            return d;
        }
    }

    const double span = double(d.to - d.from) / d.columns;
    if (d.summaryAvailable) {
        Statement estimate(log, kRowsEstimate);
        estimate.bind(1, key(d.from, 13));
        estimate.bind(2, key(d.to, 13));
        const bool many = estimate.step() && estimate.integer(0) > kExactRows;
        if (many && span >= 3600)
            d.source = TrendData::Source::Hours;
        else if (many && span >= 60)
            d.source = TrendData::Source::Minutes;
    }

    Columns columns(d.from, d.to, d.columns);
    int sinceCheck = 0;
    if (d.source == TrendData::Source::Rows) {
        Statement rows(log, kRows);
        rows.bind(1, TrendTime::text(d.from));
        rows.bind(2, TrendTime::text(d.to));
        TrendEntry e;
        while (rows.step()) {
            if (!rowEntry(rows, e))
                continue;
            ++d.rows;
            if (d.exact) {
                if (d.rows <= kExactRows) {
                    d.entries.push_back(e);
                } else {
                    d.exact = false;
                    d.entries = {};
                }
            }
            columns.add(e);
            if (++sinceCheck == 4096) {
                sinceCheck = 0;
                if (cancelled && cancelled())
                    break;
            }
        }
        if (rows.failed() || (cancelled && cancelled())) {
            failed(d, log, cancelled);
            d.entries = {};
            return d;
        }
        if (!d.exact)
            d.entries = columns.take();
        return d;
    }

    const bool hours = d.source == TrendData::Source::Hours;
    const int keyLength = hours ? 13 : 16;
    Statement periods(log, hours ? kHours : kMinutes);
    periods.bind(1, key(d.from, keyLength));
    periods.bind(2, key(d.to, keyLength));
    d.exact = false;
    TrendEntry e;
    while (periods.step()) {
        if (!summaryEntry(periods, e))
            continue;
        d.rows += e.rows;
        columns.add(e);
    }
    if (periods.failed()) {
        failed(d, log, cancelled);
        return d;
    }
    d.entries = columns.take();
    return d;
}

} // namespace TrendReducer
