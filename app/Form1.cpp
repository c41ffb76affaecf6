#include "app/Form1.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QTimer>

#include <cmath>
#include <cstdlib>

#include "app/CanvasWidget.h"
#include "app/FontSlider.h"
#include "app/ResultsList.h"
#include "app/StatusBar.h"
#include "app/UpDown.h"
#include "dialogs/About.h"
#include "dialogs/Form2.h"
#include "dialogs/Form3.h"
#include "match/NumberFormat.h"
#include "session/Session.h"

namespace lettrino {

namespace {

// Screen pixels to twips, at a fixed factor whatever the screen's resolution.
constexpr int kTwipsPerPixel = 15;
// The outer height never goes below this. The width is fixed: the client area is 441 pixels
// wide (the design's 6735 twips outside, less the frame).
constexpr int kMinOuterHeightTwips = 8000;
constexpr int kClientWidth = 441;
constexpr int kClientHeight = 601;

// The tab index of every control: the keyboard order and the status line's key.
const QHash<QString, int>& tabIndexes() {
    static const QHash<QString, int> table = {
        {"Command2", 0},
        {"Command1", 1},
        {"Command5", 2},
        {"Slider1", 3},
        {"Check1", 4},
        {"Command4", 5},
        {"Label1", 6},
        {"CharText", 7},
        {"CharIndex", 8},
        {"Label5", 9},
        {"SpeedUp", 10},
        {"List1", 11},
        {"Label3", 12},
        {"AddThres", 13},
        {"Label4", 14},
        {"BoldThres", 15},
        {"ButtonFind", 16},
        {"ButtonClear", 17},
        {"ButtonAbout", 18},
        {"UpDown4", 19},
        {"UpDown1", 20},
        {"Frame2", 21},
        {"FontSizeText", 22},
        {"FontLeftText", 23},
        {"FontTopText", 24},
        {"FontFontnameText", 25},
        {"FontFilenameText", 26},
        {"FontFSize", 27},
        {"FontLeft", 28},
        {"FontTop", 29},
        {"FontFilename", 30},
        {"FontFontname", 31},
        {"Frame1", 32},
        {"BitmapFilenameText", 33},
        {"BitmapTopText", 37},
        {"BitmapLeftText", 36},
        {"BitmapSizeText", 35},
        {"BitmapFilename", 34},
        {"BitmapTop", 40},
        {"BitmapLeft", 39},
        {"BitmapSize", 38},
        {"Picture1", 41},
        {"Picture2", 42},
        {"UpDown2", 43},
        {"MatchProg", 44},
        {"UpDown3", 45},
        {"MatchText", 46},
        {"FontList", 47},
        {"MainProgressBar", 48},
        {"StatusBar1", 49},
        {"Frame3", 50},
    };
    return table;
}

template <typename W>
W* place(W* w, const char* name, int left, int top, int width, int height, bool enabled) {
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(left, top, width, height);
    w->setEnabled(enabled);
    return w;
}

QLabel* label(QWidget* parent, const char* name, const QString& text, int left, int top, int width,
              int height, bool enabled) {
    auto* l = place(new QLabel(text, parent), name, left, top, width, height, enabled);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

QLineEdit* field(QWidget* parent, const char* name, const QString& text, int maxLength, int left, int top,
                 int width, int height) {
    auto* f = place(new QLineEdit(text, parent), name, left, top, width, height, false);
    if (maxLength > 0) f->setMaxLength(maxLength);
    f->setTextMargins(0, 0, 0, 0);
    return f;
}

UpDown* spinner(QWidget* parent, const char* name, int minimum, int maximum, int step, int value, int left,
                int top) {
    auto* s = place(new UpDown(parent), name, left, top, 16, 16, false);
    s->setRange(minimum, maximum);
    s->setStep(step);
    s->setValue(value);
    return s;
}

}  // namespace

Form1::Form1(Session& session, QWidget* parent) : QWidget(parent), session_(session) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(caption());
    // A small sans-serif face close to the classic dialog font's metrics.
    QFont small(
        QStringList{QStringLiteral("Liberation Sans"), QStringLiteral("Arial"), QStringLiteral("Sans")});
    small.setPixelSize(11);
    setFont(small);
    createControls();
    Picture1->setCanvas(&session_.reference().canvas);
    Picture2->setCanvas(&session_.glyphCanvas());
    createConnections();
    setDefaults();
    connectStatus();
    connectParams();
    connectBitmap();
    connectFonts();
    connectSearch();
    connectInspect();
}

Form1::~Form1() = default;

void Form1::createControls() {
    Frame3 = place(new QFrame(this), "Frame3", 0, 32, 233, 217, true);
    Frame3->setFrameShape(QFrame::NoFrame);

    Command2 =
        place(new QPushButton(QStringLiteral("&Select Bitmap File"), this), "Command2", 8, 8, 201, 25, true);
    Command1 =
        place(new QPushButton(QStringLiteral("Fonts &Directory"), this), "Command1", 232, 8, 97, 25, false);
    Command5 =
        place(new QPushButton(QStringLiteral("S&ystem Fonts"), this), "Command5", 336, 8, 97, 25, false);

    Picture1 = place(new CanvasWidget(this), "Picture1", 8, 40, 201, 201, true);
    Slider1 = place(new FontSlider(this), "Slider1", 216, 35, 16, 212, false);
    Slider1->setOrientation(Qt::Vertical);
    Picture2 = place(new CanvasWidget(this), "Picture2", 232, 40, 201, 201, true);

    Frame1 = place(new QGroupBox(QStringLiteral("Bitmap Info"), this), "Frame1", 8, 248, 201, 121, false);
    BitmapFilename = label(Frame1, "BitmapFilename", QStringLiteral("Filename:"), 16, 24, 49, 17, false);
    BitmapFilenameText = label(Frame1, "BitmapFilenameText", QStringLiteral("none"), 80, 24, 24, 13, false);
    BitmapTop = label(Frame1, "BitmapTop", QStringLiteral("Top:"), 16, 64, 22, 13, false);
    BitmapTopText = label(Frame1, "BitmapTopText", QStringLiteral("none"), 80, 64, 24, 13, false);
    BitmapLeft = label(Frame1, "BitmapLeft", QStringLiteral("Left:"), 16, 80, 21, 13, false);
    BitmapLeftText = label(Frame1, "BitmapLeftText", QStringLiteral("none"), 80, 80, 24, 13, false);
    BitmapSize = label(Frame1, "BitmapSize", QStringLiteral("Size:"), 16, 96, 23, 13, false);
    BitmapSizeText = label(Frame1, "BitmapSizeText", QStringLiteral("none"), 80, 96, 24, 13, false);

    Frame2 = place(new QGroupBox(QStringLiteral("Font Info"), this), "Frame2", 232, 248, 201, 121, false);
    FontFilename = label(Frame2, "FontFilename", QStringLiteral("Filename:"), 16, 24, 45, 13, false);
    FontFilenameText = label(Frame2, "FontFilenameText", QStringLiteral("none"), 80, 24, 24, 13, false);
    FontFontname = label(Frame2, "FontFontname", QStringLiteral("Font:"), 16, 40, 24, 13, false);
    FontFontnameText = label(Frame2, "FontFontnameText", QStringLiteral("none"), 80, 40, 24, 13, false);
    FontTop = label(Frame2, "FontTop", QStringLiteral("Top:"), 16, 64, 22, 13, false);
    FontTopText = label(Frame2, "FontTopText", QStringLiteral("none"), 80, 64, 24, 13, false);
    FontLeft = label(Frame2, "FontLeft", QStringLiteral("Left:"), 16, 80, 21, 13, false);
    FontLeftText = label(Frame2, "FontLeftText", QStringLiteral("none"), 80, 80, 24, 13, false);
    FontFSize = label(Frame2, "FontFSize", QStringLiteral("Size:"), 16, 96, 23, 13, false);
    FontSizeText = label(Frame2, "FontSizeText", QStringLiteral("none"), 80, 96, 24, 13, false);

    Command4 = place(new QPushButton(QStringLiteral("     &Match"), this), "Command4", 8, 376, 57, 19, false);
    // The check box shows its box only, over the left end of the Match button.
    Check1 = place(new QCheckBox(this), "Check1", 11, 379, 13, 13, false);
    Check1->setChecked(false);
    MatchProg = place(new QProgressBar(this), "MatchProg", 72, 379, 97, 13, false);
    MatchProg->setTextVisible(false);
    MatchProg->setRange(0, 100);
    MatchProg->setValue(0);
    MatchText = label(this, "MatchText", numfmt::percent(0), 180, 379, 29, 13, false);

    Label1 = label(this, "Label1", QStringLiteral("&Char:"), 232, 379, 25, 13, false);
    CharText = field(this, "CharText", QStringLiteral("A"), 1, 264, 376, 17, 20);
    CharIndex = field(this, "CharIndex", QStringLiteral("65"), 3, 280, 376, 41, 20);
    UpDown1 = spinner(this, "UpDown1", 0, 255, 1, 65, 303, 378);
    UpDown1->setBuddy(CharIndex);
    Label5 = label(this, "Label5", QStringLiteral("Speed&Up:"), 344, 379, 48, 13, false);
    SpeedUp = field(this, "SpeedUp", QStringLiteral("1"), 2, 400, 376, 33, 20);
    UpDown4 = spinner(this, "UpDown4", 1, 10, 1, 1, 416, 378);
    UpDown4->setBuddy(SpeedUp);

    List1 = place(new ResultsList(this), "List1", 8, 400, 425, 137, false);
    MainProgressBar = place(new QProgressBar(this), "MainProgressBar", 9, 536, 423, 9, true);
    MainProgressBar->setTextVisible(false);
    MainProgressBar->setRange(0, 100 * kProgressScale);
    MainProgressBar->setValue(0);

    Label3 = label(this, "Label3", QStringLiteral("&Add:"), 8, 558, 22, 13, false);
    AddThres = field(this, "AddThres", numfmt::threshold(800), 0, 40, 555, 49, 19);
    UpDown2 = spinner(this, "UpDown2", 0, 1000, 5, 800, 72, 557);
    Label4 = label(this, "Label4", QStringLiteral("&Bold:"), 104, 560, 24, 13, false);
    BoldThres = field(this, "BoldThres", numfmt::threshold(900), 0, 136, 555, 49, 19);
    UpDown3 = spinner(this, "UpDown3", 800, 1000, 5, 900, 167, 557);

    ButtonFind = place(new QPushButton(QStringLiteral("&Find"), this), "ButtonFind", 216, 552, 65, 25, false);
    ButtonClear =
        place(new QPushButton(QStringLiteral("C&lear"), this), "ButtonClear", 288, 552, 65, 25, false);
    ButtonAbout =
        place(new QPushButton(QStringLiteral("Ab&out"), this), "ButtonAbout", 360, 552, 73, 25, true);

    StatusBar1 = place(new StatusBar(this), "StatusBar1", 0, 584, 441, 17, true);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kFindTimerMs);

