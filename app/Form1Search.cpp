// The search run: Find walks the font list from the slider's position, draws each font with the
// fast renderer, matches it and lets the window handle every pending event between two fonts.
// Timer1 keeps the fonts-per-second rate and the remaining time in the status line.
#include <QAbstractItemView>
#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>
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
#include "session/Session.h"

namespace lettrino {

namespace {

// The screen shows a new state of the run at most this often: painting every font of a run
// that does thousands a second would cost more than the fonts themselves.
constexpr int kFrameMs = 20;

// Holds back the painting of the controls a run changes for every font, and lets them paint at
// most once a frame. The results list, the costliest to paint, repaints only when its rows (or
// the user's selection or sorting) changed since the last frame.
class FrameGate {
public:
    FrameGate(QList<QWidget*> controls, QAbstractItemView* list, CanvasWidget* picture)
        : controls_(std::move(controls)), list_(list), picture_(picture) {
        const auto dirty = [this] { listDirty_ = true; };
        QAbstractItemModel* model = list_->model();
        connections_ = {
            QObject::connect(model, &QAbstractItemModel::rowsInserted, dirty),
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
    const auto setRunControlsEnabled = [this](bool on) {
        for (QWidget* c :
             {static_cast<QWidget*>(Check1), static_cast<QWidget*>(Command4), static_cast<QWidget*>(Command1),
              static_cast<QWidget*>(Command2), static_cast<QWidget*>(Command5)})
            c->setEnabled(on);
        // A list of one font has no second position to browse to.
        Slider1->setEnabled(on && FontList.count() > 1);
    };
    setRunControlsEnabled(false);
    if (Slider1->value() == Slider1->maximum()) Slider1->setValue(Slider1->minimum());
    Timer1->start();
    FindStartIndex = Slider1->value();
    FindElapsedMs = 0;
    MatchProg->setValue(MatchProg->maximum());

    session_.params().character = Character::fromByteCode(charCode());
    {
        FrameGate gate({Picture2, FontFilenameText, FontFontnameText, FontTopText, FontLeftText, FontSizeText,
                        Slider1, MatchText, MatchProg, StatusBar1},
                       List1, Picture2);
        session_.search(fontJobs_, Slider1->value(),
                        [&](int i, const RenderOutcome& drawn, const FontResult& result) {
                            FontListIndex = i;
                            showFastOutcome(prefixOf(FontList), drawn);
                            showMatch(result.matched ? &result.score : nullptr);
                            Slider1->setValue(i);
                            const bool frame = gate.frameDue();
                            QCoreApplication::processEvents();
                            if (frame) gate.hold();
                            return FindRunning;
                        });
    }

    FindRunning = false;
    Q_EMIT findRunningChanged(false);
    glyph.setAutoRedraw(true);
    if (FontListIndex >= 0 && FontListIndex < FontList.count())
        DisplayFontFAST(FontList.entries.at(FontListIndex), prefixOf(FontList));
    Picture2->refresh();
    ButtonFind->setText(QStringLiteral("&Find"));
    setRunControlsEnabled(true);
    Timer1->stop();
}

void Form1::timerTick() {
    FindElapsedMs += Timer1->interval();
    const double done = Slider1->value() - FindStartIndex;
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
