#pragma once
// The names the controls screen gives keys, in the player's language: a
// letter or digit as it is written on the key ("M", "4"), a capital letter
// as Shift and the letter ("MAYÚS+M"), other keys by the language file's
// words ("FLECHA ARRIBA", "ESPACIO"), function keys as "F1".."F12", and any
// other code as the word for a key and its number ("TECLA 300"). Every code
// of the keyboard's tables has a name of its own, so a name also tells its
// code back. Codes are those of app/input/Keyboard.h.

#include <optional>
#include <string>
#include <string_view>

std::string keyName(int code);
// The code with this name in the language loaded now, if any.
std::optional<int> keyCodeNamed(std::string_view name);
