#pragma once

#include <QPoint>
#include <QString>
#include <QWidget>

#include <array>

namespace lettrino {

// The main window's status bar: 12 panels of fixed widths (147, 147, 147, 147, 499, 69, 69,
// 69, 22, 69, 69, 69), numbered from 1, laid out left to right among the visible ones.
// Panel 1 is never shown.
// It keeps the mouse while a button is held, so that a height drag follows the cursor
// also outside the bar.
class StatusBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kPanels = 12;

    explicit StatusBar(QWidget* parent = nullptr);

    QString panelText(int panel) const;
    void setPanelText(int panel, const QString& text);
    bool panelVisible(int panel) const;
    void setPanelVisible(int panel, bool visible);
    static int panelWidth(int panel);
    // The on-screen rectangle of a panel, empty when it is hidden.
    QRect panelRect(int panel) const;

    // The cursor's screen position, in pixels, at the last press or move reported.
    QPoint cursorScreenPos() const { return cursorScreenPos_; }

Q_SIGNALS:
    void mousePressed(int button, Qt::KeyboardModifiers shift, float x, float y);
    void mouseMoved(int button, Qt::KeyboardModifiers shift, float x, float y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    struct Panel {
        QString text;
        bool visible = false;
    };
    std::array<Panel, kPanels + 1> panels_;  // index 0 unused
    QPoint cursorScreenPos_;
};

}  // namespace lettrino
