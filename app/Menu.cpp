#include "app/Menu.h"

Menu::Menu(bool inGame) : currentScreen(inGame ? Playing : MainMenu) {}
