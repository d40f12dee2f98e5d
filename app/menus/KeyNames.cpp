#include "app/menus/KeyNames.h"

#include <array>
#include <cstdint>

#include "app/input/Keyboard.h"
#include "app/menus/Language.h"
#include "app/menus/TextLines.h"

namespace {

// GLUT's special keys with a word of their own (GLUT_KEY_LEFT..GLUT_KEY_ALT_R
// but the keypad's delete, which is told apart by its number).
struct SpecialKeyText {
  int key;
  int32_t textIndex;
};
constexpr std::array<SpecialKeyText, 17> kSpecialKeyTexts{{
    {100, kTextLeftArrow},    {101, kTextUpArrow},      {102, kTextRightArrow},   {103, kTextDownArrow},
    {104, kTextPageUp},       {105, kTextPageDown},     {106, kTextHome},         {107, kTextEnd},
    {108, kTextInsert},       {109, kTextNumLock},      {110, kTextBegin},        {112, kTextLeftShift},
    {113, kTextRightShift},   {114, kTextLeftControl},  {115, kTextRightControl}, {116, kTextLeftAlt},
    {117, kTextRightAlt},
}};
constexpr int kFirstFunctionKey = 1;
constexpr int kLastFunctionKey = 12;

constexpr int kBackspace = 8;
constexpr int kTab = 9;
constexpr int kSpace = 32;
constexpr int kDelete = 127;
// Windows-1252: small letters with accents from 0xE0 and their capitals
// 0x20 below, but for the signs that share the rows (0xF7 and 0xD7).
constexpr int kFirstAccentedSmall = 0xE0;
constexpr int kLastAccentedSmall = 0xFE;
constexpr int kDivisionSign = 0xF7;
constexpr int kCaseDistance = 0x20;
constexpr int kFirstHighSign = 0xA1;

bool isSmallLetter(int c) {
  return (c >= 'a' && c <= 'z') || (c >= kFirstAccentedSmall && c <= kLastAccentedSmall && c != kDivisionSign);
}
bool isCapitalLetter(int c) { return isSmallLetter(c + kCaseDistance); }

std::string numbered(int code) { return text(kTextKey) + " " + std::to_string(code); }

std::string specialKeyName(int key) {
  if (key >= kFirstFunctionKey && key <= kLastFunctionKey) return "F" + std::to_string(key);
  for (const SpecialKeyText& special : kSpecialKeyTexts) {
    if (special.key == key) return text(special.textIndex);
  }
  return numbered(kSpecialKeyBase + key);
}

std::string characterKeyName(int c) {
  switch (c) {
    case kSpace:
      return text(kTextSpace);
    case kKeyEnter:
      return text(kTextEnter);
    case kTab:
      return text(kTextTab);
    case kBackspace:
      return text(kTextBackspace);
    case kDelete:
      return text(kTextDelete);
    case kKeyEscape:
      return text(kTextEscape);
    default:
      break;
  }
  if (isSmallLetter(c)) return std::string(1, static_cast<char>(c - kCaseDistance));
  if (isCapitalLetter(c)) return text(kTextShift) + "+" + std::string(1, static_cast<char>(c));
  if ((c > kSpace && c < kDelete) || c >= kFirstHighSign) return std::string(1, static_cast<char>(c));
  return numbered(c);
}

}  // namespace

std::string keyName(int code) {
  if (code >= kSpecialKeyBase && code < kKeyCodeCount) return specialKeyName(code - kSpecialKeyBase);
  if (code >= 0 && code < kSpecialKeyBase) return characterKeyName(code);
  return numbered(code);
}

std::optional<int> keyCodeNamed(std::string_view name) {
  for (int code = 0; code < kKeyCodeCount; ++code) {
    if (keyName(code) == name) return code;
  }
  return std::nullopt;
}
