#include "render/InstalledFaces.h"

#include <algorithm>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SFNT_NAMES_H
#include FT_TRUETYPE_IDS_H

namespace lettrino {

namespace {

QString fcString(FcPattern* p, const char* object, int n = 0) {
    FcChar8* s = nullptr;
    if (FcPatternGetString(p, object, n, &s) != FcResultMatch || !s) return {};
    return QString::fromUtf8(reinterpret_cast<const char*>(s));
}

// The English value of a string property that fontconfig keeps per language (family, style,
// full name), else its first value.
QString fcEnglish(FcPattern* p, const char* object, const char* langObject) {
    for (int n = 0;; ++n) {
        const QString value = fcString(p, object, n);
        if (value.isEmpty()) break;
        if (fcString(p, langObject, n).startsWith(QLatin1String("en"))) return value;
    }
    return fcString(p, object, 0);
}

bool isPlainStyle(const QString& style) {
    return style.isEmpty() || style.compare(QLatin1String("Regular"), Qt::CaseInsensitive) == 0 ||
           style.compare(QLatin1String("Normal"), Qt::CaseInsensitive) == 0 ||
           style.compare(QLatin1String("Book"), Qt::CaseInsensitive) == 0 ||
           style.compare(QLatin1String("Roman"), Qt::CaseInsensitive) == 0;
}

QString decodeSfntName(const FT_SfntName& name) {
    if (name.platform_id == TT_PLATFORM_MICROSOFT || name.platform_id == TT_PLATFORM_APPLE_UNICODE) {
        QString s;
        s.reserve(int(name.string_len / 2));
        for (FT_UInt i = 0; i + 1 < name.string_len; i += 2)
            s.append(QChar(char16_t(name.string[i] << 8 | name.string[i + 1])));
        return s;
    }
    return QString::fromLatin1(reinterpret_cast<const char*>(name.string), int(name.string_len));
}

}  // namespace

std::mutex& fontconfigMutex() {
    static std::mutex m;
    return m;
}

std::vector<FaceEntry> listInstalledFaces() {
    std::vector<FaceEntry> all;
    std::lock_guard<std::mutex> lock(fontconfigMutex());
    if (!FcInit()) return all;
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddBool(pattern, FC_OUTLINE, FcTrue);
    FcObjectSet* objects = FcObjectSetBuild(FC_FULLNAME, FC_FULLNAMELANG, FC_FAMILY, FC_FAMILYLANG, FC_STYLE,
                                            FC_STYLELANG, FC_FILE, FC_INDEX, FC_VARIABLE, nullptr);
    FcFontSet* set = FcFontList(nullptr, pattern, objects);
    if (set) {
        for (int i = 0; i < set->nfont; ++i) {
            FcPattern* p = set->fonts[i];
            FcBool variable = FcFalse;
            // A variable font is listed once as a whole and once per named instance: keep the instances.
            if (FcPatternGetBool(p, FC_VARIABLE, 0, &variable) == FcResultMatch && variable) continue;
            FaceEntry e;
            e.file = fcString(p, FC_FILE);
            FcPatternGetInteger(p, FC_INDEX, 0, &e.index);
            e.name = fcEnglish(p, FC_FULLNAME, FC_FULLNAMELANG);
            if (e.name.isEmpty()) {
                e.name = fcEnglish(p, FC_FAMILY, FC_FAMILYLANG);
                const QString style = fcEnglish(p, FC_STYLE, FC_STYLELANG);
                if (!isPlainStyle(style)) e.name += QLatin1Char(' ') + style;
            }
            if (!e.name.isEmpty() && !e.file.isEmpty()) all.push_back(std::move(e));
        }
        FcFontSetDestroy(set);
    }
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    return all;
}

FaceEntry fontconfigSubstitute(const QString& name) {
    FaceEntry e;
    std::lock_guard<std::mutex> lock(fontconfigMutex());
    FcPattern* pattern = FcPatternCreate();
    const QByteArray utf8 = name.toUtf8();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(utf8.constData()));
    FcPatternAddBool(pattern, FC_OUTLINE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    if (FcPattern* match = FcFontMatch(nullptr, pattern, &result)) {
        e.file = fcString(match, FC_FILE);
        FcPatternGetInteger(match, FC_INDEX, 0, &e.index);
        e.name = fcEnglish(match, FC_FULLNAME, FC_FULLNAMELANG);
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return e;
}

QString faceFullName(FT_Face face) {
    QString best;
    int bestRank = 100;
    const FT_UInt count = FT_Get_Sfnt_Name_Count(face);
    for (FT_UInt i = 0; i < count; ++i) {
        FT_SfntName name;
        if (FT_Get_Sfnt_Name(face, i, &name) != 0 || name.name_id != TT_NAME_ID_FULL_NAME) continue;
        int rank = 50;
        if (name.platform_id == TT_PLATFORM_MICROSOFT)
            rank = name.language_id == 0x409 ? 0 : (name.language_id & 0x3FF) == 0x09 ? 1 : 4;
        else if (name.platform_id == TT_PLATFORM_MACINTOSH)
            rank = name.language_id == 0 ? 2 : 5;
        else if (name.platform_id == TT_PLATFORM_APPLE_UNICODE)
            rank = 3;
        if (rank >= bestRank) continue;
        const QString decoded = decodeSfntName(name).trimmed();
        if (decoded.isEmpty()) continue;
        best = decoded;
        bestRank = rank;
    }
    if (!best.isEmpty()) return best;
    QString family = face->family_name ? QString::fromLatin1(face->family_name) : QString();
    const QString style = face->style_name ? QString::fromLatin1(face->style_name) : QString();
    if (!isPlainStyle(style)) family += (family.isEmpty() ? QString() : QStringLiteral(" ")) + style;
    return family;
}

InstalledFaces::InstalledFaces(std::vector<FaceEntry> all) {
    std::sort(all.begin(), all.end(), [](const FaceEntry& a, const FaceEntry& b) {
        const int c = a.name.compare(b.name, Qt::CaseInsensitive);
        if (c != 0) return c < 0;
        if (a.name != b.name) return a.name < b.name;
        if (a.file != b.file) return a.file < b.file;
        return a.index < b.index;
    });
    for (FaceEntry& e : all) {
        const QString folded = e.name.toCaseFolded();
        if (byName_.contains(folded)) continue;
        byName_.insert(folded, int(faces_.size()));
        faces_.push_back(std::move(e));
    }
}

const FaceEntry* InstalledFaces::find(const QString& name) const {
    const auto found = byName_.constFind(name.toCaseFolded());
    return found == byName_.constEnd() ? nullptr : &faces_[std::size_t(found.value())];
}

}  // namespace lettrino
