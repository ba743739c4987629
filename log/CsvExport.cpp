#include "log/CsvExport.h"

#include "log/ReadOnlyLog.h"
#include "log/TrendTime.h"

#include <QPointer>
#include <QSaveFile>
#include <QThread>
#include <sqlite3.h>

namespace CsvFormat {

QByteArray field(const QByteArray &text) {
    if (!text.contains(';') && !text.contains('"') && !text.contains('\n') && !text.contains('\r'))
        return text;
    QByteArray quoted = text;
    quoted.replace('"', "\"\"");
    return '"' + quoted + '"';
}

QByteArray lecturaHeader(const std::array<TrendSeries, 4> &series) {
    QByteArray line = "Fecha";
    for (int n = 1; n <= 16; ++n)
        line += ";Entrada " + QByteArray::number(n);
    for (int w = 1; w <= 6; ++w)
        line += ";Word" + QByteArray::number(w);
    for (int p = 1; p <= 4; ++p)
        line += ';' + field(series[size_t(p - 1)].label(p).toUtf8());
    return line + "\r\n";
}

QByteArray escrituraHeader() {
    QByteArray line = "Fecha";
    for (int n = 1; n <= 8; ++n)
        line += ";Salida " + QByteArray::number(n);
    return line + "\r\n";
}

} // namespace CsvFormat

namespace {

constexpr char kLectura[] =
    "SELECT Fecha,Bit1,Bit2,Bit3,Bit4,Bit5,Bit6,Bit7,Bit8,Bit9,Bit10,Bit11,Bit12,Bit13,Bit14,"
    "Bit15,Bit16,Word1,Word2,Word3,Word4,Word5,Word6 FROM Lectura "
    "WHERE Fecha >= ?1 AND Fecha <= ?2 ORDER BY Fecha";
constexpr char kEscritura[] = "SELECT Fecha,Bit1,Bit2,Bit3,Bit4,Bit5,Bit6,Bit7,Bit8 FROM Escritura "
                              "WHERE Fecha >= ?1 AND Fecha <= ?2 ORDER BY Fecha";

QByteArray columnText(const Statement &s, int column) {
    int length = 0;
    const char *p = s.text(column, length);
    return p ? QByteArray(p, length) : QByteArray();
}

// "Si" is 1, anything else 0; a missing value stays empty.
void appendBit(QByteArray &line, const Statement &s, int column) {
    line += ';';
    if (s.isNull(column))
        return;
    int length = 0;
    const char *p = s.text(column, length);
    line += length == 2 && p[0] == 'S' && p[1] == 'i' ? '1' : '0';
}

// The scaled text of a raw word, made once for each word 0..255 (the range
// of a register): formatting is most of an export's work.
class ScaledText {
public:
    ScaledText(const TrendSeries &series, QChar decimalPoint)
        : m_series(series), m_point(decimalPoint) {}
    QByteArray operator()(int raw) {
        if (raw < 0 || raw > 255)
            return make(raw);
        if (!m_done[size_t(raw)]) {
            m_texts[size_t(raw)] = make(raw);
            m_done[size_t(raw)] = true;
        }
        return m_texts[size_t(raw)];
    }

private:
    QByteArray make(int raw) const {
        const auto value = m_series.value(raw);
        return value ? m_series.text(*value, m_point).toUtf8() : QByteArray();
    }
    const TrendSeries &m_series;
    QChar m_point;
    std::array<QByteArray, 256> m_texts;
    std::array<bool, 256> m_done{};
};

} // namespace

