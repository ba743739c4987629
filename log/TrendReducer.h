#pragma once

#include "log/TrendData.h"

#include <functional>

class ReadOnlyLog;

// Reads a time range of Lectura and reduces it to what a plot of `columns`
// pixel columns can show: every row when they are few, else per column the
// last, lowest and highest value of each analog word and which inputs were
// on and off. Reads the summary tables when the file has them and a column
// spans a minute or more, so that months of rows cost a few thousand reads;
// without them it reads every row of the range (slower, same picture).
struct TrendRequest {
    qint64 from = 0;
    qint64 to = 0;
    bool wholeLog = false; // from the first row to the present
    int columns = 1000;
    qint64 now = 0;
};

namespace TrendReducer {

// Up to this many rows, every row is kept as it is.
constexpr int kExactRows = 10000;

TrendData reduce(ReadOnlyLog &log, const TrendRequest &request,
                 const std::function<bool()> &cancelled = {});

} // namespace TrendReducer
