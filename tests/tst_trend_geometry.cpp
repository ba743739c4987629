#include "app/RuntimeSettings.h"
#include "log/TrendGeometry.h"
#include "log/TrendPlot.h"
#include "log/TrendSeries.h"

#include <QtTest>

namespace {

// A row as the reduction keeps it: one value of word 3 and the inputs.
TrendEntry rowAt(qint64 t, int word, quint16 inputs = 0) {
    TrendEntry e;
    e.t = t;
    e.rows = 1;
    e.last = e.min = e.max = {word, 0, 0, 0};
    e.anyOn = e.lastInputs = inputs;
    e.anyOff = quint16(~inputs);
    return e;
}

const TrendSeries kRaw{1, 1, 0, 0, QString()};

// The time axis drawn one pixel per second from t = 0.
const TimeAxis kAxis{0, 400, 0, 400};

} // namespace

class TstTrendGeometry : public QObject {
    Q_OBJECT

private slots:
    void scalingMatchesThePanels();
    void stepsHoldEachValueUntilTheNextRow();
    void aColumnOfManyRowsDrawsItsEnvelope();
    void inputBandsHoldAndFlashesStayVisible();
    void axesHaveRoundTicks();
    void cursorReadsWhatThePanelsShowed();
};

void TstTrendGeometry::scalingMatchesThePanels() {
    RuntimeSettings settings;
    settings.Panels[0] = {QStringLiteral("Si"), 1, 5, 2, -10, QStringLiteral("bar"), 0, 0};
    settings.Panels[3] = {QStringLiteral("No"), 7, 1, 0, 0, QString(), 0, 0};
    const auto series = TrendSeries::fromSettings(settings);
    QCOMPARE(series[0].value(100), std::optional<double>(240.0));
    QCOMPARE(series[0].text(240.0, u','), QStringLiteral("240,0"));
    QCOMPARE(series[0].text(*series[0].value(101), u'.'), QStringLiteral("242.5"));
    QCOMPARE(series[0].label(1), QStringLiteral("Valor 1 (bar)"));
    // A raw 0 is no value, whatever C is; B = 0 has no scale at all.
    QVERIFY(!series[0].value(0));
    QVERIFY(!(TrendSeries{1, 0, 10, 0, QString()}.value(5)));
    // Decimals a panel cannot show are written with two; no unit, no brackets.
    QCOMPARE(series[3].text(1.0 / 3, u','), QStringLiteral("0,33"));
    QCOMPARE(series[3].label(4), QStringLiteral("Valor 4"));
}

void TstTrendGeometry::stepsHoldEachValueUntilTheNextRow() {
    TrendData d;
    d.from = 0;
    d.to = 400;
    d.holdUntil = 400;
    d.entries = {rowAt(50, 10), rowAt(100, 20), rowAt(200, 0), rowAt(300, 30)};
    QList<QPolygonF> lines = TrendGeometry::steps(d, 0, kRaw, kAxis);
    QCOMPARE(lines.size(), 2); // the 0 at t = 200 is a gap
    QCOMPARE(lines[0], QPolygonF({{50, 10}, {100, 10}, {100, 20}, {200, 20}}));
    QCOMPARE(lines[1], QPolygonF({{300, 30}, {400, 30}})); // held until the end

    // The row before the range holds from the range's start; the last value
    // holds until the present when the range reaches past it.
    d.before = rowAt(-1000, 5);
    d.holdUntil = 350;
    lines = TrendGeometry::steps(d, 0, kRaw, kAxis);
    QCOMPARE(lines[0].first(), QPointF(0, 5));
    QCOMPARE(lines[0][1], QPointF(50, 5));
    QCOMPARE(lines[1].last(), QPointF(350, 30));

    // Only a value held from before: one level line across.
    d.entries.clear();
    QCOMPARE(TrendGeometry::steps(d, 0, kRaw, kAxis),
             QList<QPolygonF>({QPolygonF({{0, 5}, {350, 5}})}));
    // Scaled as the panel shows it.
    const TrendSeries scaled{5, 2, -10, 1, QStringLiteral("bar")};
    d.before = rowAt(-1, 100);
    QCOMPARE(TrendGeometry::steps(d, 0, scaled, kAxis)[0].first(), QPointF(0, 240));
    QCOMPARE(TrendGeometry::valueRange(d, 0, scaled, 0, 400),
             std::optional(std::make_pair(240.0, 240.0)));
}

