#include "render/FontSystem.h"

#include <QFile>

#include <algorithm>
#include <cmath>

#include <unistd.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BBOX_H
#include FT_LCD_FILTER_H

#include "canvas/Canvas.h"
#include "render/CharacterMaps.h"

namespace lettrino {

namespace {
constexpr int kMaxFacesPerFile = 64;
}  // namespace

FontSystem::FontSystem() : FontSystem(listInstalledFaces()) {}

FontSystem::FontSystem(std::vector<FaceEntry> installed)
    : installed_(std::move(installed)),
      characterMaps_(std::make_unique<CharacterMaps>()),
      checked_(std::make_unique<CheckedFile>()) {
    FT_Library lib = nullptr;
    if (FT_Init_FreeType(&lib) == 0) {
        library_ = lib;
        // Subpixel drawing filtered as desktops and browsers filter it (a FreeType built without
        // the filter draws its own way and says so; either is kept).
        FT_Library_SetLcdFilter(lib, FT_LCD_FILTER_DEFAULT);
    }
    cache_ = std::make_unique<FaceCache>(lib);
}

FontSystem::~FontSystem() {
    closeChecked();
    cache_.reset();  // its faces before the library
    if (library_) FT_Done_FreeType(static_cast<FT_Library>(library_));
}

void FontSystem::closeChecked() {
    if (checked_->fd >= 0) ::close(checked_->fd);
    checked_->fd = -1;
    checked_->path.clear();
}

int FontSystem::faceCount() const { return int(installed_.size() + registered_.size()); }

QString FontSystem::faceName(int index) const {
    if (index < 0) return {};
    const std::size_t i = std::size_t(index);
    if (i < installed_.size()) return installed_.list()[i].name;
    if (i - installed_.size() < registered_.size()) return registered_[i - installed_.size()].entry.name;
    return {};
}

int FontSystem::resolve(const QString& name) {
    for (auto it = registered_.rbegin(); it != registered_.rend(); ++it) {
        // The name drawn is mostly the very name registered: that needs no case folding.
        if (it->entry.name != name && it->entry.name.compare(name, Qt::CaseInsensitive) != 0) continue;
        // A registered file is read as it was when registered: its face, while still open, is
        // used without checking the file again (a font is registered, drawn and removed in one go).
        const OpenFace* f = cache_->face(it->slot);
        if (f && f->ft && f->generation == it->generation) {
            cache_->touch(it->slot);
            return it->slot;
        }
        return slotFor(it->entry.file, it->entry.index);
    }
    if (const FaceEntry* installed = installed_.find(name)) return slotFor(installed->file, installed->index);
    auto sub = substitutes_.constFind(name);
    if (sub == substitutes_.constEnd()) sub = substitutes_.insert(name, fontconfigSubstitute(name));
    return slotFor(sub->file, sub->index);
}

QString FontSystem::faceFile(const QString& name) {
    for (auto it = registered_.rbegin(); it != registered_.rend(); ++it)
        if (it->entry.name.compare(name, Qt::CaseInsensitive) == 0) return it->entry.file;
    if (const FaceEntry* installed = installed_.find(name)) return installed->file;
    const int slot = resolve(name);
    return slot >= 0 ? cache_->fileOf(slot) : QString();
}

int FontSystem::addFontResource(const QString& path) {
    const int first = slotFor(path, 0);
    if (first < 0) return 0;
    const int faces = int(std::min<FT_Long>(cache_->face(first)->ft->num_faces, kMaxFacesPerFile));
    int added = 0;
    for (int i = 0; i < faces; ++i) {
        const int slot = i == 0 ? first : slotFor(path, i);
        if (slot < 0) continue;
        FaceEntry e;
        e.file = path;
        e.index = i;
        e.name = faceFullName(cache_->face(slot)->ft);
        if (e.name.isEmpty()) e.name = path.section(QLatin1Char('/'), -1);
        registered_.push_back({path, std::move(e), slot, cache_->face(slot)->generation});
        ++added;
    }
    return added;
}

bool FontSystem::removeFontResource(const QString& path) {
    const auto before = registered_.size();
    registered_.erase(std::remove_if(registered_.begin(), registered_.end(),
                                     [&](const Registration& r) { return r.path == path; }),
                      registered_.end());
    return registered_.size() != before;
}

Font FontSystem::createFont(const QString& faceName, double points) {
    Font font;
    font.face = faceName;
    font.points = std::isfinite(points) ? std::nearbyint(points * 10000.0) / 10000.0 : 0.0;
    font.slot = resolve(faceName);
    if (const OpenFace* f = cache_->face(font.slot)) font.generation = f->generation;
    return font;
}

bool FontSystem::fileLacksAnyOf(const QString& file, int faceIndex, const std::vector<Character>& characters) {
    closeChecked();
    if ((faceIndex & 0xFFFF) != 0) return false;
    const QByteArray path = QFile::encodeName(file);
    FileStamp stamp;
    const int fd = openPlainFile(path, stamp);
    if (fd < 0) return false;
    CharacterMaps& maps = *characterMaps_;
    const bool read = maps.read(
        [fd](std::uint64_t offset, std::size_t size, std::uint8_t* to) {
            return readAt(fd, to, (unsigned long)offset, (unsigned long)size) == size;
        },
        std::uint64_t(stamp.size));
    // Every character code that render() may look a character up as, whichever map the face uses.
    const bool lacks = read && std::any_of(characters.begin(), characters.end(), [&maps](Character ch) {
                           for (CharMap map : {CharMap::Unicode, CharMap::Symbol, CharMap::Other}) {
                               std::uint32_t lookups[2];
                               const int n = lookupCodes(ch, map, lookups);
                               for (int i = 0; i < n; ++i)
                                   if (!maps.lacks(lookups[i])) return false;
                           }
                           return true;
                       });
    if (lacks) {
        ::close(fd);
        return true;
    }
    // Kept open for the face about to be opened from it.
    *checked_ = {path, fd, stamp, &maps};
    return false;
}

const FontSystem::RenderedGlyph& FontSystem::render(const Font& font, Character ch) {
    const int slot = slotOf(font);
    OpenFace* f = cache_->face(slot);
    RenderedGlyph& g = lastGlyph_;
    const long ppem26 = ppem26Of(font);
    if (f && g.slot == slot && g.generation == f->generation && g.ppem26 == ppem26 && g.ch == ch &&
        g.hinting == hinting_)
        return g;

    g.slot = -1;
    g.metrics = GlyphMetrics();
    g.coverage.clear();
    if (!f || ppem26 <= 0) return g;

    const FT_UInt index = glyphIndexOf(*f, ch);
    g.slot = slot;
    g.generation = f->generation;
    g.ppem26 = ppem26;
    g.ch = ch;
    g.hinting = hinting_;
    if (index != 0 && setPixelSize(*f, ppem26)) rasterise(*f, index, hinting_, g);
    return g;
}

double FontSystem::outlineHeight(const Font& font, Character ch) {
    const OpenFace* f = cache_->face(slotOf(font));
    if (!f || !f->ft || !FT_IS_SCALABLE(f->ft) || f->ft->units_per_EM == 0) return 0;
    const FT_UInt index = glyphIndexOf(*f, ch);
    if (index == 0 || FT_Load_Glyph(f->ft, index, FT_LOAD_NO_SCALE) != 0) return 0;
    const FT_GlyphSlot glyph = f->ft->glyph;
    if (glyph->format != FT_GLYPH_FORMAT_OUTLINE) return 0;
    FT_BBox box;
    if (FT_Outline_Get_BBox(&glyph->outline, &box) != 0 || box.yMax <= box.yMin) return 0;
    // The glyph slot now holds an unscaled outline: whatever render() drew last is still its own.
    return double(box.yMax - box.yMin) / f->ft->units_per_EM;
}

int FontSystem::slotOf(const Font& font) {
    const OpenFace* f = cache_->face(font.slot);
    // A face dropped from the cache since the description was made is opened again.
    return f && f->generation == font.generation ? font.slot : resolve(font.face);
}

long FontSystem::ppem26Of(const Font& font) {
    const double ppem = font.points * 96.0 / 72.0;
    return std::isfinite(ppem) ? long(std::llround(std::min(ppem, 60000.0) * 64.0)) : 0;
}

void FontSystem::drawText(const Font& font, const QString& text, Setting setting, TextRaster& out) {
    out = TextRaster();
    OpenFace* f = cache_->face(slotOf(font));
    const long ppem26 = ppem26Of(font);
    if (!f || !f->ft || ppem26 <= 0 || !setPixelSize(*f, ppem26)) return;
    layText(*f, text, setting, hinting_, positions_, out);
}

GlyphMetrics FontSystem::glyphMetrics(const Font& font, Character ch) { return render(font, ch).metrics; }

void FontSystem::textOut(Canvas& canvas, const Font& font, int x, int y, Character ch) {
    const RenderedGlyph& g = render(font, ch);
    if (g.coverage.empty()) return;
    const int w = int(g.metrics.blackBoxX), h = int(g.metrics.blackBoxY);
    canvas.blendBlack(x + g.metrics.originX, y - g.metrics.originY, g.coverage.data(), w, h, w);
}

}  // namespace lettrino
