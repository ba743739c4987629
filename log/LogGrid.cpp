#include "log/LogGrid.h"

#include "log/ResultSet.h"
#include "log/ResultSetModel.h"
#include "log/ViewerFonts.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>

// The grid's own titles and centring over the shared binding.
class GridColumns : public QIdentityProxyModel {
public:
    GridColumns(const QList<GridColumn> &columns, QObject *parent)
        : QIdentityProxyModel(parent), m_columns(columns) {}

    QVariant data(const QModelIndex &index, int role) const override {
        if (role == Qt::TextAlignmentRole)
            return int(Qt::AlignCenter);
        return QIdentityProxyModel::data(index, role);
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Horizontal && role == Qt::TextAlignmentRole)
            return int(Qt::AlignCenter);
        const QVariant value = QIdentityProxyModel::headerData(section, orientation, role);
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return value;
        const int i = configured(value.toString());
        return i >= 0 && !m_columns[i].title.isEmpty() ? QVariant(m_columns[i].title) : value;
    }

    int configured(const QString &name) const {
        for (int i = 0; i < m_columns.size(); ++i)
            if (m_columns[i].name.compare(name, Qt::CaseInsensitive) == 0)
                return i;
        return -1;
    }

private:
    QList<GridColumn> m_columns;
};

LogGrid::LogGrid(ResultSetModel &binding, const QList<GridColumn> &columns, QWidget *parent)
    : QTableView(parent), m_binding(binding), m_proxy(new GridColumns(columns, this)),
      m_columns(columns) {
    m_proxy->setSourceModel(&binding);
    setModel(m_proxy);
    setFont(ViewerFonts::arial(8));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setWordWrap(false);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 5);
    horizontalHeader()->setFont(ViewerFonts::arial(8, true));
    horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setStretchLastSection(false);

    connect(m_proxy, &QAbstractItemModel::modelReset, this, &LogGrid::arrangeColumns);
    ResultSet &set = binding.resultSet();
    connect(&set, &ResultSet::currentChanged, this, &LogGrid::followCurrent);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (!m_following && current.isValid())
                    resultSet().moveTo(current.row());
            });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &LogGrid::onScroll);

    // Rows that come in above or leave from above keep the rows in sight where they are.
    connect(m_proxy, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex &, int first, int last) {
                if (first != 0 || model()->rowCount() == last + 1)
                    return;
                updateGeometries();
                verticalScrollBar()->setValue(verticalScrollBar()->value() + last + 1);
            });
    connect(m_proxy, &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex &, int first, int last) {
                if (first != 0)
                    return;
                const int value = verticalScrollBar()->value();
                updateGeometries();
                verticalScrollBar()->setValue(std::max(0, value - (last + 1)));
            });

    // The notice of a slow fetch, shown only when it lasts.
    m_busy = new QFrame(this);
    m_busy->setObjectName(QStringLiteral("AvisoConsulta"));
    m_busy->setFrameStyle(QFrame::Panel | QFrame::Raised);
    m_busy->setAutoFillBackground(true);
    auto *layout = new QHBoxLayout(m_busy);
    auto *label = new QLabel(QStringLiteral("Consultando la base de datos..."), m_busy);
    auto *bar = new QProgressBar(m_busy);
    bar->setRange(0, 0);
    bar->setFixedWidth(90);
    auto *cancel = new QPushButton(QStringLiteral("Cancelar"), m_busy);
    cancel->setObjectName(QStringLiteral("CancelarConsulta"));
    layout->addWidget(label);
    layout->addWidget(bar);
    layout->addWidget(cancel);
    m_busy->hide();
    connect(cancel, &QPushButton::clicked, this, [this] { resultSet().cancel(); });
    m_busyDelay = new QTimer(this);
    m_busyDelay->setSingleShot(true);
    m_busyDelay->setInterval(300);
    connect(m_busyDelay, &QTimer::timeout, this, [this] {
        placeBusyNotice();
        m_busy->show();
        m_busy->raise();
    });
    connect(&set, &ResultSet::busyChanged, this, [this](bool busy) {
        if (busy) {
            m_busyDelay->start();
        } else {
            m_busyDelay->stop();
            m_busy->hide();
        }
    });

    arrangeColumns();
    if (set.current() >= 0)
        followCurrent(set.current());
}

