#include "view/PanelFormat.h"

#include <cmath>
#include <cstdint>

namespace PanelFormat {

std::optional<double> scale(int raw, int a, int b, int c) {
    if (b == 0)
        return std::nullopt;
    const auto product =
        static_cast<int32_t>(static_cast<uint32_t>(raw) * static_cast<uint32_t>(a));
    return double(product) / double(b) + double(c);
}

std::optional<QString> format(double value, int decimals, QChar decimalPoint) {
    if (decimals < 0 || decimals > 2)
        return std::nullopt;
    const double factor = std::pow(10.0, decimals);
    // Round the decimal text of the value, not its binary neighbour:
    // 12.345 shows as 12.35 with two decimals.
    const double shifted = QString::number(value * factor, 'g', 15).toDouble();
    double rounded = std::round(shifted) / factor;
    if (rounded == 0.0)
        rounded = 0.0; // no "-0.0"
    QString text = QString::number(rounded, 'f', decimals);
    if (decimalPoint != u'.')
        text.replace(u'.', decimalPoint);
    return text;
}

} // namespace PanelFormat
