#pragma once

#include <QChar>
#include <QString>
#include <optional>

// Scaling and formatting of the value panels: y = (X * A) / B + C shown with
// 0, 1 or 2 decimals.
namespace PanelFormat {

// X * A as a 32-bit product (wrapping like the controller's word
// arithmetic), divided by B in floating point, plus C. Nothing when B is 0.
std::optional<double> scale(int raw, int a, int b, int c);

// "0", "0.0" or "0.00" with the given decimal separator and no thousands
// separator, rounded half away from zero. Nothing for other decimals.
std::optional<QString> format(double value, int decimals, QChar decimalPoint);

// What a panel shows while its divisor is 0.
inline QString divisorZeroText() {
    return QStringLiteral("Error B=0");
}

} // namespace PanelFormat
