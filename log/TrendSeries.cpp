#include "log/TrendSeries.h"

#include "app/RuntimeSettings.h"
#include "view/PanelFormat.h"

std::array<TrendSeries, 4> TrendSeries::fromSettings(const RuntimeSettings &settings) {
    std::array<TrendSeries, 4> out;
    for (int p = 0; p < 4; ++p) {
        const RuntimeSettings::Panel &panel = settings.Panels[size_t(p)];
        out[size_t(p)] = {panel.A, panel.B, panel.C, panel.Decimals, panel.Unit.trimmed()};
    }
    return out;
}

std::optional<double> TrendSeries::value(int raw) const {
    if (raw == 0)
        return std::nullopt;
    return PanelFormat::scale(raw, a, b, c);
}

QString TrendSeries::text(double value, QChar decimalPoint) const {
    const int shown = decimals >= 0 && decimals <= 2 ? decimals : 2;
    return PanelFormat::format(value, shown, decimalPoint).value_or(QString());
}

QString TrendSeries::label(int p) const {
    const QString name = QStringLiteral("Valor %1").arg(p);
    return unit.isEmpty() ? name : name + QStringLiteral(" (") + unit + u')';
}
