#pragma once

#include <QString>
#include <QtGlobal>
#include <array>
#include <optional>
#include <vector>

// What the trend window draws: the rows of Lectura in a time range, either
// one entry per row or, when there are more rows than the plot can show,
// one entry per pixel column holding what the column must show. Times are
// seconds on the scale of TrendTime. The analog words are raw (Word3..Word6),
// 0 meaning "no value", as the panels show "--".
struct TrendEntry {
    qint64 t = 0; // the entry's first row (or period) in time
    int rows = 0;
    // Per analog value 1..4 (index 0..3): the last raw word of the entry and
    // the lowest and highest word other than 0 (both 0 when every row held 0).
    std::array<int, 4> last{};
    std::array<int, 4> min{};
    std::array<int, 4> max{};
    // Inputs, bit n-1 for input n: on in some row, off in some row, and as
    // the entry's last row left them.
    quint16 anyOn = 0;
    quint16 anyOff = 0;
    quint16 lastInputs = 0;

    bool inputOn(int n) const { return lastInputs >> (n - 1) & 1; }
};

struct TrendData {
    enum class Source { Rows, Minutes, Hours };

    qint64 from = 0;
    qint64 to = 0;
    // Values hold until here: the end of the range, or the present when the
    // range reaches past it.
    qint64 holdUntil = 0;
    int columns = 0;
    bool exact = true; // one entry per row
    Source source = Source::Rows;
    bool summaryAvailable = false;
    qint64 rows = 0; // rows of Lectura in the range
    // The last row before the range: its values hold into the range.
    std::optional<TrendEntry> before;
    std::vector<TrendEntry> entries;
    QString error; // the range could not be read: why
    bool cancelled = false;

    // The entry whose values are in force at time t (the row before the
    // range included); nullptr before any row.
    const TrendEntry *at(qint64 t) const;
    bool empty() const { return entries.empty(); }
};
