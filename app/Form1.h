#pragma once

#include <QString>
#include <QWidget>

#include <optional>
#include <vector>

#include "dialogs/About.h"
#include "fonts/FontList.h"
#include "app/FontEntry.h"
#include "render/GlyphRenderer.h"
#include "session/FontSource.h"

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMimeData;
class QProgressBar;
class QPushButton;
class QTimer;

namespace lettrino {

class CanvasWidget;
class FontSlider;
struct MatchScore;
class Form2;
class Form3;
class ResultsList;
class Session;
class StatusBar;
class UpDown;

// The main window. Its controls keep their design names; its routines (DisplayFont,
// DisplayFontFAST, MatchCalc, SetStatus) are thin: they call the session, then write the
// controls. Its state and controls are its own: tests and other windows reach the controls by
// object name. The implementation is split by concern:
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
    // The window works through the session (its font system, reference and glyph canvases,
    // parameters and search routine), which must outlive it.
    explicit Form1(Session& session, QWidget* parent = nullptr);
    ~Form1() override;

    static QString caption() { return About::programCaption(); }

    // What Ok of the bitmap dialog does (also a dropped or pasted picture): loads the picture
    // file into the reference canvas, or says why it cannot.
    void loadBitmap(const QString& path, const QString& fileName);
    // What Ok of the font-folder dialog does: the folder's font files become the font list.
    void loadFontFolder(const QString& folder);
    // `lettrino PICTURE` (a desktop's Open With): the program's arguments, its name first; a
    // picture file after it loads as if chosen in the bitmap dialog.
    void openArguments(const QStringList& arguments);

Q_SIGNALS:
    void findRunningChanged(bool running);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    // What the status line shows.
    enum class StatusMode {
        Statistics,  // the run's statistics (estimated time, fonts matched, fonts per second)
        Hint,        // a control's hover hint; the control's tab index tells which
        Readout,     // the two points of the inspection aids with their grey levels
    };

    // ---- the routines the handlers share ----
    void DisplayFont(const QString& filenametodisp, const QString& filepath);
    void DisplayFontFAST(const QString& filenametodisp, const QString& filepath);
    // What the fast renderer drew, in the Font Info labels; the font becomes the one shown.
    void showFastOutcome(const QString& prefix, const RenderOutcome& out);
    void MatchCalc();
    // A match's percentage and the results row it earns (added or updated); "0.0%" for none.
    void showMatch(const MatchScore* score);
    void addResultRow(const MatchScore& score);
    // Statistics, a hint (keyed by the control's tab index, so moving between a label and its
    // field does not repaint), or the readout of two points and their colours.
    void SetStatus(StatusMode mode, int key = -1, const QString& text = QString(), float x1 = 0, float y1 = 0,
                   int rgb1 = 0, float x2 = 0, float y2 = 0, int rgb2 = 0);

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
    void fitFrameLabels(QWidget* frame);
    Form2* bitmapDialog();
    Form3* fontFolderDialog();
    About* aboutBox();
    static constexpr int kFindTimerMs = 837;
    // The tab index of a control (its identity for the status line), -1 for none.
    static int tabIndexOf(const QWidget* control);
    // The main progress bar takes real-valued ranges (count - 0.9): it is scaled by this.
    static constexpr int kProgressScale = 10;
    void setMainProgress(double minimum, double maximum, double value);
    void setMainProgressValue(double value);

    // Form1Status.cpp: the hover hint of a control, if it has one.
    bool hoverHint(QObject* control);
    // Form1Params.cpp
    bool paramEvent(QObject* watched, QEvent* event);
    void charIndexChanged();
    // The character the renderers draw: the code of CharText's character, -1 when the
    // field holds none of the code page.
    int charCode() const;
    // Form1Bitmap.cpp
    void loadPicture(const QImage& picture, const QString& name);
    // A dropped or pasted picture file's path: the one local file the data names, or "".
    static QString pictureFileOf(const QMimeData* data);
    // Ctrl+V: loads the clipboard's picture, or its picture file, as if chosen in the dialog;
    // false (nothing done) when it holds neither, or during a search run.
    bool pastePicture();
    // Drag and drop of a picture file onto Picture1; true when the event was one of those.
    bool pictureDropEvent(QEvent* event);
    void measureBitmap();
    // Form1Fonts.cpp
    void loadSystemFonts();  // Command5
    void enableFontListControls();
    QString currentEntry() const;
    // Form1Search.cpp
    void findClicked();  // ButtonFind
    void timerTick();    // Timer1
    // Form1Inspect.cpp: the canvases' mouse handlers (canvas 1 = Picture1, 2 = Picture2).
    void canvasMouseMove(int canvas, int button, float x, float y);
    void canvasMousePress(int canvas, int button, float x, float y);
    void canvasMouseRelease(int canvas, int button, float x, float y);
    void canvasDoubleClick();

    Session& session_;

    // ---- state shared between the parts of the window ----
    bool FindRunning = false;
    int FindElapsedMs = 0;
    int FindStartIndex = 0;  // the slider's value when the run started
    int PressCount = 0;
    StatusMode statusMode_ = StatusMode::Statistics;
    int statusKey_ = -1;  // with StatusMode::Hint, the tab index of the hinted control
    // The status bar's height drag: the offset from the cursor to the window's bottom edge, in
    // twips, from the press that started it.
    std::optional<double> dragOffset_;

    // The font list: its entries and folder, and the selected position; as jobs for a search.
    lettrino::FontList FontList;
    std::vector<FontRef> fontJobs_;
    int FontListIndex = -1;

    // The font last drawn (entry text and the renderers' folder argument): a results row
    // written for it points at its file, also when it was drawn from a row of an earlier list.
    QString displayedEntry_;
    QString displayedPrefix_ = kInstalledMarker;

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

    // The dialogs, made on first use and afterwards only hidden.
    Form2* form2_ = nullptr;
    Form3* form3_ = nullptr;
    About* about_ = nullptr;
};

}  // namespace lettrino
