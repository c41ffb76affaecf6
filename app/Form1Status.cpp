// The status line: statistics, hover hints and the pixel readout, one at a time.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/CanvasWidget.h"
#include "app/FontSlider.h"
#include "app/Form1.h"
#include "session/Session.h"
#include "app/StatusBar.h"
#include "app/UpDown.h"
#include "match/NumberFormat.h"

namespace lettrino {

namespace {

struct Hint {
    const char* control;  // the control under the pointer
    const char* key;      // the control whose tab index is the status line's key
    const char* text;
};

// The hover hints. A label shares its field's key, so moving between them does not repaint.
// The status bar's own hint comes from the height drag; ButtonAbout's text is made from the
// window's caption.
constexpr Hint kHints[] = {
    {"Frame1", nullptr, ""},
    {"Frame2", nullptr, ""},
    {"AddThres", "AddThres", "Match percent threshold for adding a font to the list"},
    {"Label3", "AddThres", "Match percent threshold for adding a font to the list"},
    {"BoldThres", "BoldThres", "Match percent threshold for listing a matched font in bold text"},
    {"Label4", "BoldThres", "Match percent threshold for listing a matched font in bold text"},
    {"ButtonAbout", "ButtonAbout", "About "},
    {"CharIndex", "CharIndex", "ASCII code of the displayed character"},
    {"CharText", "CharText", "Displayed character"},
    {"Command5", "Command5", "Loads the font list to be matched with installed fonts"},
    {"SpeedUp", "SpeedUp", "Matching algorithm speedup factor"},
    {"UpDown1", "UpDown1", "Click to change displayed character"},
    {"UpDown2", "UpDown2", "Click to change match percent threshold for adding a font to the list"},
    {"UpDown3", "UpDown3", "Click to change match percent threshold for listing a matched font in bold text"},
    {"UpDown4", "UpDown4", "Click to change matching algorithm speedup factor"},
    {"ButtonFind", "ButtonFind", "Start matching the bitmap against selected fonts list"},
    {"ButtonClear", "ButtonClear", "Clear matched fonts list"},
    {"Command1", "Command1", "Loads the font list to be matched with the contents of a disk folder"},
    {"Command2", "Command2", "Select the 200x200 grayscale bitmap to be matched against font list"},
    {"Command4", "Command4", "Matches the bitmap against displayed font"},
    {"Slider1", "Slider1", "Browse selected fonts list"},
    {"List1", "List1", "Matched fonts list. Click and drag to copy font files to another folder"},
    {"Check1", "Check1", "Automatically matches the bitmap against displayed font when it changes"},
    {"MatchProg", "MatchProg", "Matching algorithm progress bar"},
    {"MatchText", "MatchText", "Matching algorithm result"},
    {"Picture1", "Picture1",
     "Loaded bitmap. Press left mouse button to show rulers; right button to show grid"},
    {"Picture2", "Picture2",
     "Loaded font. Press left mouse button to show rulers; right button to show grid"},
};

}  // namespace

void Form1::SetStatus(StatusMode mode, int key, const QString& text, float x1, float y1, int rgb1, float x2,
                      float y2, int rgb2) {
    if (mode != StatusMode::Readout) {
        if (mode == statusMode_ && (mode == StatusMode::Statistics || key == statusKey_)) return;
        const bool statistics = mode == StatusMode::Statistics;
        StatusBar1->setPanelVisible(2, statistics);
        StatusBar1->setPanelVisible(3, statistics);
        StatusBar1->setPanelVisible(4, statistics);
        StatusBar1->setPanelVisible(5, !statistics);
        StatusBar1->setPanelText(5, text);
        for (int p = 6; p <= 12; ++p) StatusBar1->setPanelVisible(p, false);
        statusMode_ = mode;
        statusKey_ = key;
        return;
    }
    if (statusMode_ != StatusMode::Readout) {
        for (int p = 2; p <= 5; ++p) StatusBar1->setPanelVisible(p, false);
        for (int p = 6; p <= 12; ++p) StatusBar1->setPanelVisible(p, true);
        statusMode_ = StatusMode::Readout;
        statusKey_ = -1;
    }
    // The grey level is the colour modulo 256, truncated toward zero: -1 stays -1.
    StatusBar1->setPanelText(6, QStringLiteral("X: ") + numfmt::general(x1));
    StatusBar1->setPanelText(7, QStringLiteral("Y: ") + numfmt::general(y1));
    StatusBar1->setPanelText(8, QStringLiteral("Black: ") + QString::number(rgb1 % 256));
    StatusBar1->setPanelText(9, QString());
    StatusBar1->setPanelText(10, QStringLiteral("X: ") + numfmt::general(x2));
    StatusBar1->setPanelText(11, QStringLiteral("Y: ") + numfmt::general(y2));
    StatusBar1->setPanelText(12, QStringLiteral("Black: ") + QString::number(rgb2 % 256));
}

bool Form1::hoverHint(QObject* control) {
    const QString name = control->objectName();
    for (const Hint& hint : kHints) {
        if (name != QLatin1String(hint.control)) continue;
        if (!hint.key) {
            SetStatus(StatusMode::Statistics);
            return true;
        }
        const auto* key = findChild<QWidget*>(QLatin1String(hint.key));
        QString text = QString::fromUtf8(hint.text);
        if (key == static_cast<const QWidget*>(ButtonAbout)) text += windowTitle();
        SetStatus(StatusMode::Hint, tabIndexOf(key), text);
        return true;
    }
    return false;
}

void Form1::connectStatus() {
    // The spinners' arrows report moves over them; the spinner's own hint applies.
    for (UpDown* spinner : {UpDown1, UpDown2, UpDown3, UpDown4})
        connect(spinner, &UpDown::mouseMoved, this, [this, spinner] {
            if (spinner->isEnabled())
                hoverHint(spinner);
            else
                SetStatus(StatusMode::Statistics);
        });
}

}  // namespace lettrino
