#pragma once

#include <QWidget>

#include <initializer_list>

namespace lettrino {

// The dialogs' layouts are written in twips, at a fixed 15 twips per screen pixel.
constexpr int twips(int t) {
    return t / 15;
}

inline void placeTwips(QWidget* w, int left, int top, int width, int height) {
    w->setGeometry(twips(left), twips(top), twips(width), twips(height));
}

// Chains the keyboard order through the widgets, in the order given.
inline void tabOrder(std::initializer_list<QWidget*> widgets) {
    QWidget* previous = nullptr;
    for (QWidget* w : widgets) {
        if (previous) QWidget::setTabOrder(previous, w);
        previous = w;
    }
}

}  // namespace lettrino
