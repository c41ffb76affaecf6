// Font lists (installed faces or one folder's font files), browsing them with the slider,
// the Match button and the automatic match, and the results list's handlers.
#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "app/CanvasWidget.h"
#include "app/FontSlider.h"
#include "app/Form1.h"
#include "app/ResultsList.h"
#include "app/StatusBar.h"
#include "app/UpDown.h"
#include "dialogs/Form3.h"
#include "render/FontSystem.h"
#include "session/Session.h"

namespace lettrino {

void Form1::connectFonts() {
    connect(Command5, &QPushButton::clicked, this, [this] { loadSystemFonts(); });
    connect(Command4, &QPushButton::clicked, this, [this] { MatchCalc(); });

    // The browse step: user moves only; the loaders and the search run set the value themselves.
    connect(Slider1, &FontSlider::movedByUser, this, [this](int position) {
        if (position < 0 || position >= FontList.count()) return;
        FontListIndex = position;
        const QString entry = FontList.entries.at(position);
        Slider1->setDragTip(entry);
        Frame3->update();
        Picture1->update();
        Picture2->update();
        DisplayFont(entry, prefixOf(FontList));
    });
    // One automatic match when a move is completed: at the mouse release, or at the release of
    // Up or Down.
    connect(Slider1, &FontSlider::mouseReleased, this, [this] {
        if (Check1->isChecked() && Check1->isEnabled()) MatchCalc();
    });
    connect(Slider1, &FontSlider::keyReleased, this, [this](int key) {
        if ((key == Qt::Key_Up || key == Qt::Key_Down) && Check1->isChecked() && Check1->isEnabled())
            MatchCalc();
    });

    connect(List1, &ResultsList::rowClicked, this,
            [this](const QString& entry, const QString& prefix) { DisplayFont(entry, prefix); });
    connect(ButtonClear, &QPushButton::clicked, this, [this] {
        List1->clearRows();
        StatusBar1->setPanelText(3, QStringLiteral("Fonts Matched: 0 "));
    });
    // A dragged row of an installed face offers the face's own file, never a made-up path.
    List1->setFaceFileResolver([this](const QString& face) -> QString {
        for (const FaceEntry& installed : session_.fonts().installedFaces())
            if (installed.name == face) return installed.file;
        return {};
    });
}

QString Form1::currentEntry() const {
    return FontListIndex >= 0 && FontListIndex < FontList.count() ? FontList.entries.at(FontListIndex)
                                                                  : QString();
}

void Form1::loadSystemFonts() {
    const QStringList names = installedFaceNames(session_.fonts());
    // A system without faces has nothing to show: the window stays as it was.
    if (names.isEmpty()) return;
    const int count = int(names.size());
    setMainProgress(0, count - 0.9, 0);
    FontList.entries.clear();
    FontList.entries.reserve(count);
    for (int i = 0; i < count; ++i) {
        FontList.entries.append(names.at(i));
        setMainProgressValue(i);
    }
    FontList.folder.clear();
    FontList.installed = true;
    fontJobs_ = installedJobs(session_.fonts());

    Slider1->setRange(0, count - 1);
    Slider1->setEnabled(true);
    enableFontListControls();
    FontListIndex = 0;
    DisplayFont(FontList.entries.at(0), prefixOf(FontList));
    Slider1->setValue(0);
    ButtonFind->setEnabled(true);
}

void Form1::loadFontFolder(const QString& folder) {
    const QStringList files = fontFilesIn(folder);
    // The dialog offers Ok only for a folder with font files; if they have gone since, the
    // current list stays rather than an empty one.
    if (files.isEmpty()) return;
    const int count = int(files.size());
    setMainProgress(0, count - 0.9, 0);
    FontList.entries.clear();
    FontList.entries.reserve(count);
    if (form3_) form3_->setCursor(Qt::WaitCursor);
    for (int i = 0; i < count; ++i) {
        FontList.entries.append(files.at(i));
        setMainProgressValue(i);
    }
    if (form3_) form3_->unsetCursor();
    FontList.folder = folderTag(folder);
    FontList.installed = false;
    fontJobs_ = jobsOf(FontList);

    Slider1->setRange(0, count > 1 ? count - 1 : 1);
    enableFontListControls();
    if (form3_) form3_->hide();
    FontListIndex = 0;
    DisplayFont(FontList.entries.at(0), prefixOf(FontList));
    Slider1->setValue(0);
    Slider1->setEnabled(count > 1);
    ButtonFind->setEnabled(true);
}

void Form1::enableFontListControls() {
    QWidget* const controls[] = {
        Label1,           CharText,  CharIndex, UpDown1,   List1,        ButtonClear,      AddThres,
        UpDown2,          BoldThres, UpDown3,   Label3,    Label4,       Label5,           SpeedUp,
        UpDown4,          MatchProg, MatchText, Frame2,    FontFilename, FontFilenameText, FontFontname,
        FontFontnameText, FontTop,   FontLeft,  FontFSize, FontTopText,  FontLeftText,     FontSizeText,
    };
    for (QWidget* control : controls) control->setEnabled(true);
}

}  // namespace lettrino
