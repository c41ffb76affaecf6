#pragma once

#include <QTreeWidget>

namespace lettrino {

// The results list: one row per matched font, five columns (Filename, Match, Font, XRatio,
// YRatio), rows and cells bold together, sorted by a column's text, several rows selectable,
// dragged out as a list of font files.
class ResultsList : public QTreeWidget {
    Q_OBJECT
public:
    explicit ResultsList(QWidget* parent = nullptr);
};

}  // namespace lettrino
