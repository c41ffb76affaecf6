#include "app/ResultsList.h"

#include <QDrag>
#include <QFileInfo>
#include <QHeaderView>
#include <QMimeData>
#include <QUrl>

#include <algorithm>

#include "app/FontEntry.h"

namespace lettrino {

namespace {

struct ColumnSpec {
    const char* header;
    int width;
    Qt::Alignment alignment;
};

constexpr ColumnSpec kColumns[] = {
    {"Filename", 135, Qt::AlignLeft | Qt::AlignVCenter},
    {"Match", 45, Qt::AlignCenter},
    {"Font", 135, Qt::AlignLeft | Qt::AlignVCenter},
    {"XRatio", 45, Qt::AlignCenter},
    {"YRatio", 45, Qt::AlignCenter},
};
constexpr int kColumnCount = int(sizeof(kColumns) / sizeof(kColumns[0]));

// Rows sort by the text of the sort column, case-insensitively (case decides only between
// texts that are otherwise equal), so numbers sort as text.
bool textLess(const QTreeWidgetItem& a, const QTreeWidgetItem& b, int column) {
    const QString ta = a.text(column);
    const QString tb = b.text(column);
    const int c = ta.compare(tb, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : ta < tb;
}

class ResultItem : public QTreeWidgetItem {
public:
    ResultItem() : QTreeWidgetItem(QTreeWidgetItem::UserType) {}
    bool operator<(const QTreeWidgetItem& other) const override {
        const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
        return textLess(*this, other, column);
    }
};

}  // namespace

ResultsList::ResultsList(QWidget* parent) : QTreeWidget(parent) {
    setColumnCount(kColumnCount);
    QStringList headers;
    for (const ColumnSpec& c : kColumns) headers << QString::fromLatin1(c.header);
    setHeaderLabels(headers);
    for (int i = 0; i < kColumnCount; ++i) {
        headerItem()->setTextAlignment(i, kColumns[i].alignment);
        setColumnWidth(i, kColumns[i].width);
    }
    header()->setStretchLastSection(false);
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(false);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setDefaultDropAction(Qt::CopyAction);

    connect(model(), &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex& parent, int first, int last) {
                if (parent.isValid()) return;
                for (int i = first; i <= last; ++i) {
                    QTreeWidgetItem* row = topLevelItem(i);
                    if (row && byName_.value(row->text(kFilename)) == row)
                        byName_.remove(row->text(kFilename));
                }
            });
    connect(model(), &QAbstractItemModel::modelAboutToBeReset, this, [this] { byName_.clear(); });
    connect(header(), &QHeaderView::sectionClicked, this, &ResultsList::headerClicked);
    connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int) {
        if (!item) return;
        Q_EMIT rowClicked(item->data(kMatch, Qt::UserRole).toString(),
                          item->data(kFont, kPrefixRole).toString());
    });
}

// The model outlives this part of the object (it is a child, deleted by ~QWidget): it must
// not reach the lookup table once that is gone.
ResultsList::~ResultsList() {
    disconnect(model(), nullptr, this, nullptr);
}

QTreeWidgetItem* ResultsList::rowFor(const QString& filename) const {
    QTreeWidgetItem* row = byName_.value(filename);
    return row && row->text(kFilename) == filename ? row : nullptr;
}

void ResultsList::setRowBold(QTreeWidgetItem* row, bool bold) {
    if (rowBold(row) == bold && row->data(kFilename, Qt::FontRole).isValid()) return;
    QFont f = row->treeWidget() ? row->treeWidget()->font() : QFont();
    f.setBold(bold);
    for (int i = 0; i < kColumnCount; ++i) row->setFont(i, f);
}

bool ResultsList::rowBold(const QTreeWidgetItem* row) {
    return row->font(kFilename).bold();
}

