#pragma once

#include <QString>

#include <cstdint>

namespace lettrino {

// A character to draw: a Unicode code point. A face whose character map is a symbol or an
// 8-bit one is asked for the character's Windows-1252 code instead (byteCode), derived here;
// nothing above the font system needs that code.
class Character {
public:
    // No character: draws nothing.
    constexpr Character() = default;
    // A code point; no character for one beyond U+10FFFF or a surrogate.
    static Character fromCodePoint(char32_t codePoint);
    // The first character of a text; no character for an empty text.
    static Character fromText(const QString& text);
    // The character of a Windows-1252 code (0 to 255): a code the code page has no character
    // for (a control code, or one of its five gaps) stands for the code point of the same
    // number, as the code page's conversion leaves it. No character for any other number.
    static Character fromByteCode(int code);

    bool isValid() const { return codePoint_ != kNone; }
    // The code point; 0 for no character.
    char32_t codePoint() const { return isValid() ? codePoint_ : 0; }
    // The Windows-1252 code: that of the code page's character; a code point below 256 that the
    // code page lacks stands for itself. -1 for any other character, and for no character.
    int byteCode() const;
    // The character as text; empty for no character.
    QString text() const;

    bool operator==(const Character& other) const { return codePoint_ == other.codePoint_; }
    bool operator!=(const Character& other) const { return codePoint_ != other.codePoint_; }

private:
    static constexpr char32_t kNone = 0xFFFFFFFF;
    explicit constexpr Character(char32_t codePoint) : codePoint_(codePoint) {}
    char32_t codePoint_ = kNone;
};

namespace cp1252 {
// The Unicode character of a Windows-1252 code, 0 for a code that has none (control codes
// and the code page's gaps).
char32_t unicodeOf(int code);
// The Windows-1252 code of a character, -1 when the code page has none for it.
int codeOf(char32_t ch);
}  // namespace cp1252

// Which kind of character map a face is read through.
enum class CharMap { Unicode, Symbol, Other, None };

// The codes a face's map of that kind is asked for, in turn, to draw a character: its code
// point through a Unicode map; its Windows-1252 code through an 8-bit map; 0xF000 + that code,
// then the code itself, through a symbol map (symbol fonts put their characters there). Returns
// how many (at most two); none for a control code of the code page, or a character that kind of
// map cannot hold.
int lookupCodes(Character ch, CharMap map, std::uint32_t codes[2]);

}  // namespace lettrino
