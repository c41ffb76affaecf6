#pragma once

// QStrings and ink boxes in GoogleTest's messages, for the engine and command-line tests;
// their fixtures come from tests/support (Fixtures.h, HostileFiles.h).

#include <QString>

#include <gtest/gtest.h>

#include <ostream>

#include "Fixtures.h"
#include "canvas/InkBox.h"

inline std::ostream& operator<<(std::ostream& os, const QString& s) {
    return os << s.toStdString();
}
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace lettrino {

inline void PrintTo(const InkBox& b, std::ostream* os) {
    *os << "{top " << b.top << ", left " << b.left << ", right " << b.right << ", bottom " << b.bottom << "}";
}

}  // namespace lettrino