bool ResultsList::addOrUpdate(const results::ListRow& r) {
    if (QTreeWidgetItem* existing = rowFor(r.filename)) {
        existing->setText(kMatch, r.match);
        setRowBold(existing, r.bold);
        if (sortActive_ && sortColumn_ == kMatch) sortItems(sortColumn_, sortOrder_);
        return false;
    }
    auto* row = new ResultItem;
    row->setText(kFilename, r.filename);
    row->setText(kMatch, r.match);
    row->setText(kFont, r.font);
    row->setText(kXRatio, r.xRatio);
    row->setText(kYRatio, r.yRatio);
    for (int i = 0; i < kColumnCount; ++i) row->setTextAlignment(i, kColumns[i].alignment);
    row->setData(kFilename, Qt::UserRole, r.rowTag);
    row->setData(kMatch, Qt::UserRole, r.entry);
    row->setData(kFont, Qt::UserRole, r.folder);
    row->setData(kFont, kPrefixRole, r.prefix);
    QFont f = font();
    f.setBold(r.bold);
    for (int i = 0; i < kColumnCount; ++i) row->setFont(i, f);
    placeSorted(row);
    byName_.insert(r.filename, row);
    return true;
}

// A new row goes where the current sort puts it, after the rows that sort equal to it; an
// unsorted list appends it.
void ResultsList::placeSorted(QTreeWidgetItem* row) {
    int at = topLevelItemCount();
    if (sortActive_) {
        const bool ascending = sortOrder_ == Qt::AscendingOrder;
        int lo = 0, hi = at;
        while (lo < hi) {
            const int mid = lo + (hi - lo) / 2;
            const QTreeWidgetItem& other = *topLevelItem(mid);
            const bool before =
                ascending ? textLess(*row, other, sortColumn_) : textLess(other, *row, sortColumn_);
            if (before)
                hi = mid;
            else
                lo = mid + 1;
        }
        at = lo;
    }
    insertTopLevelItem(at, row);
}

void ResultsList::applyAddThreshold(int tenths) {
    // Stepping back after a removal is what keeps two adjacent low rows from escaping.
    for (int i = 0; i < topLevelItemCount(); ++i) {
        if (!results::keepsRow(topLevelItem(i)->text(kMatch), tenths)) {
            delete takeTopLevelItem(i);
            --i;
        }
    }
}

void ResultsList::applyBoldThreshold(int tenths) {
    const int n = topLevelItemCount();
    for (int i = 0; i < n; ++i) {
        QTreeWidgetItem* row = topLevelItem(i);
        setRowBold(row, results::boldForShown(row->text(kMatch), tenths));
    }
    viewport()->update();
}

void ResultsList::clearRows() {
    clear();
}

void ResultsList::headerClicked(int column) {
    if (column < 0 || column >= kColumnCount) return;
    if (column == sortColumn_)
        sortOrder_ = sortOrder_ == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    else
        sortColumn_ = column;
    sortActive_ = true;
    sortItems(sortColumn_, sortOrder_);
}

QString ResultsList::fileOf(const QTreeWidgetItem* row) const {
    const QString entry = row->data(kMatch, Qt::UserRole).toString();
    const QString prefix = row->data(kFont, kPrefixRole).toString();
    QString path;
    if (prefix == kInstalledMarker)
        path = faceFile_ ? faceFile_(entry) : QString();
    else
        path = prefix + entry;
    if (path.isEmpty()) return {};
    const QFileInfo info(path);
    return info.isFile() ? info.absoluteFilePath() : QString();
}

QMimeData* ResultsList::dragData() const {
    QList<QUrl> urls;
    const int n = topLevelItemCount();
    for (int i = 0; i < n; ++i) {
        const QTreeWidgetItem* row = topLevelItem(i);
        if (!row->isSelected()) continue;
        const QString file = fileOf(row);
        if (file.isEmpty()) continue;
        const QUrl url = QUrl::fromLocalFile(file);
        if (!urls.contains(url)) urls.append(url);
    }
    if (urls.isEmpty()) return nullptr;
    auto* data = new QMimeData;
    data->setUrls(urls);
    return data;
}

void ResultsList::startDrag(Qt::DropActions) {
    QMimeData* data = dragData();
    if (!data) return;
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    drag->exec(Qt::CopyAction, Qt::CopyAction);
}

}  // namespace lettrino
