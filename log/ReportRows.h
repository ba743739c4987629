#pragma once

#include "log/ReaderReply.h"
#include "log/RowReader.h"

#include <QObject>
#include <functional>
#include <memory>

class FetchWorker;

// The rows a report prints, read on a thread and a connection of their own
// from the viewer's result set as it stands: the same text and the same
// snapshot, so the report holds exactly the rows the grid could show. A set
// that is not open gives no rows.
class ReportRows : public QObject {
    Q_OBJECT
public:
    struct Reply : ReaderReply {
        ResultRows rows;
        qint64 count = 0;
    };
    using ReplyPtr = std::shared_ptr<Reply>;

    ReportRows(const RowSource &source, bool open, QObject *parent = nullptr);
    ~ReportRows() override;

    bool isOpen() const { return m_open; }
    const QStringList &columns() const { return m_source.columns; }

    ReplyPtr count();
    ReplyPtr at(qint64 offset, int n);
    ReplyPtr after(const ResultRow &row, int n);
    ReplyPtr before(const ResultRow &row, int n);
    // Stops whatever is under way or queued.
    void cancelAll();

    // Waits for a reply while the window thread goes on with its events
    // (timers, the progress window's cancel button); false when `stop` says
    // so first.
    static bool await(const ReplyPtr &reply, const std::function<bool()> &stop = {});

signals:
    // A reply has come in (delivered on the window thread).
    void replied();

private:
    ReplyPtr post(std::function<void(RowReader &, Reply &)> job);

    RowSource m_source;
    bool m_open;
    std::unique_ptr<FetchWorker> m_worker;
    quint64 m_lastJob = 0;
};