CsvOutcome exportCsv(const CsvJob &job, const std::function<bool(qint64, int)> &progress) {
    CsvOutcome outcome;
    ReadOnlyLog log;
    if (!log.open(job.databasePath)) {
        outcome.error = QStringLiteral("No se pudo abrir la base de datos: ") + log.errorString();
        return outcome;
    }
    bool calledOff = false;
    log.setCancel([&] { return calledOff; });

    const bool lectura = job.log == CsvJob::Log::Lectura;
    Statement rows(log, lectura ? kLectura : kEscritura);
    if (!rows.ok()) {
        outcome.error = QStringLiteral("No se pudo leer el registro: ") + log.errorString();
        return outcome;
    }
    rows.bind(1, TrendTime::text(job.from));
    rows.bind(2, TrendTime::text(job.to));

    QSaveFile file(job.target);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) {
        outcome.error = QStringLiteral("No se pudo crear el archivo ") + job.target +
                        QStringLiteral(": ") + file.errorString();
        return outcome;
    }
    QByteArray buffer = "\xEF\xBB\xBF";
    buffer += lectura ? CsvFormat::lecturaHeader(job.series) : CsvFormat::escrituraHeader();
    const double span = double(std::max<qint64>(1, job.to - job.from));
    std::array<ScaledText, 4> scaled = {
        ScaledText(job.series[0], job.decimalPoint), ScaledText(job.series[1], job.decimalPoint),
        ScaledText(job.series[2], job.decimalPoint), ScaledText(job.series[3], job.decimalPoint)};
    QByteArray scratch;
    auto flush = [&] {
        if (file.write(buffer) != buffer.size())
            return false;
        buffer.clear();
        return true;
    };

    bool writeFailed = false;
    while (rows.step()) {
        const QByteArray fecha = columnText(rows, 0);
        QByteArray &line = buffer;
        line += CsvFormat::field(fecha);
        if (lectura) {
            for (int n = 1; n <= 16; ++n)
                appendBit(line, rows, n);
            for (int w = 1; w <= 6; ++w) {
                line += ';';
                if (!rows.isNull(16 + w))
                    line += QByteArray::number(rows.integer64(16 + w));
            }
            for (int p = 0; p < 4; ++p) {
                line += ';';
                if (!rows.isNull(19 + p))
                    line += scaled[size_t(p)](rows.integer(19 + p));
            }
        } else {
            for (int n = 1; n <= 8; ++n)
                appendBit(line, rows, n);
        }
        line += "\r\n";
        ++outcome.rows;
        if (buffer.size() >= 256 * 1024 && !flush()) {
            writeFailed = true;
            break;
        }
        if (outcome.rows % 4096 == 0 && progress) {
            const auto t = TrendTime::parse(fecha.constData(), int(fecha.size()));
            const int permille =
                t ? int(std::clamp(double(*t - job.from) * 1000.0 / span, 0.0, 1000.0)) : 0;
            if (!progress(outcome.rows, permille)) {
                calledOff = true;
                break;
            }
        }
    }
    if (calledOff) {
        file.cancelWriting();
        outcome.cancelled = true;
        return outcome;
    }
    if (rows.failed()) {
        file.cancelWriting();
        outcome.error = QStringLiteral("No se pudo leer el registro: ") + log.errorString();
        return outcome;
    }
    if (writeFailed || !flush() || !file.commit()) {
        outcome.error = QStringLiteral("No se pudo escribir el archivo ") + job.target +
                        QStringLiteral(": ") + file.errorString();
        return outcome;
    }
    if (progress)
        progress(outcome.rows, 1000);
    outcome.ok = true;
    return outcome;
}

CsvExportTask::CsvExportTask(CsvJob job, QObject *parent) : QObject(parent), m_job(std::move(job)) {
    qRegisterMetaType<CsvOutcome>();
}

CsvExportTask::~CsvExportTask() {
    if (m_thread) {
        m_cancel = true;
        m_thread->wait();
        delete m_thread;
    }
}

bool CsvExportTask::running() const {
    return m_thread && !m_finished;
}

void CsvExportTask::start() {
    if (m_thread)
        return;
    QPointer<CsvExportTask> self(this);
    m_thread = QThread::create([this, self] {
        const CsvOutcome outcome = exportCsv(m_job, [this, self](qint64 rows, int permille) {
            QMetaObject::invokeMethod(
                this,
                [self, rows, permille] {
                    if (self)
                        emit self->progress(rows, permille);
                },
                Qt::QueuedConnection);
            return !m_cancel.load();
        });
        QMetaObject::invokeMethod(
            this,
            [self, outcome] {
                if (!self)
                    return;
                self->m_finished = true;
                emit self->finished(outcome);
            },
            Qt::QueuedConnection);
    });
    m_thread->setObjectName(QStringLiteral("Exportar CSV"));
    m_thread->start(QThread::LowPriority);
}
