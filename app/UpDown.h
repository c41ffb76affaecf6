#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace lettrino {

// An up-down spinner: two arrow buttons over an integer value with a minimum, a maximum
// and a step. Every change of the value, by an arrow or by the program, emits valueChanged.
// A bound spinner writes its value, as a decimal integer, into its buddy field on each change.
class UpDown : public QWidget {
    Q_OBJECT
public:
    explicit UpDown(QWidget* parent = nullptr);

    int value() const { return value_; }
    int minimum() const { return min_; }
    int maximum() const { return max_; }
    int step() const { return step_; }
    // Refuses (returns false, changes nothing) a value outside the range.
    bool setValue(int value);
    void setRange(int minimum, int maximum);
    void setMinimum(int minimum) { setRange(minimum, max_); }
    void setMaximum(int maximum) { setRange(min_, maximum); }
    void setStep(int step) { step_ = step; }
    void setBuddy(QLineEdit* buddy) { buddy_ = buddy; }
    QLineEdit* buddy() const { return buddy_; }

    // What an arrow press does: up (+step) or down (-step), kept within the range.
    void stepBy(int direction);

Q_SIGNALS:
    void valueChanged(int value);
    void mousePressed();
    void mouseReleased();
    void mouseMoved();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    int value_ = 0, min_ = 0, max_ = 100, step_ = 1;
    QLineEdit* buddy_ = nullptr;
    QToolButton* up_ = nullptr;
    QToolButton* down_ = nullptr;
};

}  // namespace lettrino
