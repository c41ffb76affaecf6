#pragma once

#include <QString>
#include <QWidget>

#include <memory>

#include "canvas/InkBox.h"
#include "fonts/FontList.h"
#include "render/FontSystem.h"
#include "render/GlyphRenderer.h"

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace lettrino {

class About;
class CanvasWidget;
class FontSlider;
class Form2;
class Form3;
class ResultsList;
class StatusBar;
class UpDown;

// The main window. Its controls keep their design names; its routines (DisplayFont,
// DisplayFontFAST, MatchCalc, SetStatus) are thin: they call the engine, then write the
// controls. The implementation is split by concern:
//   Form1.cpp         construction, control inventory, layout, status-bar height drag, close
//   Form1Status.cpp   SetStatus and the hover hints
//   Form1Params.cpp   the parameter fields (character, thresholds, speed-up)
//   Form1Bitmap.cpp   the bitmap dialog and the reference ink box
//   Form1Fonts.cpp    font lists, browsing, the Match button, the results list's handlers
//   Form1Render.cpp   DisplayFont, DisplayFontFAST, MatchCalc
//   Form1Search.cpp   the search run and its statistics
//   Form1Inspect.cpp  rulers, grid and pixel readout on the canvases
class Form1 : public QWidget {
    Q_OBJECT
public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    static QString caption() { return QStringLiteral("Lettrino v1.03"); }

    // ---- routines the handlers share ----
    void DisplayFont(const QString& filenametodisp, const QString& filepath);
    void DisplayFontFAST(const QString& filenametodisp, const QString& filepath);
    void MatchCalc();
    void SetStatus(int showinfo, const QString& text, float x1 = 0, float y1 = 0, int rgb1 = 0, float x2 = 0,
                   float y2 = 0, int rgb2 = 0);

    // ---- state shared between the parts of the window ----
    InkBox BitmapBox{0, 0, 0, 0};  // BitmapBoxTop/Left/Right/Bottom
    InkBox FontBox{0, 0, 0, 0};    // FontBoxTop/Left/Right/Bottom
    bool FontDisplayed = false;
    bool FindRunning = false;
    int FindElapsedMs = 0;
    int InitialFontCount = 0;
    int PressCount = 0;

    // The font list: its entries and folder, and the selected position.
    lettrino::FontList FontList;
    int FontListIndex = -1;
    QString currentEntry() const;

    FontSystem& fonts() { return fonts_; }

    // ---- controls (design names) ----
    QPushButton* Command2 = nullptr;  // "&Select Bitmap File"
    QPushButton* Command1 = nullptr;  // "Fonts &Directory"
    QPushButton* Command5 = nullptr;  // "S&ystem Fonts"
    CanvasWidget* Picture1 = nullptr;
    FontSlider* Slider1 = nullptr;
    CanvasWidget* Picture2 = nullptr;
    QFrame* Frame3 = nullptr;
    QGroupBox* Frame1 = nullptr;  // "Bitmap Info"
    QLabel* BitmapFilename = nullptr;
    QLabel* BitmapFilenameText = nullptr;
    QLabel* BitmapTop = nullptr;
    QLabel* BitmapTopText = nullptr;
    QLabel* BitmapLeft = nullptr;
    QLabel* BitmapLeftText = nullptr;
    QLabel* BitmapSize = nullptr;
    QLabel* BitmapSizeText = nullptr;
    QGroupBox* Frame2 = nullptr;  // "Font Info"
    QLabel* FontFilename = nullptr;
    QLabel* FontFilenameText = nullptr;
    QLabel* FontFontname = nullptr;
    QLabel* FontFontnameText = nullptr;
    QLabel* FontTop = nullptr;
    QLabel* FontTopText = nullptr;
    QLabel* FontLeft = nullptr;
    QLabel* FontLeftText = nullptr;
    QLabel* FontFSize = nullptr;
    QLabel* FontSizeText = nullptr;
    QPushButton* Command4 = nullptr;  // "     &Match"
    QCheckBox* Check1 = nullptr;
    QProgressBar* MatchProg = nullptr;
    QLabel* MatchText = nullptr;
    QLabel* Label1 = nullptr;  // "&Char:"
    QLineEdit* CharText = nullptr;
    QLineEdit* CharIndex = nullptr;
    UpDown* UpDown1 = nullptr;
    QLabel* Label5 = nullptr;  // "Speed&Up:"
    QLineEdit* SpeedUp = nullptr;
    UpDown* UpDown4 = nullptr;
    ResultsList* List1 = nullptr;
    QProgressBar* MainProgressBar = nullptr;
    QLabel* Label3 = nullptr;  // "&Add:"
    QLineEdit* AddThres = nullptr;
    UpDown* UpDown2 = nullptr;
    QLabel* Label4 = nullptr;  // "&Bold:"
    QLineEdit* BoldThres = nullptr;
    UpDown* UpDown3 = nullptr;
    QPushButton* ButtonFind = nullptr;
    QPushButton* ButtonClear = nullptr;
    QPushButton* ButtonAbout = nullptr;
    StatusBar* StatusBar1 = nullptr;
    QTimer* Timer1 = nullptr;
    QString Timer1Tag = QStringLiteral("0");

    // The dialogs, made on first use and afterwards only hidden.
    Form2* bitmapDialog();
    Form3* fontFolderDialog();
    About* aboutBox();

    // The tab index of a control (its identity for the status line), -1 for none.
    static int tabIndexOf(const QWidget* control);

    // The main progress bar takes real-valued ranges (count - 0.9): it is scaled by this.
    static constexpr int kProgressScale = 10;
    void setMainProgress(double minimum, double maximum, double value);
    void setMainProgressValue(double value);

    // ---- the parts' handlers (each defined in its own file) ----
    // Form1Bitmap.cpp
    void loadBitmap(const QString& path, const QString& fileName);  // Ok of the bitmap dialog
    void measureBitmap();                                           // Picture1's picture changed
    // Form1Fonts.cpp
    void loadSystemFonts();                      // Command5
    void loadFontFolder(const QString& folder);  // Ok of the font-folder dialog
    // Form1Search.cpp
    void findClicked();  // ButtonFind
    void timerTick();    // Timer1
    // Form1Inspect.cpp: the canvases' mouse handlers (canvas 1 = Picture1, 2 = Picture2).
    void canvasMouseMove(int canvas, int button, float x, float y);
    void canvasMousePress(int canvas, int button, float x, float y);
    void canvasMouseRelease(int canvas, int button, float x, float y);
    void canvasDoubleClick();

Q_SIGNALS:
    void findRunningChanged(bool running);

protected:
    // Set when the window is being closed.
    bool closing_ = false;

    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    // Form1.cpp
    void createControls();
    void createConnections();
    void setDefaults();
    void layoutControls();
    // Each part wires its own handlers.
    void connectStatus();   // Form1Status.cpp
    void connectParams();   // Form1Params.cpp
    void connectBitmap();   // Form1Bitmap.cpp
    void connectFonts();    // Form1Fonts.cpp
    void connectSearch();   // Form1Search.cpp
    void connectInspect();  // Form1Inspect.cpp
    // Form1Status.cpp: the hover hint of a control, if it has one.
    bool hoverHint(QObject* control);
    // Form1Params.cpp: key and focus events of the parameter fields.
    bool paramEvent(QObject* watched, QEvent* event);
    // Form1Fonts.cpp: the font-list-loaded state (without Slider1 and ButtonFind).
    void enableFontListControls();

    // Form1.cpp private helpers
    void fitFrameLabels(QWidget* frame);
    void charIndexChanged();  // Form1Params.cpp: CharIndex changed or lost the focus

    FontSystem fonts_;
    std::unique_ptr<GlyphRenderer> renderer_;  // draws into Picture2's canvas; made with the controls
    Form2* form2_ = nullptr;
    Form3* form3_ = nullptr;
    About* about_ = nullptr;

    // Form1Fonts/Render private helpers
    // The font last drawn (entry text and the renderers' folder argument): a results row
    // written for it points at its file, also when it was drawn from a row of an earlier list.
    QString displayedEntry_;
    QString displayedPrefix_ = kInstalledMarker;
};

}  // namespace lettrino
