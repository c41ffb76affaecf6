#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <vector>

namespace lettrino {

class Canvas;
class CharacterMaps;
struct CheckedFile;
struct FileStream;

// What a glyph-metrics query reports: the black box is exactly the ink that drawing the
// glyph produces (rows and columns without coverage trimmed). originX runs from the text
// origin to the black box's left column, originY from the baseline up to its top row.
// A failed query leaves everything zero: an empty black box.
struct GlyphMetrics {
    std::uint32_t blackBoxX = 0;
    std::uint32_t blackBoxY = 0;
    std::int32_t originX = 0;
    std::int32_t originY = 0;
    std::int16_t cellIncX = 0;
    std::int16_t cellIncY = 0;
};

// One installed or registered face: a name and where it lives.
struct FaceEntry {
    QString name;
    QString file;
    int index = 0;  // face index inside the file (collections, named instances)
};

// A font description: a face name and a size in points (held to four decimals). Creating
// one resolves the name to a face once; the description is cheap to copy and to drop.
struct Font {
    QString face;
    double points = 0;  // as the font object reports it: rounded to four decimals
    int slot = -1;      // the resolved face inside the font system, -1 when none
    std::uint64_t generation = 0;  // tells a slot reused for another face since
};

struct FontSystemStats;

// The font-system layer over FreeType and fontconfig.
//
// Faces: every installed face (each style its own entry, named by its full name,
// duplicates removed, sorted case-insensitively), read once when the object is made, then
// the faces registered from files, in the order of registration. A description naming a
// registered face selects it ahead of an installed face of the same name; an unknown name
// is substituted as fontconfig substitutes it.
//
// Sizes are points at 96 dpi. Glyphs are rendered with FreeType's default hinting,
// anti-aliased. Character codes 0-255 are Windows-1252; codes without a character there,
// and control codes, have no glyph. Fonts with only a symbol character map are reached
// at 0xF000 + code.
//
// Not thread-safe: use one object per thread. Parsed face files are cached here, a few
// dozen at a time, so that showing the same fonts again is cheap.
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
    const std::vector<FaceEntry>& installedFaces() const { return installed_; }
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

    // The metrics of a character code (0-255, or kUnicodeCode | ch) in a font.
    GlyphMetrics glyphMetrics(const Font& font, int code);
    // Draws one character with its reference point at (x, y) on the baseline, blending
    // black onto the canvas. Nothing happens for a code without a glyph.
    void textOut(Canvas& canvas, const Font& font, int x, int y, int code);

    // The Unicode character of a Windows-1252 code, 0 for a code that has none.
    static char32_t unicodeOf(int code);
    // The Windows-1252 code of a character, -1 when it has none.
    static int codeOf(char32_t ch);

    // Character codes beyond the code page: kUnicodeCode | the code point, drawn through the
    // font's Unicode character map only.
    static constexpr int kUnicodeCode = 0x40000000;
    // The code that draws a character: its Windows-1252 code; a character below 256 that the
    // code page lacks stands for itself (as the code page's conversion leaves it); any other
    // kUnicodeCode | ch. -1 for a code point that is no character.
    static int codeOfCharacter(char32_t ch);
    // The character a code draws, 0 when it draws none.
    static char32_t characterOfCode(int code);

    // True when the font file's own character maps show that its face has no glyph for one of
    // the codes: a look at its table directory and character maps, much cheaper than opening
    // it. False when it may have them all, or when that cannot be told without opening it
    // (see CharacterMaps); always false for a face of a collection.
    bool fileLacksAnyOf(const QString& file, int faceIndex, const std::vector<int>& codes);

    // How font files are opened. Read (the default) goes through pread and a few small windows
    // of the file's bytes: a file cut short, or on a drive that goes away, while its face is open
    // fails a read (no glyph) instead of faulting the program, and font systems on several
    // threads do not queue on mapping and unmapping a file per font. Mapped lets FreeType map
    // the file; on one thread the two draw equally fast. Applies to files opened from then on.
    enum class FileAccess { Mapped, Read };
    void setFileAccess(FileAccess access) { access_ = access; }

    // The largest glyph bitmap rendered, in pixels; bigger glyphs count as having no black box.
    static constexpr std::int64_t kMaxGlyphPixels = 16 * 1024 * 1024;

private:
    struct Face;
    struct Registration {
        QString path;
        FaceEntry entry;
        // The face opened when the file was registered: while that slot still holds it, the
        // registration draws from it without looking at the file again.
        int slot = -1;
        std::uint64_t generation = 0;
    };
    struct RenderedGlyph;

    void loadInstalled();
    void setInstalled(std::vector<FaceEntry> all);
    int slotFor(const QString& file, int index);
    // Marks a slot as just used.
    void touch(int slot);
    // Closes the face in a slot (if any) and leaves the slot empty, the first to be reused.
    void closeSlot(int slot);
    // Closes the file last checked for characters, unless a face took it over.
    void closeChecked();
    Face* face(int slot);
    int resolve(const QString& name);
    const RenderedGlyph* render(const Font& font, int code);

    void* library_ = nullptr;  // FT_Library
    std::vector<FaceEntry> installed_;
    QHash<QString, int> installedByName_;
    std::vector<Registration> registered_;
    QHash<QString, FaceEntry> substitutes_;

    // Open faces; slots index into faces_. The least recently used one makes room for another.
    std::vector<std::unique_ptr<Face>> faces_;
    std::uint64_t uses_ = 0;
    QHash<QString, int> slotByKey_;
    // Streams of faces closed since, kept for the next faces opened (a face is opened per font).
    std::vector<std::unique_ptr<FileStream>> spareStreams_;

    std::unique_ptr<RenderedGlyph> lastGlyph_;
    std::unique_ptr<CharacterMaps> characterMaps_;
    std::unique_ptr<CheckedFile> checked_;  // the file last checked, while still open
    FileAccess access_ = FileAccess::Read;
};

}  // namespace lettrino
