// DisplayFont, DisplayFontFAST and MatchCalc: thin routines over the engine's renderer and
// matcher that write the main window's controls.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>

#include "app/CanvasWidget.h"
#include "app/Form1.h"
#include "app/ResultsList.h"
#include "app/StatusBar.h"
#include "app/UpDown.h"
#include "match/Matcher.h"
#include "match/NumberFormat.h"
#include "match/Results.h"
#include "session/Session.h"

namespace lettrino {

namespace {

// The Font Info labels of one rendering.
void showOutcome(QLabel* top, QLabel* left, QLabel* size, const RenderOutcome& out) {
    top->setText(out.topText());
    left->setText(out.leftText());
    size->setText(out.sizeText());
}

}  // namespace

void Form1::DisplayFont(const QString& filenametodisp, const QString& filepath) {
    GlyphRenderer::Hooks hooks;
    hooks.filenameShown = [this](const QString& filename) {
        FontFilenameText->setText(filename);
        FontFilenameText->repaint();
    };
    hooks.cantOpen = [this](const QString& path) {
        // No message box ever interrupts a search run.
        if (FindRunning) return;
        QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(),
                        QStringLiteral("Error: Can't open ") + path, QMessageBox::Ok, this);
        box.exec();
    };
    displayedEntry_ = filenametodisp;
    displayedPrefix_ = filepath;
    session_.params().character = Character::fromByteCode(charCode());
    const RenderOutcome out = session_.displayFont(fontRefOf(filenametodisp, filepath), hooks);
    FontFontnameText->setText(out.faceName);
    showOutcome(FontTopText, FontLeftText, FontSizeText, out);
    if (!out.fontDisplayed) {
        Command4->setEnabled(false);
        Check1->setEnabled(false);
    } else if (!FindRunning) {
        Command4->setEnabled(true);
        Check1->setEnabled(true);
    }
    Picture2->update();
}

// The search run's renderer: no message, no cross, the match controls untouched. Painting is
// left to the run, which knows how often the screen can show a new glyph.
void Form1::DisplayFontFAST(const QString& filenametodisp, const QString& filepath) {
    session_.params().character = Character::fromByteCode(charCode());
    showFastOutcome(filepath, session_.displayFontFast(fontRefOf(filenametodisp, filepath)));
}

void Form1::showFastOutcome(const QString& prefix, const RenderOutcome& out) {
    displayedEntry_ = out.filename;
    displayedPrefix_ = prefix;
    FontFontnameText->setText(out.faceName);
    FontFilenameText->setText(out.filename);
    showOutcome(FontTopText, FontLeftText, FontSizeText, out);
}

void Form1::MatchCalc() {
    Canvas& reference = Picture1->canvas();
    Canvas& glyph = Picture2->canvas();

    if (!session_.fontDisplayed()) {
        showMatch(nullptr);
        return;
    }

    MatchScore score;
    if (FindRunning) {
        score = session_.matchFast();
    } else {
        // Scored row by row with a red scan line on both canvases and the percentage climbing.
        // Pure red leaves every red component as it was, so neither the box outlines (taken
        // away for the scan and put back after) nor the scan lines change the score.
        const InkBox& rb = session_.reference().box;
        const InkBox& gb = session_.glyphBox();
        reference.drawRect(rb.left, rb.top, rb.right, rb.bottom, kRed);
        glyph.drawRect(gb.left, gb.top, gb.right, gb.bottom, kRed);
        MatchScan scan = session_.matchScan();
        // A box one row high (or none) still shows a bar that fills.
        const int progressMax = std::max(scan.referenceHeight(), 1);
        MatchProg->setRange(0, progressMax);
        MatchProg->setValue(0);
        while (scan.hasNextRow()) {
            const int y = scan.nextRowOffset();
            const int gy = int(numfmt::roundHalfEven(scan.glyphRowOrdinate(y)));
            reference.drawLine(rb.left, rb.top + y, rb.right, rb.top + y, kRed);
            glyph.drawLine(gb.left, gy, gb.right, gy, kRed);
            Picture1->repaintNow();
            Picture2->repaintNow();
            scan.scoreRow();
            MatchProg->setValue(y);
            MatchText->setText(numfmt::percent(scan.partial()));
            MatchText->repaint();
            reference.drawLine(rb.left, rb.top + y, rb.right, rb.top + y, kRed);
            glyph.drawLine(gb.left, gy, gb.right, gy, kRed);
        }
        score = scan.result();
        reference.drawRect(rb.left, rb.top, rb.right, rb.bottom, kRed);
        glyph.drawRect(gb.left, gb.top, gb.right, gb.bottom, kRed);
        MatchProg->setValue(progressMax);
        Picture1->repaintNow();
        Picture2->repaintNow();
    }

    showMatch(&score);
}

void Form1::showMatch(const MatchScore* score) {
    // The result label starts at its design width, which the widest result ("100.00%") does
    // not fit in: it grows once, to the right, before it shows a result.
    static const int resultWidth = MatchText->fontMetrics().horizontalAdvance(numfmt::percent(1)) + 2;
    if (MatchText->width() < resultWidth) MatchText->resize(resultWidth, MatchText->height());
    if (!score) {
        MatchProg->setValue(MatchProg->maximum());
        MatchText->setText(QStringLiteral("0.0%"));
        return;
    }
    MatchText->setText(numfmt::percent(score->m));
    addResultRow(*score);
}

void Form1::addResultRow(const MatchScore& score) {
    // The tags locate the font that was drawn: normally the list's selected entry, but a row
    // click can have drawn a font of an earlier list.
    const SearchParams& params = session_.params();
    if (!results::passesAdd(score.m, params.addThreshold)) return;
    ResultRow result;
    result.m = score.m;
    result.xRatio = score.xRatio;
    result.yRatio = score.yRatio;
    result.face = FontFontnameText->text();
    const results::ListRow row = results::makeRow(result, params.boldThreshold, FontFilenameText->text(), FontListIndex,
                                                  displayedEntry_, folderOfPrefix(displayedPrefix_), displayedPrefix_);
    if (List1->addOrUpdate(row))
        StatusBar1->setPanelText(3, QStringLiteral("Fonts Matched: ") + QString::number(List1->rowCount()));
}

}  // namespace lettrino