ResultSet &LogGrid::resultSet() const {
    return m_binding.resultSet();
}

// The set's columns come in the table's order: the grid shows the listed
// ones in its own order and hides the rest.
void LogGrid::arrangeColumns() {
    QHeaderView *header = horizontalHeader();
    const int count = m_proxy->columnCount();
    int place = 0;
    for (const GridColumn &column : std::as_const(m_columns)) {
        for (int logical = 0; logical < count; ++logical) {
            const QString name = m_binding.resultSet().columnNames().value(logical);
            if (name.compare(column.name, Qt::CaseInsensitive) != 0)
                continue;
            header->moveSection(header->visualIndex(logical), place++);
            setColumnHidden(logical, false);
            header->resizeSection(logical, column.width);
            break;
        }
    }
    for (int logical = 0; logical < count; ++logical)
        if (header->visualIndex(logical) >= place)
            setColumnHidden(logical, true);
}

void LogGrid::followCurrent(int row) {
    if (row < 0 || row >= m_proxy->rowCount())
        return;
    const int column = horizontalHeader()->logicalIndex(0);
    const QModelIndex index = m_proxy->index(row, std::max(column, 0));
    if (currentIndex().row() == row)
        return;
    m_following = true;
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                 QItemSelectionModel::Rows);
    scrollTo(index);
    m_following = false;
}

void LogGrid::onScroll(int value) {
    if (value == verticalScrollBar()->minimum() && resultSet().canFetchBefore())
        resultSet().fetchBefore();
}

QString LogGrid::shownColumn(int place) const {
    const int logical = horizontalHeader()->logicalIndex(place);
    if (logical < 0 || isColumnHidden(logical))
        return {};
    return m_binding.resultSet().columnNames().value(logical);
}

QString LogGrid::shownTitle(int place) const {
    const int logical = horizontalHeader()->logicalIndex(place);
    if (logical < 0 || isColumnHidden(logical))
        return {};
    return m_proxy->headerData(logical, Qt::Horizontal, Qt::DisplayRole).toString();
}

QString LogGrid::cellText(int row, const QString &column) const {
    const int logical = m_binding.resultSet().columnIndex(column);
    return m_proxy->index(row, logical).data().toString();
}

bool LogGrid::busyNoticeShown() const {
    return m_busy->isVisible();
}

void LogGrid::placeBusyNotice() {
    m_busy->adjustSize();
    m_busy->move((width() - m_busy->width()) / 2, (height() - m_busy->height()) / 2);
}

// Past the first or the last row held, the keys and the wheel go on into
// the rows not yet read, as the scroll bar does.
void LogGrid::keyPressEvent(QKeyEvent *event) {
    ResultSet &set = resultSet();
    const int row = currentIndex().row();
    const bool up = event->key() == Qt::Key_Up || event->key() == Qt::Key_PageUp;
    const bool down = event->key() == Qt::Key_Down || event->key() == Qt::Key_PageDown;
    if (up && row == 0 && set.canFetchBefore()) {
        set.prior();
        return;
    }
    if (down && row == set.rowCount() - 1 && set.canFetchMore()) {
        set.next();
        return;
    }
    QTableView::keyPressEvent(event);
}

void LogGrid::wheelEvent(QWheelEvent *event) {
    QScrollBar *bar = verticalScrollBar();
    if (event->angleDelta().y() > 0 && bar->value() == bar->minimum() &&
        resultSet().canFetchBefore())
        resultSet().fetchBefore();
    else if (event->angleDelta().y() < 0 && bar->value() == bar->maximum() &&
             resultSet().canFetchMore())
        resultSet().fetchMore();
    QTableView::wheelEvent(event);
}

void LogGrid::resizeEvent(QResizeEvent *event) {
    QTableView::resizeEvent(event);
    placeBusyNotice();
}
