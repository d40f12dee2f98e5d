#include "app/menus/KeyNames.h"

#include <array>
#include <cstdint>

#include "app/input/Keyboard.h"
#include "app/menus/Language.h"

namespace {

// Language texts of the keys' names.
constexpr int32_t kTextLeftArrow = 74;
constexpr int32_t kTextUpArrow = 75;
constexpr int32_t kTextRightArrow = 76;
constexpr int32_t kTextDownArrow = 77;
constexpr int32_t kTextSpace = 78;
constexpr int32_t kTextEnter = 79;
constexpr int32_t kTextTab = 80;
constexpr int32_t kTextBackspace = 81;
constexpr int32_t kTextDelete = 82;
constexpr int32_t kTextEscape = 83;
constexpr int32_t kTextPageUp = 84;
constexpr int32_t kTextPageDown = 85;
constexpr int32_t kTextHome = 86;
constexpr int32_t kTextEnd = 87;
constexpr int32_t kTextInsert = 88;
constexpr int32_t kTextNumLock = 89;
constexpr int32_t kTextBegin = 90;
constexpr int32_t kTextLeftShift = 91;
constexpr int32_t kTextRightShift = 92;
constexpr int32_t kTextLeftControl = 93;
constexpr int32_t kTextRightControl = 94;
constexpr int32_t kTextLeftAlt = 95;
constexpr int32_t kTextRightAlt = 96;
constexpr int32_t kTextShift = 97;
constexpr int32_t kTextKey = 98;

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