void TstTrendGeometry::aColumnOfManyRowsDrawsItsEnvelope() {
    TrendData d;
    d.from = 0;
    d.to = 400;
    d.holdUntil = 400;
    d.exact = false;
    TrendEntry column = rowAt(100, 20);
    column.rows = 60;
    column.min[0] = 3;
    column.max[0] = 250; // a spike inside the column
    d.entries = {rowAt(10, 40), column};
    const auto lines = TrendGeometry::steps(d, 0, kRaw, kAxis);
    QCOMPARE(lines.size(), 1);
    QCOMPARE(lines[0],
             QPolygonF({{10, 40}, {100, 40}, {100, 3}, {100, 250}, {100, 20}, {400, 20}}));
    QCOMPARE(TrendGeometry::valueRange(d, 0, kRaw, 0, 400),
             std::optional(std::make_pair(3.0, 250.0)));
    // A negative scale turns lowest into highest.
    QCOMPARE(TrendGeometry::valueRange(d, 0, TrendSeries{-1, 1, 0, 0, QString()}, 0, 400),
             std::optional(std::make_pair(-250.0, -3.0)));
}

void TstTrendGeometry::inputBandsHoldAndFlashesStayVisible() {
    TrendData d;
    d.from = 0;
    d.to = 400;
    d.holdUntil = 380;
    d.before = rowAt(-5, 0, 0x8000); // the alarm on before the range
    TrendEntry flash = rowAt(200, 0, 0x0000);
    flash.rows = 10;
    flash.anyOn = 0x0001; // input 1 on within the column, off at its end
    flash.anyOff = 0xFFFF;
    d.entries = {rowAt(50, 0, 0x0001), rowAt(120, 0, 0x0000), flash, rowAt(300, 0, 0x8001)};
    auto bands = TrendGeometry::bands(d, 1, kAxis);
    QCOMPARE(bands.size(), 3);
    QCOMPARE(bands[0].x0, 50.0);
    QCOMPARE(bands[0].x1, 120.0);
    QVERIFY(!bands[0].partial);
    QVERIFY(bands[1].partial);
    QCOMPARE(bands[1].x0, 200.0);
    QCOMPARE(bands[2].x0, 300.0);
    QCOMPARE(bands[2].x1, 380.0); // held until the present
    bands = TrendGeometry::bands(d, 16, kAxis);
    QCOMPARE(bands.size(), 2);
    QCOMPARE(bands[0].x0, 0.0);
    QCOMPARE(bands[0].x1, 50.0);
    QVERIFY(TrendGeometry::bands(d, 2, kAxis).isEmpty());
}

void TstTrendGeometry::axesHaveRoundTicks() {
    QCOMPARE(TrendGeometry::valueTicks(0, 100, 4), QList<double>({0, 25, 50, 75, 100}));
    QVERIFY(TrendGeometry::valueTicks(12.3, 87.7, 2).size() >= 2);
    QCOMPARE(TrendGeometry::valueTicks(-0.05, 0.05, 2), QList<double>({-0.05, 0, 0.05}));

    const qint64 day = 19800 * qint64(86400); // a midnight
    const TimeAxis hours{day - 3600, day + 5 * 3600, 0, 600};
    const auto ticks = TrendGeometry::timeTicks(hours, 90);
    QCOMPARE(ticks.size(), 7);
    QCOMPARE(ticks[0].pos, 0.0);
    QVERIFY(ticks[0].label.contains(u'\n')); // the first tick names its day
    QVERIFY(ticks[1].label.endsWith(QStringLiteral("00:00\n18/03/2024")));
    QCOMPARE(ticks[2].label, QStringLiteral("01:00"));
    const TimeAxis year{day, day + 365 * 86400, 0, 1000};
    for (const auto &tick : TrendGeometry::timeTicks(year, 90))
        QVERIFY(!tick.label.contains(u':'));
}

void TstTrendGeometry::cursorReadsWhatThePanelsShowed() {
    auto data = std::make_shared<TrendData>();
    data->from = 1000;
    data->to = 2000;
    data->holdUntil = 2000;
    data->columns = 100;
    data->entries = {rowAt(1100, 100, 0x8001), rowAt(1500, 0, 0)};
    TrendPlot plot;
    plot.setSeries({TrendSeries{5, 2, -10, 1, QStringLiteral("bar")}, kRaw, kRaw, kRaw}, u',');
    plot.setSeriesVisible(1, false);
    plot.setSeriesVisible(2, false);
    plot.setSeriesVisible(3, false);
    plot.setData(data);
    QString text = plot.readout(1200);
    QVERIFY2(text.contains(QStringLiteral("Valor 1: 240,0 bar")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Entradas activas: 1, 16")), qPrintable(text));
    text = plot.readout(1600);
    QVERIFY2(text.contains(QStringLiteral("Valor 1: -- bar")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Entradas activas: ninguna")), qPrintable(text));
    QVERIFY(plot.dataMessage().isEmpty());

    // Nothing stored in the range says so.
    auto empty = std::make_shared<TrendData>();
    plot.setData(empty);
    QCOMPARE(plot.dataMessage(), QStringLiteral("No hay registros en el rango elegido"));
    empty->before = rowAt(100, 9);
    QVERIFY(plot.dataMessage().startsWith(
        QStringLiteral("No hay registros en el rango elegido: se mantienen los valores del ")));
}

QTEST_MAIN(TstTrendGeometry)
#include "tst_trend_geometry.moc"