    // A label with an access key hands the focus to the field after it.
    Label1->setBuddy(CharText);
    Label5->setBuddy(SpeedUp);
    Label3->setBuddy(AddThres);
    Label4->setBuddy(BoldThres);

    // Keyboard order by tab index.
    QList<QWidget*> ordered;
    for (QWidget* w : findChildren<QWidget*>())
        if (tabIndexOf(w) >= 0 && (w->focusPolicy() & Qt::TabFocus)) ordered.append(w);
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const QWidget* a, const QWidget* b) { return tabIndexOf(a) < tabIndexOf(b); });
    for (int i = 1; i < ordered.size(); ++i) setTabOrder(ordered[i - 1], ordered[i]);

    setFixedWidth(kClientWidth);
    resize(kClientWidth, kClientHeight);
}

void Form1::createConnections() {
    // Hover hints and the parameter fields' keys and focus go through eventFilter().
    setMouseTracking(true);
    for (QWidget* w : findChildren<QWidget*>()) {
        if (tabIndexOf(w) < 0) continue;
        w->setMouseTracking(true);
        w->installEventFilter(this);
    }
    // The results list gets its mouse moves through its viewport.
    List1->viewport()->setMouseTracking(true);
    List1->viewport()->installEventFilter(this);
    for (QGroupBox* frame : {Frame1, Frame2}) fitFrameLabels(frame);

    connect(ButtonAbout, &QPushButton::clicked, this, [this] { aboutBox()->showModal(); });
    connect(Command1, &QPushButton::clicked, this, [this] { fontFolderDialog()->showModal(); });

    // The height drag on the status bar.
    connect(
        StatusBar1, &StatusBar::mousePressed, this, [this](int button, Qt::KeyboardModifiers, float, float) {
            SetStatus(StatusMode::Statistics);
            if (button != 1) return;
            const QPoint cursor = StatusBar1->cursorScreenPos();
            const double height = double(frameGeometry().height()) * kTwipsPerPixel;
            const double top = double(frameGeometry().top()) * kTwipsPerPixel;
            dragOffset_ = height + top - double(cursor.y()) * kTwipsPerPixel;
        });
    connect(StatusBar1, &StatusBar::mouseMoved, this,
            [this](int button, Qt::KeyboardModifiers, float, float) {
                if (button != 1) {
                    SetStatus(StatusMode::Hint, tabIndexOf(StatusBar1),
                              QStringLiteral("Click and drag to change window size"));
                    return;
                }
                if (!dragOffset_) return;  // no press on the bar started this drag
                const double offset = *dragOffset_;
                const QPoint cursor = StatusBar1->cursorScreenPos();
                const double top = double(frameGeometry().top()) * kTwipsPerPixel;
                const double newHeight = offset + double(cursor.y()) * kTwipsPerPixel - top;
                if (newHeight > kMinOuterHeightTwips) {
                    const int outer = int(std::lround(newHeight / kTwipsPerPixel));
                    const int frameExtra = frameGeometry().height() - height();
                    resize(width(), outer - frameExtra);
                }
                SetStatus(StatusMode::Statistics);
            });
}

