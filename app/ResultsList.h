#pragma once

#include <QHash>
#include <QTreeWidget>

#include <functional>

#include "match/Results.h"

class QMimeData;

namespace lettrino {

// The results list: one row per matched font, five columns (Filename, Match, Font, XRatio,
// YRatio), rows and cells bold together, sorted by a column's text, several rows selectable,
// dragged out as a list of font files.
//
// Cell data: the row tag (font list position) is Qt::UserRole of column 0, the entry text is
// Qt::UserRole of the Match cell, the folder is Qt::UserRole of the Font cell; the Font cell
// also keeps the renderers' folder argument (kPrefixRole), since the root folder and the
// installed faces both have an empty folder.
class ResultsList : public QTreeWidget {
    Q_OBJECT
public:
    enum Column { kFilename = 0, kMatch = 1, kFont = 2, kXRatio = 3, kYRatio = 4 };
    static constexpr int kPrefixRole = Qt::UserRole + 1;

    explicit ResultsList(QWidget* parent = nullptr);
    ~ResultsList() override;

    int rowCount() const { return topLevelItemCount(); }
    // The row whose item text is filename, nullptr when none.
    QTreeWidgetItem* rowFor(const QString& filename) const;

    // Adds a row, or updates the row of the same item text (its Match cell and bold state
    // only). Returns true when a row was added.
    bool addOrUpdate(const results::ListRow& row);

    // Removes every row whose Match is below tenths / 10, in list order.
    void applyAddThreshold(int tenths);
    // Makes each row bold exactly when tenths / 10 <= its Match.
    void applyBoldThreshold(int tenths);
    // Removes every row.
    void clearRows();

    // Sorting as a header click does: a click on the sort column reverses the order, a click
    // on another column makes it the sort column and keeps the order.
    void headerClicked(int column);
    bool sortActive() const { return sortActive_; }
    int sortColumn() const { return sortColumn_; }
    Qt::SortOrder sortOrder() const { return sortOrder_; }

    // The file a row's font lives in: an installed face's name -> its file ("" when unknown).
    void setFaceFileResolver(std::function<QString(const QString& face)> resolver) {
        faceFile_ = std::move(resolver);
    }
    // The file of a row's font, "" when it names no existing file.
    QString fileOf(const QTreeWidgetItem* row) const;
    // The drag's data for the selected rows, in list order: text/uri-list of the existing font
    // files, each once. nullptr when no selected row has a file.
    QMimeData* dragData() const;

    static void setRowBold(QTreeWidgetItem* row, bool bold);
    static bool rowBold(const QTreeWidgetItem* row);

Q_SIGNALS:
    // A click on a row: the entry text and the renderers' folder argument of its font.
    void rowClicked(const QString& entry, const QString& prefix);

protected:
    void startDrag(Qt::DropActions supportedActions) override;

private:
    void placeSorted(QTreeWidgetItem* row);

    bool sortActive_ = false;
    int sortColumn_ = kFilename;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
    std::function<QString(const QString&)> faceFile_;
    // The rows by item text, so that a search run's lookups stay cheap however long the list.
    // Kept in step with every removal through the model's signals.
    QHash<QString, QTreeWidgetItem*> byName_;
};

}  // namespace lettrino
