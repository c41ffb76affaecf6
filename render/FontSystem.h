#pragma once

#include <QHash>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

#include "render/Character.h"
#include "render/FaceCache.h"
#include "render/GlyphRaster.h"
#include "render/InstalledFaces.h"
#include "render/TextLayout.h"

namespace lettrino {

class Canvas;
class CharacterMaps;

// A font description: a face name and a size in points (held to four decimals). Creating
// one resolves the name to a face once; the description is cheap to copy and to drop.
struct Font {
    QString face;
    double points = 0;  // as the font object reports it: rounded to four decimals
    int slot = -1;      // the resolved face inside the font system, -1 when none
    std::uint64_t generation = 0;  // tells a slot reused for another face since
};

// The font-system layer over FreeType and fontconfig.
//
// Faces: every installed face (each style its own entry, named by its full name,
// duplicates removed, sorted case-insensitively), read once when the object is made, then
// the faces registered from files, in the order of registration. A description naming a
// registered face selects it ahead of an installed face of the same name; an unknown name
// is substituted as fontconfig substitutes it.
//
// Sizes are points at 96 dpi. Glyphs are rendered with FreeType's default hinting,
// anti-aliased (render/GlyphRaster.h). A character is looked up as render/Character.h's
// lookupCodes says: control codes have no glyph, and fonts with only a symbol character map
// are reached at 0xF000 + its Windows-1252 code.
//
// Not thread-safe: use one object per thread. Opened faces are cached (render/FaceCache.h), a
// few dozen at a time, so that showing the same fonts again is cheap.
class FontSystem {
public:
    FontSystem();
    // A font system listing these installed faces, without asking fontconfig for them (one for
    // another thread lists the first one's).
    explicit FontSystem(std::vector<FaceEntry> installed);
    ~FontSystem();
    FontSystem(const FontSystem&) = delete;
    FontSystem& operator=(const FontSystem&) = delete;

    // The number of faces now known: installed plus registered.
    int faceCount() const;
    // The face name at a 0-based index; an index at or past the count gives an empty name.
    QString faceName(int index) const;
    // The installed faces (not the registered ones), in list order.
    const std::vector<FaceEntry>& installedFaces() const { return installed_.list(); }
    // The file a face name resolves to (registered first, then installed, then fontconfig's
    // substitute). Empty when nothing resolves.
    QString faceFile(const QString& name);

    // Registers the faces of a font file until removed; returns how many were added, 0 when
    // the file cannot be read as a font. Each added face is listed after every face present
    // before it.
    int addFontResource(const QString& path);
    // Ends the registrations made for that path; false when there were none.
    bool removeFontResource(const QString& path);

    // A font description. An empty or unknown name resolves to fontconfig's substitute.
    Font createFont(const QString& face, double points);

    // The metrics of a character in a font.
    GlyphMetrics glyphMetrics(const Font& font, Character ch);
    // The height of a character's outline in ems, in the font's own units: neither hinted nor
    // rendered, whatever the font's size. 0 for a face without outlines or a character without one.
    double outlineHeight(const Font& font, Character ch);
    // Draws one character with its reference point at (x, y) on the baseline, blending
    // black onto the canvas. Nothing happens for a character without a glyph.
    void textOut(Canvas& canvas, const Font& font, int x, int y, Character ch);

    // A character as drawn: its coverage trimmed to the black box, and its metrics; empty when
    // there is none. Valid until the next glyph is drawn.
    const GlyphRaster& raster(const Font& font, Character ch) { return render(font, ch); }

    // Draws a text as the font sets it (render/TextLayout.h), hinted and its glyphs placed as
    // set. An empty raster when the font cannot be read or lacks a glyph.
    void drawText(const Font& font, const QString& text, Setting setting, TextRaster& out);

    // True when the font file's own character maps show that its face has no glyph for one of
    // the characters: a look at its table directory and character maps, much cheaper than
    // opening it. False when it may have them all, or when that cannot be told without opening
    // it (see CharacterMaps); always false for a face of a collection (a named instance of a
    // variable font reads its file's maps).
    bool fileLacksAnyOf(const QString& file, int faceIndex, const std::vector<Character>& characters);

    // How glyphs are fitted to the pixel grid from now on (render/GlyphRaster.h); Full unless set.
    void setHinting(Hinting hinting) { hinting_ = hinting; }
    Hinting hinting() const { return hinting_; }
    // Where a text's glyphs stand (render/TextLayout.h); on whole pixels unless set.
    void setPositions(Positions positions) { positions_ = positions; }

    // How font files are opened (render/FaceCache.h); applies to files opened from then on.
    using FileAccess = lettrino::FileAccess;
    void setFileAccess(FileAccess access) { cache_->setFileAccess(access); }

    // The largest glyph bitmap rendered, in pixels; bigger glyphs count as having no black box.
    static constexpr std::int64_t kMaxGlyphPixels = GlyphRaster::kMaxPixels;

private:
    struct Registration {
        QString path;
        FaceEntry entry;
        // The face opened when the file was registered: while that slot still holds it, the
        // registration draws from it without looking at the file again.
        int slot = -1;
        std::uint64_t generation = 0;
    };
    // The glyph drawn last, and what it was drawn from: asking for its metrics and then drawing
    // it renders it once.
    struct RenderedGlyph : GlyphRaster {
        int slot = -1;
        std::uint64_t generation = 0;
        long ppem26 = 0;
        Character ch;
        Hinting hinting = Hinting::Full;
    };

    // Closes the file last checked for characters, unless a face took it over.
    void closeChecked();
    int slotFor(const QString& file, int index) { return cache_->slotFor(file, index, *checked_); }
    int resolve(const QString& name);
    // The slot a description's face is in now; its size in 26.6 pixels per em.
    int slotOf(const Font& font);
    static long ppem26Of(const Font& font);
    const RenderedGlyph& render(const Font& font, Character ch);

    void* library_ = nullptr;  // FT_Library
    InstalledFaces installed_;
    std::vector<Registration> registered_;
    QHash<QString, FaceEntry> substitutes_;
    std::unique_ptr<FaceCache> cache_;

    RenderedGlyph lastGlyph_;
    Hinting hinting_ = Hinting::Full;
    Positions positions_ = Positions::Whole;
    std::unique_ptr<CharacterMaps> characterMaps_;
    std::unique_ptr<CheckedFile> checked_;  // the file last checked, while still open
};

}  // namespace lettrino