void Form1::setDefaults() {
    StatusBar1->setPanelText(2, QStringLiteral("Estimated Time: 00:00"));
    StatusBar1->setPanelText(3, QStringLiteral("Fonts Matched: 0 "));
    StatusBar1->setPanelText(4, QStringLiteral("Fonts/Sec: ") + numfmt::fixed(0, 1) + QStringLiteral(" "));
    for (int p = 1; p <= StatusBar::kPanels; ++p) StatusBar1->setPanelVisible(p, p >= 2 && p <= 4);
    session_.params().speedup = UpDown4->value();
    session_.params().addThreshold = UpDown2->value();
    session_.params().boldThreshold = UpDown3->value();
    session_.params().character = Character::fromByteCode(charCode());
}

int Form1::tabIndexOf(const QWidget* control) {
    if (!control) return -1;
    return tabIndexes().value(control->objectName(), -1);
}

void Form1::fitFrameLabels(QWidget* frame) {
    // The labels of the two info frames size themselves to their text. A search run changes
    // them for every font, far more often than anyone can read them: during a run they take
    // all the room they have instead, which costs no text measuring.
    for (QLabel* l : frame->findChildren<QLabel*>()) {
        const int room = frame->width() - l->x() - 4;
        l->resize(FindRunning ? room : std::min(room, l->sizeHint().width()), l->height());
    }
}

