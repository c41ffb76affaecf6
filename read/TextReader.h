#pragma once

#include <QImage>
#include <QString>

#include <memory>
#include <vector>

namespace tesseract {
class TessBaseAPI;
}

namespace lettrino {

// What a picture was read to say.
struct Reading {
    QString text;  // the best reading: letters and digits, single spaces between words; empty on failure
    // At most kMaxCandidates readings, best first, `text` the first: the engine's other choices
    // for a character, and the other case of letters whose two cases share their shape (o and O,
    // x and X, ...), so that the fonts can tell them apart. Empty on failure.
    std::vector<QString> candidates;
    QString error;  // "no text could be read: ..." when nothing readable was found

    bool ok() const { return error.isEmpty(); }
};
constexpr int kMaxCandidates = 8;

// Reads the text of a picture with Tesseract, English, Greek and Russian at once.
//
// The language data is loaded once, when the object is made, from the system's tessdata
// folder; a reader whose data cannot be loaded is not ok() and says which Debian package
// brings it, and its read() gives that error. The picture is prepared first as prep/ prepares
// a line of text (background white, ink dark, specks left out, cropped and scaled to one
// height), so the engine never sees the picture's own colours, noise or size. Only the tallest
// line of text is read, with any line at least 0.8 of its height (smaller print around it, a
// caption or a note, is left out); a picture of one character is read as one. Tesseract's own
// messages are sent to /dev/null. A picture of 1200 x 850 pixels takes about 50 ms.
//
// Not thread-safe: Tesseract keeps its state between calls; use one reader per thread.
class TextReader {
public:
    TextReader();
    ~TextReader();
    TextReader(const TextReader&) = delete;
    TextReader& operator=(const TextReader&) = delete;

    bool ok() const { return error_.isEmpty(); }
    // Why the language data could not be loaded, naming the Debian package; empty when ok().
    QString error() const { return error_; }

    Reading read(const QImage& picture);

private:
    std::unique_ptr<tesseract::TessBaseAPI> api_;
    QString error_;
};

}  // namespace lettrino
