#pragma once

#include <QList>
#include <QtGlobal>
#include <algorithm>
#include <cmath>

// Order statistics of a sample of durations.
inline double percentile(QList<double> values, double p) {
    if (values.isEmpty())
        return NAN;
    std::sort(values.begin(), values.end());
    const auto index =
        std::min<qsizetype>(values.size() - 1, qsizetype(std::ceil(p / 100.0 * values.size())) - 1);
    return values[std::max<qsizetype>(0, index)];
}

// Headless unless told otherwise; the alarm needs no sound card here.
inline void runHeadless() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER"))
        qputenv("SDL_AUDIODRIVER", "dummy");
}