void Form1::layoutControls() {
    // The client width is fixed; the frame is the window manager's and stays outside.
    const int frameExtraH = frameGeometry().height() - height();
    const int minOuter = (kMinOuterHeightTwips + kTwipsPerPixel - 1) / kTwipsPerPixel;  // 534
    setMinimumHeight(minOuter - frameExtraH);
    if (width() != kClientWidth || height() + frameExtraH < minOuter) {
        resize(kClientWidth, std::max(height(), minOuter - frameExtraH));
        return;  // the resize comes back here with the corrected size
    }
    const int h = height();
    List1->setGeometry(List1->x(), List1->y(), List1->width(), h - List1->y() - 66);
    auto top = [](QWidget* w, int y) { w->move(w->x(), y); };
    top(Label3, h - 44);
    top(AddThres, h - 47);
    top(UpDown2, h - 45);
    top(Label4, h - 44);
    top(BoldThres, h - 47);
    top(UpDown3, h - 45);
    top(ButtonFind, h - 50);
    top(ButtonClear, h - 50);
    top(ButtonAbout, h - 50);
    top(MainProgressBar, h - 67);
    StatusBar1->setGeometry(0, h - StatusBar1->height(), kClientWidth, StatusBar1->height());
}

void Form1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutControls();
}

void Form1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    layoutControls();
}

