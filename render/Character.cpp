#include "render/Character.h"

#include <QList>

namespace lettrino {

namespace {
// Windows-1252 at 0x80-0x9F; 0 where the code page has no character.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
}  // namespace

char32_t cp1252::unicodeOf(int code) {
    if (code < 0x20 || code > 0xFF || code == 0x7F) return 0;
    if (code >= 0x80 && code < 0xA0) return kCp1252High[code - 0x80];
    return char32_t(code);
}

int cp1252::codeOf(char32_t ch) {
    if (ch < 0x80) return unicodeOf(int(ch)) ? int(ch) : -1;
    if (ch >= 0xA0 && ch <= 0xFF) return int(ch);
    for (int i = 0; i < 32; ++i)
        if (kCp1252High[i] != 0 && kCp1252High[i] == ch) return 0x80 + i;
    return -1;
}

Character Character::fromCodePoint(char32_t codePoint) {
    if (codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint < 0xE000)) return Character();
    return Character(codePoint);
}

Character Character::fromText(const QString& text) {
    if (text.isEmpty()) return Character();
    return fromCodePoint(text.toUcs4().value(0));
}

Character Character::fromByteCode(int code) {
    if (code < 0 || code > 0xFF) return Character();
    const char32_t ch = cp1252::unicodeOf(code);
    return Character(ch ? ch : char32_t(code));
}

int Character::byteCode() const {
    if (!isValid()) return -1;
    const int code = cp1252::codeOf(codePoint_);
    if (code >= 0) return code;
    return codePoint_ < 256 ? int(codePoint_) : -1;
}

QString Character::text() const {
    if (!isValid()) return QString();
    return QString::fromUcs4(&codePoint_, 1);
}

int lookupCodes(Character ch, CharMap map, std::uint32_t codes[2]) {
    const int code = ch.byteCode();
    if (map == CharMap::Symbol) {
        if (code < 0x20) return 0;  // also every character beyond the code page
        codes[0] = std::uint32_t(0xF000 + code);
        codes[1] = std::uint32_t(code);
        return 2;
    }
    if (!ch.isValid()) return 0;
    if (code < 0) {
        // Beyond the code page: only a Unicode map holds it.
        codes[0] = ch.codePoint();
        return map == CharMap::Unicode ? 1 : 0;
    }
    const char32_t unicode = cp1252::unicodeOf(code);
    if (!unicode) return 0;
    codes[0] = map == CharMap::Unicode ? std::uint32_t(unicode) : std::uint32_t(code);
    return 1;
}

}  // namespace lettrino
