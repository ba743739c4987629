#pragma once

#include "log/TrendSeries.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <array>
#include <atomic>
#include <functional>

class QThread;

// Export of a time range of one log to CSV for a spreadsheet: ';' between
// fields, the regional decimal separator in the scaled values, UTF-8 with a
// byte-order mark, one line per row as it comes from the database (the
// range is never held in memory). The file is written under a temporary
// name beside the chosen one and takes the chosen name only when complete,
// so a failed or called-off export leaves nothing under that name.
struct CsvJob {
    enum class Log { Lectura, Escritura };
    Log log = Log::Lectura;
    QString databasePath;
    QString target;
    qint64 from = 0; // TrendTime seconds, both ends included
    qint64 to = 0;
    std::array<TrendSeries, 4> series;
    QChar decimalPoint = u'.';
};

struct CsvOutcome {
    bool ok = false;
    bool cancelled = false;
    qint64 rows = 0;
    QString error;
};

namespace CsvFormat {
QByteArray lecturaHeader(const std::array<TrendSeries, 4> &series);
QByteArray escrituraHeader();
// A field quoted when it holds the separator, a quote or a line break.
QByteArray field(const QByteArray &text);
} // namespace CsvFormat

// Runs on the calling thread. progress(rows written, thousandths of the range)
// is called every few thousand rows; returning false calls the export off.
CsvOutcome exportCsv(const CsvJob &job, const std::function<bool(qint64, int)> &progress = {});

// exportCsv on a thread of its own, for the window.
class CsvExportTask : public QObject {
    Q_OBJECT
public:
    explicit CsvExportTask(CsvJob job, QObject *parent = nullptr);
    // Calls off an export under way and waits for it to end.
    ~CsvExportTask() override;

    void start();
    void cancel() { m_cancel = true; }
    bool running() const;
    const CsvJob &job() const { return m_job; }

signals:
    void progress(qint64 rows, int permille);
    void finished(const CsvOutcome &outcome);

private:
    CsvJob m_job;
    QThread *m_thread = nullptr;
    std::atomic<bool> m_cancel{false};
    bool m_finished = false; // finished() was emitted
};
