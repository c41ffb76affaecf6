// The search run: Find walks the font list from the slider's position, draws each font with the
// fast renderer, matches it and lets the window handle every pending event between two fonts.
// Timer1 keeps the fonts-per-second rate and the remaining time in the status line.
#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>

#include "app/CanvasWidget.h"
#include "app/FontSlider.h"
#include "app/Form1.h"
#include "app/ResultsList.h"
#include "app/StatusBar.h"
#include "match/NumberFormat.h"

namespace lettrino {

namespace {

constexpr int kTimerIntervalMs = 837;
// The screen shows a new state of the run at most this often: painting every font of a run
// that does thousands a second would cost more than the fonts themselves.
constexpr int kFrameMs = 20;

// Holds back the painting of the controls a run changes for every font, and lets them paint at
// most once a frame. The results list, the costliest to paint, repaints only when its rows (or
// the user's selection or sorting) changed since the last frame.
class FrameGate {
public:
    explicit FrameGate(Form1& w)
        : controls_{w.Picture2,     w.FontFilenameText, w.FontFontnameText, w.FontTopText,
                    w.FontLeftText, w.FontSizeText,     w.Slider1,          w.MatchText,
                    w.MatchProg,    w.StatusBar1},
          list_(w.List1),
          picture_(w.Picture2) {
        const auto dirty = [this] { listDirty_ = true; };
        QAbstractItemModel* model = list_->model();
        connections_ = {QObject::connect(model, &QAbstractItemModel::rowsInserted, dirty),
                        QObject::connect(model, &QAbstractItemModel::rowsRemoved, dirty),
                        QObject::connect(model, &QAbstractItemModel::dataChanged, dirty),
                        QObject::connect(model, &QAbstractItemModel::layoutChanged, dirty),
                        QObject::connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, dirty)};
        hold();
        sinceFrame_.start();
    }
    ~FrameGate() {
        for (const auto& c : connections_) QObject::disconnect(c);
        release();
    }

    // True when the screen may show the run's state now: painting is let through until hold().
    bool frameDue() {
        if (sinceFrame_.elapsed() < kFrameMs) return false;
        sinceFrame_.restart();
        for (QWidget* c : controls_) c->setUpdatesEnabled(true);
        if (listDirty_) list_->setUpdatesEnabled(true);
        listDirty_ = false;
        picture_->refresh();
        return true;
    }
    void hold() {
        for (QWidget* c : controls_) c->setUpdatesEnabled(false);
        list_->setUpdatesEnabled(false);
    }
    void release() {
        for (QWidget* c : controls_) c->setUpdatesEnabled(true);
        list_->setUpdatesEnabled(true);
    }

private:
    QList<QWidget*> controls_;
    QAbstractItemView* list_;
    CanvasWidget* picture_;
    QList<QMetaObject::Connection> connections_;
    QElapsedTimer sinceFrame_;
    bool listDirty_ = false;
};

void setRunControlsEnabled(Form1& w, bool on) {
    for (QWidget* c : {static_cast<QWidget*>(w.Check1), static_cast<QWidget*>(w.Command4),
                       static_cast<QWidget*>(w.Command1), static_cast<QWidget*>(w.Command2),
                       static_cast<QWidget*>(w.Command5)})
        c->setEnabled(on);
    // A list of one font has no second position to browse to.
    w.Slider1->setEnabled(on && w.FontList.count() > 1);
}

}  // namespace

void Form1::connectSearch() {
    connect(ButtonFind, &QPushButton::clicked, this, [this] { findClicked(); });
    connect(Timer1, &QTimer::timeout, this, [this] { timerTick(); });
    // While a run goes on, Esc presses the Find button (then reading "Stop").
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setObjectName(QStringLiteral("FindEscape"));
    escape->setEnabled(false);
    connect(escape, &QShortcut::activated, ButtonFind, &QPushButton::click);
    connect(this, &Form1::findRunningChanged, escape, &QShortcut::setEnabled);
}

void Form1::findClicked() {
    FindRunning = !FindRunning;
    if (!FindRunning) return;  // a stop request: the running loop sees it after its next yield
    Q_EMIT findRunningChanged(true);

    Canvas& glyph = Picture2->canvas();
    glyph.clear();
    glyph.setAutoRedraw(false);
    ButtonFind->setText(QStringLiteral("Stop"));
    MainProgressBar->setValue(MainProgressBar->minimum());
    setRunControlsEnabled(*this, false);
    if (Slider1->value() == Slider1->maximum()) Slider1->setValue(Slider1->minimum());
    Timer1->start(kTimerIntervalMs);
    Timer1Tag = QString::number(Slider1->value());
    FindElapsedMs = 0;
    MatchProg->setValue(MatchProg->maximum());

    const QString prefix = FontList.prefix();
    {
        FrameGate gate(*this);
        for (int i = Slider1->value(); i < FontList.count(); ++i) {
            FontListIndex = i;
            DisplayFontFAST(FontList.entries.at(i), prefix);
            MatchCalc();
            Slider1->setValue(i);
            const bool frame = gate.frameDue();
            QCoreApplication::processEvents();
            if (frame) gate.hold();
            if (!FindRunning) break;
        }
    }

    FindRunning = false;
    Q_EMIT findRunningChanged(false);
    glyph.setAutoRedraw(true);
    if (FontListIndex >= 0 && FontListIndex < FontList.count())
        DisplayFontFAST(FontList.entries.at(FontListIndex), prefix);
    Picture2->refresh();
    ButtonFind->setText(QStringLiteral("&Find"));
    setRunControlsEnabled(*this, true);
    Timer1->stop();
}

void Form1::timerTick() {
    FindElapsedMs += kTimerIntervalMs;
    const double done = Slider1->value() - Timer1Tag.toDouble();
    const double rate = FindElapsedMs > 0 ? done * 1000.0 / FindElapsedMs : 0.0;
    StatusBar1->setPanelText(4, QStringLiteral("Fonts/Sec: ") + numfmt::fixed(rate, 1) + QLatin1Char(' '));
    if (rate <= 0) {
        StatusBar1->setPanelText(2, QStringLiteral("Estimated Time: Undefined"));
    } else {
        const double remaining = (Slider1->maximum() - Slider1->value()) / rate;
        StatusBar1->setPanelText(2, QStringLiteral("Estimated Time: ") + numfmt::minutesSeconds(remaining));
    }
}

}  // namespace lettrino
