#include "app/ResultsList.h"

namespace lettrino {
ResultsList::ResultsList(QWidget* parent) : QTreeWidget(parent) {}
}  // namespace lettrino
