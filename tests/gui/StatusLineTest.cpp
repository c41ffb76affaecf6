// The status line: its three modes, the mode key, the hover hints and the readout texts.
#include <QGroupBox>
#include <QLabel>
#include <QtTest>

#include "WindowFixture.h"
#include "app/ResultsList.h"
#include "app/StatusBar.h"
#include "app/UpDown.h"

using namespace lettrino;
using namespace lettrino::testing;

class StatusLineTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
    void init() {
        window_ = shownWindow();
        for (QWidget* c : window_->findChildren<QWidget*>()) c->setEnabled(true);
    }
    void cleanup() { window_.reset(); }

    void hints_data();
    void hints();
    void labelSharesItsFieldsKey();
    void sameKeyTwiceKeepsTheHint();
    void hoverWithoutHint_data();
    void hoverWithoutHint();
    void statisticsWrittenWhileHiddenShowAgain();
    void readout_data();
    void readout();
    void readoutReplacesHintAndBack();

private:
    StatusBar* bar() const { return window_->StatusBar1; }
    std::unique_ptr<Form1> window_;
};

void StatusLineTest::hints_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");
    auto row = [](const char* control, const char* key, const char* text) {
        QTest::newRow(control) << QString::fromLatin1(control) << QString::fromLatin1(key)
                               << QString::fromUtf8(text);
    };
    row("AddThres", "AddThres", "Match percent threshold for adding a font to the list");
    row("Label3", "AddThres", "Match percent threshold for adding a font to the list");
    row("BoldThres", "BoldThres", "Match percent threshold for listing a matched font in bold text");
    row("Label4", "BoldThres", "Match percent threshold for listing a matched font in bold text");
    row("ButtonAbout", "ButtonAbout", "About Lettrino v1.03");
    row("CharIndex", "CharIndex", "ASCII code of the displayed character");
    row("CharText", "CharText", "Displayed character");
    row("Command5", "Command5", "Loads the font list to be matched with installed fonts");
    row("SpeedUp", "SpeedUp", "Matching algorithm speedup factor");
    row("UpDown1", "UpDown1", "Click to change displayed character");
    row("UpDown2", "UpDown2", "Click to change match percent threshold for adding a font to the list");
    row("UpDown3", "UpDown3",
        "Click to change match percent threshold for listing a matched font in bold text");
    row("UpDown4", "UpDown4", "Click to change matching algorithm speedup factor");
    row("ButtonFind", "ButtonFind", "Start matching the bitmap against selected fonts list");
    row("ButtonClear", "ButtonClear", "Clear matched fonts list");
    row("Command1", "Command1", "Loads the font list to be matched with the contents of a disk folder");
    row("Command2", "Command2", "Select the 200x200 grayscale bitmap to be matched against font list");
    row("Command4", "Command4", "Matches the bitmap against displayed font");
    row("Slider1", "Slider1", "Browse selected fonts list");
    row("List1", "List1", "Matched fonts list. Click and drag to copy font files to another folder");
    row("Check1", "Check1", "Automatically matches the bitmap against displayed font when it changes");
    row("MatchProg", "MatchProg", "Matching algorithm progress bar");
    row("MatchText", "MatchText", "Matching algorithm result");
    row("StatusBar1", "StatusBar1", "Click and drag to change window size");
    row("Picture1", "Picture1",
        "Loaded bitmap. Press left mouse button to show rulers; right button to show grid");
    row("Picture2", "Picture2",
        "Loaded font. Press left mouse button to show rulers; right button to show grid");
}

void StatusLineTest::hints() {
    QFETCH(QString, control);
    QFETCH(QString, key);
    QFETCH(QString, text);
    hover(child(window_.get(), control.toLatin1().constData()), QPoint(3, 3));
    QCOMPARE(bar()->tag(),
             QString::number(Form1::tabIndexOf(child(window_.get(), key.toLatin1().constData()))));
    QCOMPARE(bar()->panelText(5), text);
    for (int p = 2; p <= 12; ++p) QCOMPARE(bar()->panelVisible(p), p == 5);
}

void StatusLineTest::labelSharesItsFieldsKey() {
    hover(window_->Label3);
    bar()->setPanelText(5, QStringLiteral("marker"));
    hover(window_->AddThres);
    QCOMPARE(bar()->panelText(5), QStringLiteral("marker"));  // not written again
    hover(window_->BoldThres);
    QCOMPARE(bar()->panelText(5),
             QStringLiteral("Match percent threshold for listing a matched font in bold text"));
    // The spinner has a key of its own, whatever value it holds.
    hover(window_->SpeedUp);
    hover(window_->UpDown4);
    QCOMPARE(bar()->panelText(5), QStringLiteral("Click to change matching algorithm speedup factor"));
}

void StatusLineTest::sameKeyTwiceKeepsTheHint() {
    window_->SetStatus(13, QStringLiteral("first"));
    window_->SetStatus(13, QStringLiteral("second"));
    QCOMPARE(bar()->panelText(5), QStringLiteral("first"));
    window_->SetStatus(-1, QString());
    window_->SetStatus(13, QStringLiteral("second"));
    QCOMPARE(bar()->panelText(5), QStringLiteral("second"));
}