void Form1::closeEvent(QCloseEvent* event) {
    // Closing ends the program at once, also in the middle of a search run: no handler of
    // any window runs after this one, and there is nothing to save.
    FindRunning = false;
    event->accept();
    std::_Exit(0);
}

void Form1::mouseMoveEvent(QMouseEvent* event) {
    // The background brings the statistics back. Moves that a control without a hint passed
    // up (a label, a progress bar) leave the status line as it is; a disabled control counts
    // as background, as it raises no notification of its own.
    QWidget* under = childAt(event->position().toPoint());
    bool background = under == nullptr;
    for (QWidget* w = under; w && w != this && !background; w = w->parentWidget())
        if (!w->isEnabled()) background = true;
    if (background) SetStatus(StatusMode::Statistics);
    QWidget::mouseMoveEvent(event);
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Picture1 && pictureDropEvent(event)) return true;
    if (watched == List1->viewport()) {
        if (event->type() == QEvent::MouseMove) {
            if (List1->isEnabled())
                hoverHint(List1);
            else
                SetStatus(StatusMode::Statistics);
        }
        return QWidget::eventFilter(watched, event);
    }
    switch (event->type()) {
        case QEvent::MouseMove:
            if (auto* w = qobject_cast<QWidget*>(watched); w && !w->isEnabled()) {
                // A disabled control raises no notification of its own: the background's
                // handler applies, whatever kind of control it is.
                SetStatus(StatusMode::Statistics);
            } else if (w) {
                const auto* move = static_cast<QMouseEvent*>(event);
                // A frame's labels have no hint: over them the frame's own handler stays silent.
                if ((w == Frame1 || w == Frame2) && w->childAt(move->position().toPoint())) break;
                // The canvases' own mouse handlers show their hint (and nothing during a run).
                if (w == Picture1 || w == Picture2) break;
                hoverHint(w);
            }
            break;
        case QEvent::KeyPress:
            // Ctrl+V in a text field loads a picture the clipboard holds; text it pastes.
            if (static_cast<QKeyEvent*>(event)->matches(QKeySequence::Paste) &&
                qobject_cast<QLineEdit*>(watched) && pastePicture())
                return true;
            if (paramEvent(watched, event)) return true;
            break;
        case QEvent::KeyRelease:
        case QEvent::FocusIn:
        case QEvent::FocusOut:
            if (paramEvent(watched, event)) return true;
            break;
        case QEvent::LayoutRequest:
            if (watched == Frame1 || watched == Frame2) fitFrameLabels(static_cast<QWidget*>(watched));
            break;
        default:
            break;
    }
    return QWidget::eventFilter(watched, event);
}

Form2* Form1::bitmapDialog() {
    if (!form2_) {
        form2_ = new Form2(this);
        connect(form2_, &Form2::bitmapChosen, this, &Form1::loadBitmap);
    }
    return form2_;
}

Form3* Form1::fontFolderDialog() {
    if (!form3_) {
        form3_ = new Form3(this);
        connect(form3_, &Form3::folderChosen, this, &Form1::loadFontFolder);
    }
    return form3_;
}

About* Form1::aboutBox() {
    if (!about_) about_ = new About(this);
    return about_;
}

void Form1::setMainProgress(double minimum, double maximum, double value) {
    MainProgressBar->setRange(int(std::lround(minimum * kProgressScale)),
                              int(std::lround(maximum * kProgressScale)));
    setMainProgressValue(value);
}

void Form1::setMainProgressValue(double value) {
    MainProgressBar->setValue(int(std::lround(value * kProgressScale)));
}

}  // namespace lettrino
