#pragma once

#include <QChar>
#include <QString>
#include <array>
#include <optional>

struct RuntimeSettings;

// One analog value as its panel shows it: the raw word scaled with the
// panel's A, B and C, written with its decimals and labelled with its unit.
struct TrendSeries {
    int a = 1;
    int b = 1;
    int c = 0;
    int decimals = 0;
    QString unit;

    // The four panels as the running settings hold them now.
    static std::array<TrendSeries, 4> fromSettings(const RuntimeSettings &settings);

    // Nothing for a raw 0 (the panel shows "--") or a divisor B of 0.
    std::optional<double> value(int raw) const;
    // The panel's text of a scaled value, without the unit; decimals the
    // panel cannot show are written with two.
    QString text(double value, QChar decimalPoint) const;
    // "Valor 1 (°C)"; p counts from 1.
    QString label(int p) const;
};
