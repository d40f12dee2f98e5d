#pragma once
// The game's bitmap fonts: "fonts/menuFont.fnz" and "fonts/menuFontSelected.fnz"
// (the menus' normal and highlighted lettering, one glyph layout shared by
// both, so a highlighted item keeps its width) and "fonts/toon.fnz" (the
// scoreboard's), each with its 32-bit TGA glyph image beside it.
//
// Glyphs cover printable ASCII and the Windows-1252 letters and signs the
// lettering face has (accented capitals and small letters, ñ Ñ, ¡ ¿, €,
// quotes, dashes). Each is a light fill inside a dark outline with a drop
// shadow, so it reads over any background. The game draws text with a
// spacing of -7 (each glyph overlaps the previous one by 7 pixels), so every
// glyph rectangle is its pen advance plus 7 pixels, with the outline and
// shadow kept inside that margin: the overlap eats only transparent pixels.

#include <cstdint>
#include <filesystem>

// The overlap the game's text drawing uses between glyphs.
constexpr int kGameGlyphOverlap = 7;

// The Unicode code point a Windows-1252 byte stands for; 0 for the bytes
// the code page leaves undefined and for control characters.
uint32_t windows1252ToUnicode(unsigned char byte);

void writeFonts(const std::filesystem::path& runDir);