void StatusLineTest::hoverWithoutHint_data() {
    QTest::addColumn<QString>("control");  // "Form1": the window's own background
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<bool>("statistics");  // true: back to statistics; false: the last hint stays
    QTest::newRow("background") << "Form1" << QPoint(220, 380) << true;  // between canvases and fields
    QTest::newRow("Frame1") << "Frame1" << QPoint(150, 110) << true;
    QTest::newRow("Frame2") << "Frame2" << QPoint(150, 110) << true;
    for (const char* quiet : {"Label1", "Label5", "MainProgressBar", "Frame3", "BitmapTopText", "FontTop"})
        QTest::newRow(quiet) << quiet << QPoint(2, 2) << false;
    QTest::newRow("disabled control") << "ButtonFind" << QPoint(2, 2) << false;
}

void StatusLineTest::hoverWithoutHint() {
    QFETCH(QString, control);
    QFETCH(QPoint, at);
    QFETCH(bool, statistics);
    window_->ButtonFind->setEnabled(control != QLatin1String("ButtonFind"));
    hover(window_->ButtonAbout);
    hover(control == QLatin1String("Form1") ? window_.get()
                                            : child(window_.get(), control.toLatin1().constData()),
          at);
    QCOMPARE(bar()->tag(),
             statistics ? QStringLiteral("-1") : QString::number(Form1::tabIndexOf(window_->ButtonAbout)));
    for (int p = 2; p <= 12; ++p) QCOMPARE(bar()->panelVisible(p), statistics ? p <= 4 : p == 5);
}

void StatusLineTest::statisticsWrittenWhileHiddenShowAgain() {
    hover(window_->CharText);
    bar()->setPanelText(3, QStringLiteral("Fonts Matched: 7"));
    QVERIFY(!bar()->panelVisible(3));
    hover(window_.get(), QPoint(220, 380));
    QVERIFY(bar()->panelVisible(3));
    QCOMPARE(bar()->panelText(3), QStringLiteral("Fonts Matched: 7"));
}

void StatusLineTest::readout_data() {
    QTest::addColumn<float>("x1");
    QTest::addColumn<float>("y1");
    QTest::addColumn<int>("rgb1");
    QTest::addColumn<float>("x2");
    QTest::addColumn<int>("rgb2");
    QTest::addColumn<QStringList>("texts");  // panels 6 to 12
    QTest::newRow("grey 128") << 12.f << 7.f << 0x808080 << 0.f << 0xFFFFFF
                              << QStringList{"X: 12", "Y: 7", "Black: 128", "", "X: 0", "Y: 0", "Black: 255"};
    QTest::newRow("failed read") << 12.5f << 196.f << -1 << 3.25f << 0
                                 << QStringList{"X: 12,5", "Y: 196", "Black: -1", "",
                                                "X: 3,25", "Y: 0",   "Black: 0"};
    QTest::newRow("red only counts") << 1.f << 2.f << 0x00FFFF00 << -4.f << 0x0000FF
                                     << QStringList{"X: 1",  "Y: 2", "Black: 0",  "",
                                                    "X: -4", "Y: 0", "Black: 255"};
}

void StatusLineTest::readout() {
    QFETCH(float, x1);
    QFETCH(float, y1);
    QFETCH(int, rgb1);
    QFETCH(float, x2);
    QFETCH(int, rgb2);
    QFETCH(QStringList, texts);
    window_->SetStatus(-2, QStringLiteral("unused"), x1, y1, rgb1, x2, 0, rgb2);
    QCOMPARE(bar()->tag(), QStringLiteral("-2"));
    for (int p = 2; p <= 12; ++p) QCOMPARE(bar()->panelVisible(p), p >= 6);
    for (int p = 6; p <= 12; ++p) QCOMPARE(bar()->panelText(p), texts[p - 6]);
}

void StatusLineTest::readoutReplacesHintAndBack() {
    hover(window_->CharText);
    window_->SetStatus(-2, QString(), 1, 1, 0, 1, 1, 0);
    window_->SetStatus(-2, QString(), 2, 3, 0, 1, 1, 0);  // every call rewrites the readout
    QCOMPARE(bar()->panelText(6), QStringLiteral("X: 2"));
    QCOMPARE(bar()->panelText(7), QStringLiteral("Y: 3"));
    hover(window_->CharText);
    QCOMPARE(bar()->tag(), QString::number(Form1::tabIndexOf(window_->CharText)));
    for (int p = 2; p <= 12; ++p) QCOMPARE(bar()->panelVisible(p), p == 5);
    // Panel widths: statistics and readout both fill the 441-pixel bar.
    int statistics = 0, readoutWidth = 0;
    for (int p = 2; p <= 4; ++p) statistics += StatusBar::panelWidth(p);
    for (int p = 6; p <= 12; ++p) readoutWidth += StatusBar::panelWidth(p);
    QCOMPARE(statistics, 441);
    QCOMPARE(readoutWidth, 436);
    QCOMPARE(StatusBar::panelWidth(5), 499);
}

QTEST_MAIN(StatusLineTest)
#include "StatusLineTest.moc"
