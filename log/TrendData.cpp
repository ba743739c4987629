#include "log/TrendData.h"

#include <algorithm>

const TrendEntry *TrendData::at(qint64 t) const {
    const auto after = std::upper_bound(entries.begin(), entries.end(), t,
                                        [](qint64 v, const TrendEntry &e) { return v < e.t; });
    if (after != entries.begin())
        return &*(after - 1);
    return before ? &*before : nullptr;
}
