// Reading a picture's text: words and letters as fonts set them, in the three scripts read,
// the other case of a letter shaped like it, and pictures with nothing to read.

#include <QImage>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <algorithm>

#include "Printing.h"
#include "read/TextReader.h"

namespace lettrino {
namespace {

bool holds(const Reading& r, const char* text) {
    return std::find(r.candidates.begin(), r.candidates.end(), QString::fromUtf8(text)) != r.candidates.end();
}

TEST(TextReader, ReadsWordsAndLettersAndTheOtherCaseOfSameShapeLetters) {
    TextReader reader;
    ASSERT_TRUE(reader.ok()) << reader.error();  // names the tesseract-ocr-* package missing

    QImage noise(400, 200, QImage::Format_RGB32);  // a speckled grey texture
    QRandomGenerator random(7);
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x) noise.setPixel(x, y, random.bounded(10) ? 0xffd0d0d0u : 0xff202020u);
    QImage blank(300, 200, QImage::Format_RGB32);
    blank.fill(Qt::white);

    const struct {
        const char* font;  // under the system's font folders; empty: the picture below
        const char* shown;
        const char* text;   // the best reading (empty: an error)
        const char* twin;   // also among the candidates
        const QImage* picture;
    } cases[] = {
        {"dejavu/DejaVuSans.ttf", "Hamburg", "Hamburg", "Hamburg", nullptr},
        {"liberation2/LiberationSerif-Regular.ttf", "Quartz 42", "Quartz 42", "Quartz 42", nullptr},
        {"dejavu/DejaVuSerif.ttf", "“jumping,”", "jumping", "jumping", nullptr},  // quotes left out
        {"dejavu/DejaVuSans.ttf", "Αθήνα", "Αθήνα", "Αθήνα", nullptr},
        {"freefont/FreeSerif.ttf", "Москва", "Москва", "Москва", nullptr},
        {"liberation2/LiberationSans-Regular.ttf", "R", "R", "R", nullptr},
        {"dejavu/DejaVuSerif.ttf", "h", "h", "h", nullptr},
        {"liberation2/LiberationSans-Regular.ttf", "λ", "λ", "λ", nullptr},
        {"dejavu/DejaVuSans.ttf", "Я", "Я", "я", nullptr},
        {"dejavu/DejaVuSans.ttf", "o", "", "O", nullptr},  // either case first, both offered
        {"liberation2/LiberationSerif-Regular.ttf", "X", "", "x", nullptr},
        {"dejavu/DejaVuSerif.ttf", "&", "&", "&", nullptr},  // a lone sign is kept
        {"dejavu/DejaVuSans.ttf", "R&D", "RD", "RD", nullptr},  // in a word it is not
        {"", "blank", "", "", &blank},
        {"", "noise", "", "", &noise},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(testing::Message() << t.font << " " << t.shown);
        QImage picture;
        if (t.picture) {
            picture = *t.picture;
        } else {
            QString file;
            ASSERT_EQ(fixtures::systemFont(QString::fromUtf8(t.font), &file), "");
            picture = fixtures::setTextPicture(file, QString::fromUtf8(t.shown), true);
        }
        const Reading r = reader.read(picture);
        if (!*t.twin) {
            EXPECT_TRUE(r.error.startsWith("no text could be read")) << r.error;
            EXPECT_TRUE(r.text.isEmpty() && r.candidates.empty()) << r.text;
            continue;
        }
        EXPECT_TRUE(r.ok()) << r.error;
        if (*t.text) {
            EXPECT_EQ(r.text, QString::fromUtf8(t.text));
        }
        ASSERT_FALSE(r.candidates.empty());
        EXPECT_EQ(r.candidates.front(), r.text);
        EXPECT_LE(int(r.candidates.size()), kMaxCandidates);
        EXPECT_TRUE(holds(r, t.twin)) << QStringList(r.candidates.begin(), r.candidates.end()).join(" ");
        // The shown letter itself whenever the best reading may be either case.
        if (!*t.text) {
            EXPECT_TRUE(holds(r, t.shown)) << r.text;
        }
    }
}

}  // namespace
}  // namespace lettrino
