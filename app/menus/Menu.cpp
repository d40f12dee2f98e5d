#include "app/menus/Menu.h"

#include <GL/gl.h>

#include <cctype>
#include <filesystem>
#include <string>
#include <utility>

#include "app/input/Keyboard.h"
#include "app/menus/Language.h"
#include "engine/CachingTextureFactory.h"
#include "engine/ImageTextureFactory.h"
#include "engine/Log.h"

namespace {

std::shared_ptr<TextureFactory> menuTextures;

// Where things go, in overlay units (y up).
struct Spot {
  float x;
  float y;
};

// Language text indices.
constexpr int32_t kTextPlay = 0;
constexpr int32_t kTextCredits = 1;
constexpr int32_t kTextSingles = 4;
constexpr int32_t kTextDoubles = 5;
constexpr int32_t kTextSets = 6;
constexpr int32_t kTextGames = 7;
constexpr int32_t kTextMode = 8;
constexpr int32_t kTextNext = 9;
constexpr int32_t kTextBack = 10;
constexpr int32_t kTextCharacter = 11;
constexpr int32_t kTextController = 12;
constexpr int32_t kTextResume = 13;
constexpr int32_t kTextLeave = 14;
constexpr int32_t kTextQuit = 15;
constexpr int32_t kTextProgramming = 16;
constexpr int32_t kTextModels = 17;
constexpr int32_t kTextAnimation = 18;
constexpr int32_t kTextMusic = 19;
constexpr int32_t kTextThanks = 20;
constexpr int32_t kTextWatchAgain = 29;
constexpr int32_t kTextNetwork = 37;
constexpr int32_t kTextHost = 38;
constexpr int32_t kTextJoin = 39;
constexpr int32_t kTextGiveAddress = 40;
constexpr int32_t kTextHostAddress = 41;

constexpr Spot kOptionsNetwork{200, 100};
constexpr Spot kNetworkHost{400, 420};
constexpr Spot kNetworkJoin{400, 380};
constexpr Spot kNetworkHeading{512, 460};
constexpr Spot kNetworkFirstLine{512, 400};
constexpr float kNetworkLineGap = 40;
constexpr Spot kJoinConnect{512, 100};
// An address no longer than this is typed; longer ones are no address.
constexpr size_t kMaxAddressLength = 40;
// What a pad's up and down step the last character of an address through.
constexpr std::string_view kPadAddressCharacters = "0123456789.:";
constexpr int kKeyBackspace = 8;
constexpr int32_t kTextNetHostChoosing = 43;
constexpr int32_t kTextTournament = 53;
constexpr Spot kJoinerWaits{512, 40};

// The main menu's items stand in a column from its top one down.
constexpr Spot kMainFirst{200, 380};
constexpr float kMainItemGap = 40;

constexpr Spot kOptionsSets{400, 420};
constexpr Spot kOptionsGames{400, 380};
constexpr Spot kOptionsMode{400, 340};
constexpr Spot kOptionsSetsValue{650, 420};
constexpr Spot kOptionsGamesValue{650, 380};
constexpr Spot kOptionsModeValue{700, 340};

// The foot of a screen: next on the left, back on the right; back alone sits
// in the middle.
constexpr Spot kFootNext{400, 100};
constexpr Spot kFootBack{600, 100};
constexpr Spot kFootBackAlone{500, 100};
constexpr Spot kFootDone{500, 100};

// The four slots on the court picture: slot 0 near, slot 1 far; in doubles
// their partners 2 and 3.
constexpr std::array<Spot, kPlayerSlotCount> kSlotSpots{{{620, 170}, {450, 520}, {420, 290}, {580, 470}}};

constexpr Spot kSetupCharacter{400, 420};
constexpr Spot kSetupController{400, 380};
constexpr Spot kSetupCharacterValue{650, 420};
constexpr Spot kSetupControllerValue{650, 380};

constexpr Spot kPausedResume{512, 420};
constexpr Spot kPausedLeave{512, 380};
constexpr Spot kPausedWatchAgain{512, 340};
constexpr Spot kPausedTable{512, 100};
constexpr Spot kPausedScoreLine{512, 270};

constexpr float kCreditsX = 512;
constexpr float kCreditsBackY = 100;
constexpr float kCreditsProgrammingY = 530;
constexpr float kCreditsFirstNameY = 500;
constexpr float kCreditsModelsY = 460;
constexpr float kCreditsAnimationY = 420;
constexpr float kCreditsSecondNameY = 390;
constexpr float kCreditsMusicY = 350;
constexpr float kCreditsThirdNameY = 320;
constexpr float kCreditsThanksY = 220;

constexpr int kBackgroundX = 512;
constexpr int kBackgroundY = 256;
constexpr float kMenuScale = 1.0f;

// Sets to play go 3 -> 5 -> 1 -> 3, games per set 2 -> 6 -> 2.
constexpr int32_t kSetsStep = 2;
constexpr int32_t kSetsModulus = 6;
constexpr int32_t kGamesStep = 4;
constexpr int32_t kGamesModulus = 8;

const std::string kNoLabel;

}  // namespace

void setMenuTextureFactory(std::shared_ptr<TextureFactory> textures) { menuTextures = std::move(textures); }

std::shared_ptr<TextureFactory> menuTextureFactory() { return menuTextures ? menuTextures : gameTextures(); }

Menu::Menu(bool inGame, std::shared_ptr<TextureFactory> textures) : textureFactory(std::move(textures)) {
  if (!textureFactory) textureFactory = menuTextureFactory();
  normalFont = std::make_shared<Font>(kMenuFontPath, kMenuFontSpacing, textureFactory);
  highlightedFont = std::make_shared<Font>(kMenuSelectedFontPath, kMenuFontSpacing, textureFactory);
  if (inGame) {
    goToScreen(Playing);
  } else {
    goToScreen(MainMenu);
    resetPlayerSlots();
  }
}

std::array<std::string, kCharacterCount + 1> Menu::shownCharacterNames() {
  std::array<std::string, kCharacterCount + 1> names{"?"};
  for (int32_t index = 1; index <= kCharacterCount; ++index) names[index] = kCharacters[index - 1].shownName;
  return names;
}

const std::string& Menu::characterLabel(int32_t character) const {
  return character >= 0 && character < static_cast<int32_t>(characterNames.size()) ? characterNames[character]
                                                                                   : kNoLabel;
}

const std::string& Menu::controllerLabel(int32_t controller) const {
  return controller >= 0 && controller < static_cast<int32_t>(controllerNames.size()) ? controllerNames[controller]
                                                                                      : kNoLabel;
}

void Menu::goToScreen(MenuScreen id) {
  ++changes;
  currentScreen = id;
  itemList.clear();
  // The old screen's item would be selected by nothing on a screen without
  // items, and every screen with items highlights its first one.
  selectedItem.reset();
  switch (id) {
    case MainMenu:
      setBackground(kMainMenuBackground);
      buildMainMenu();
      break;
    case MatchOptions:
      setBackground(kMenuBackground);
      buildMatchOptions();
      break;
    case PlayerSelect:
      setBackground(kPlayerSelectBackground);
      buildPlayerSelect();
      break;
    case PlayerSetup:
      setBackground(kMenuBackground);
      buildPlayerSetup();
      break;
    case Paused:
      buildPaused();
      break;
    case Credits:
      setBackground(kMenuBackground);
      buildCredits();
      break;
    case NetworkMenu:
      setBackground(kMenuBackground);
      buildNetwork();
      break;
    case HostWaiting:
    case JoinWaiting:
      setBackground(kMenuBackground);
      buildNetworkWait();
      break;
    case JoinAddress:
      setBackground(kMenuBackground);
      buildJoinAddress();
      for (int code = 0; code < kSpecialKeyBase; ++code) typedPresses[code] = keyPressCount(code);
      break;
    case HostRequest:
    case JoinRequest:
    case NetCancel:
    case StartSingles:
    case StartDoubles:
    case Playing:
    case QuitMatch:
    case EndGame:
    case WatchPointAgain:
    case Tournament:
      break;
  }
}

void Menu::setBackground(const std::string& path) {
  // A picture that is not there is never handed to the image decoder, so the
  // menus also run where no image library was started (tools, tests); the
  // message is the one the decoder gives.
  std::error_code error;
  if (dynamic_cast<ImageTextureFactory*>(textureFactory.get()) && !std::filesystem::is_regular_file(path, error)) {
    printMessage("No se pudo cargar la imagen %s\n", path.c_str());
    backgroundImage.reset();
    return;
  }
  backgroundImage = textureFactory->create(path);
}

std::shared_ptr<MenuItem> Menu::makeItem(int32_t textIndex, MenuAction action, float x, float y) const {
  return makeItem(text(textIndex), action, x, y);
}

std::shared_ptr<MenuItem> Menu::makeItem(const std::string& label, MenuAction action, float x, float y) const {
  return std::make_shared<MenuItem>(action, x, y, label, normalFont, highlightedFont);
}

void Menu::appendItem(const std::shared_ptr<MenuItem>& item) {
  itemList.push_back(item);
  if (itemList.size() == 1) selectedItem = item;
}

void Menu::addItem(const std::shared_ptr<MenuItem>& item) {
  if (!itemList.empty()) {
    const std::shared_ptr<MenuItem>& previous = itemList.back();
    previous->link(Down, item);
    item->link(Up, previous);
  }
  appendItem(item);
}

void Menu::addNextAndBack(const std::shared_ptr<MenuItem>& next, const std::shared_ptr<MenuItem>& back,
                          const std::shared_ptr<MenuItem>& aboveBack) {
  addItem(next);
  appendItem(back);
  back->link(Left, next);
  back->link(Up, aboveBack);
  next->link(Right, back);
}

void Menu::buildMainMenu() {
  // From the top down.
  const struct {
    int32_t text;
    MenuAction action;
  } entries[] = {
      {kTextPlay, OpenOptions},
      {kTextTournament, OpenTournament},
      {kTextCredits, OpenCredits},
      {kTextQuit, QuitGame},
  };
  float y = kMainFirst.y;
  for (const auto& entry : entries) {
    addItem(makeItem(entry.text, entry.action, kMainFirst.x, y));
    y -= kMainItemGap;
  }
}

void Menu::buildMatchOptions() {
  addItem(makeItem(kTextSets, CycleSets, kOptionsSets.x, kOptionsSets.y));
  addItem(makeItem(kTextGames, CycleGames, kOptionsGames.x, kOptionsGames.y));
  const auto mode = makeItem(kTextMode, ToggleDoubles, kOptionsMode.x, kOptionsMode.y);
  addItem(mode);
  const auto next = makeItem(kTextNext, OpenPlayerSelect, kFootNext.x, kFootNext.y);
  addNextAndBack(next, makeItem(kTextBack, OptionsBack, kFootBack.x, kFootBack.y), mode);
  // Left of next, off the chain that leads down to it.
  const auto network = makeItem(kTextNetwork, OpenNetwork, kOptionsNetwork.x, kOptionsNetwork.y);
  appendItem(network);
  network->link(Right, next);
  network->link(Up, mode);
  next->link(Left, network);
}

void Menu::buildNetwork() {
  addItem(makeItem(kTextHost, HostGame, kNetworkHost.x, kNetworkHost.y));
  addItem(makeItem(kTextJoin, JoinGame, kNetworkJoin.x, kNetworkJoin.y));
  addItem(makeItem(kTextBack, NetworkBack, kFootBackAlone.x, kFootBackAlone.y));
}

void Menu::buildNetworkWait() {
  addItem(makeItem(kTextBack, CancelNetwork, kFootBackAlone.x, kFootBackAlone.y));
}

void Menu::buildJoinAddress() {
  addItem(makeItem(kTextJoin, ConnectToHost, kJoinConnect.x, kJoinConnect.y));
}

bool Menu::typeAddress() {
  bool typed = false;
  for (int code = 1; code < kSpecialKeyBase; ++code) {
    const bool allowed = std::isalnum(code) || code == '.' || code == ':' || code == '-' || code == kKeyBackspace;
    const uint32_t presses = keyPressCount(code);
    if (!allowed || presses == typedPresses[code]) continue;
    typedPresses[code] = presses;
    if (code == kKeyBackspace) {
      if (!address.empty()) address.pop_back();
    } else if (address.size() < kMaxAddressLength) {
      address += static_cast<char>(code);
    }
    typed = true;
  }
  if (typed) ++changes;
  return typed;
}

bool Menu::editAddress(MenuDirection direction) {
  if (currentScreen != JoinAddress) return false;
  if (direction == Left && address.empty()) {
    goToScreen(NetworkMenu);
    return true;
  }
  if (direction == Left) {
    address.pop_back();
  } else if (direction == Right) {
    if (address.size() < kMaxAddressLength) address += kPadAddressCharacters[0];
  } else {
    if (address.empty()) address += kPadAddressCharacters[0];
    const size_t at = kPadAddressCharacters.find(address.back());
    const size_t count = kPadAddressCharacters.size();
    const size_t next = at == std::string_view::npos ? 0 : (at + (direction == Up ? 1 : count - 1)) % count;
    address.back() = kPadAddressCharacters[next];
  }
  ++changes;
  return true;
}

bool Menu::everyPlayingSlotHasCharacter() const {
  for (int32_t i = 0; i < playingSlotCount(); ++i) {
    if (matchSetup.slots[i].character == kNoCharacter) return false;
  }
  return true;
}

void Menu::setNetworkPlay(uint8_t otherSlots, bool joiner, bool mayStart) {
  if (otherSlots == otherGameSlots && joiner == joining && mayStart == startAllowed) return;
  otherGameSlots = otherSlots;
  joining = joiner;
  startAllowed = mayStart;
  refreshPlayerSelect();
}

void Menu::refreshPlayerSelect() {
  if (currentScreen != PlayerSelect) return;
  const MenuAction highlighted = selectedItem ? selectedItem->action() : StartMatch;
  goToScreen(PlayerSelect);
  if (std::shared_ptr<MenuItem> kept = findItem(highlighted)) selectedItem = std::move(kept);
}

void Menu::buildPlayerSelect() {
  const auto slotItem = [this](int32_t index, MenuAction action) {
    // The other game's slots are shown (drawExtras), not edited here.
    if (otherGameSlots >> index & 1u) return;
    const Spot at = kSlotSpots[index];
    addItem(makeItem(characterLabel(matchSetup.slots[index].character), action, at.x, at.y));
  };
  // Top of the picture to the bottom, so that up and down follow the screen.
  slotItem(1, EditSlot1);
  if (matchSetup.doublesFlag != 0) {
    slotItem(3, EditSlot3);
    slotItem(2, EditSlot2);
  }
  slotItem(0, EditSlot0);
  if (everyPlayingSlotHasCharacter() && startAllowed && !joining) {
    const auto next = makeItem(kTextNext, StartMatch, kFootNext.x, kFootNext.y);
    addNextAndBack(next, makeItem(kTextBack, PlayerSelectBack, kFootBack.x, kFootBack.y), next);
  } else {
    addItem(makeItem(kTextBack, PlayerSelectBack, kFootBackAlone.x, kFootBackAlone.y));
  }
}

void Menu::buildPlayerSetup() {
  addItem(makeItem(kTextCharacter, NextCharacter, kSetupCharacter.x, kSetupCharacter.y));
  addItem(makeItem(kTextController, NextController, kSetupController.x, kSetupController.y));
  addItem(makeItem(kTextNext, PlayerSetupDone, kFootDone.x, kFootDone.y));
}

void Menu::buildPaused() {
  addItem(makeItem(kTextResume, ResumeMatch, kPausedResume.x, kPausedResume.y));
  addItem(makeItem(kTextLeave, LeaveMatch, kPausedLeave.x, kPausedLeave.y));
  addItem(makeItem(kTextWatchAgain, WatchAgain, kPausedWatchAgain.x, kPausedWatchAgain.y));
}

void Menu::buildCredits() {
  addItem(makeItem(kTextNext, CreditsBack, kCreditsX, kCreditsBackY));
  addItem(makeItem(kTextProgramming, CreditsBack, kCreditsX, kCreditsProgrammingY));
  addItem(makeItem(kCreditNames[0], CreditsBack, kCreditsX, kCreditsFirstNameY));
  addItem(makeItem(kTextModels, CreditsBack, kCreditsX, kCreditsModelsY));
  addItem(makeItem(kTextAnimation, CreditsBack, kCreditsX, kCreditsAnimationY));
  addItem(makeItem(kCreditNames[1], CreditsBack, kCreditsX, kCreditsSecondNameY));
  addItem(makeItem(kTextMusic, CreditsBack, kCreditsX, kCreditsMusicY));
  addItem(makeItem(kCreditNames[2], CreditsBack, kCreditsX, kCreditsThirdNameY));
  addItem(makeItem(kTextThanks, CreditsBack, kCreditsX, kCreditsThanksY));
  // The headings and names are only there to be read: the highlight stays
  // on the one item that does something.
  const std::shared_ptr<MenuItem>& first = itemList.front();
  first->link(Down, first);
}

std::shared_ptr<MenuItem> Menu::findItem(MenuAction action) const {
  for (const auto& item : itemList) {
    if (item->action() == action) return item;
  }
  return nullptr;
}

void Menu::handleInput() {
  if (currentScreen == JoinAddress) typeAddress();
  if (wasKeyPressed(kKeyUp)) navigate(Up);
  if (wasKeyPressed(kKeyDown)) navigate(Down);
  if (wasKeyPressed(kKeyLeft)) navigate(Left);
  if (wasKeyPressed(kKeyRight)) navigate(Right);
  if (wasKeyPressed(kKeyEnter)) select();
}

void Menu::navigate(MenuDirection direction) {
  if (editAddress(direction)) return;
  if (!selectedItem) return;
  if (std::shared_ptr<MenuItem> next = selectedItem->neighbour(direction)) {
    selectedItem = std::move(next);
    ++changes;
  }
}

void Menu::select() {
  if (itemList.empty() || !selectedItem) return;
  ++changes;
  const MenuAction action = selectedItem->action();
  PlayerSlot& edited = matchSetup.slots[slot];
  switch (action) {
    case OpenOptions:
      goToScreen(MatchOptions);
      break;
    case PlayerSelectBack:
      // The host chooses the options; a joiner going back leaves.
      goToScreen(joining ? NetCancel : MatchOptions);
      break;
    case OpenCredits:
      goToScreen(Credits);
      break;
    case CycleSets:
      matchSetup.setsToPlay = (matchSetup.setsToPlay + kSetsStep) % kSetsModulus;
      break;
    case CycleGames:
      matchSetup.gamesPerSet = (matchSetup.gamesPerSet + kGamesStep) % kGamesModulus;
      break;
    case ToggleDoubles:
      matchSetup.doublesFlag = (matchSetup.doublesFlag + 1) % 2;
      break;
    case OpenPlayerSelect:
    case PlayerSetupDone:
      goToScreen(PlayerSelect);
      break;
    case OptionsBack:
    case CreditsBack:
      goToScreen(MainMenu);
      break;
    case EditSlot0:
    case EditSlot1:
    case EditSlot2:
    case EditSlot3:
      slot = action - EditSlot0;
      goToScreen(PlayerSetup);
      break;
    case StartMatch:
      goToScreen(matchSetup.doublesFlag == 0 ? StartSingles : StartDoubles);
      break;
    case NextCharacter:
      // "Not chosen" is only where a slot starts: the cycle skips it.
      edited.character = edited.character >= kCharacterCount ? 1 : edited.character + 1;
      break;
    case NextController:
      edited.controller = edited.controller >= kControllerCount - 1 ? 0 : edited.controller + 1;
      break;
    case ResumeMatch:
      goToScreen(Playing);
      break;
    case LeaveMatch:
      goToScreen(QuitMatch);
      break;
    case WatchAgain:
      goToScreen(WatchPointAgain);
      break;
    case QuitGame:
      goToScreen(EndGame);
      break;
    case OpenNetwork:
      goToScreen(NetworkMenu);
      break;
    case HostGame:
      goToScreen(HostRequest);
      break;
    case JoinGame:
      goToScreen(JoinAddress);
      break;
    case ConnectToHost:
      goToScreen(JoinRequest);
      break;
    case NetworkBack:
      goToScreen(MatchOptions);
      break;
    case CancelNetwork:
      goToScreen(NetCancel);
      break;
    case OpenTournament:
      goToScreen(Tournament);
      break;
    case TournamentChoice:
      break;
  }
}

void Menu::drawLabel(const std::string& label, float x, float y) const {
  normalFont->drawText(label, x, y, kMenuScale);
}

void Menu::drawBackground(Texture& picture) {
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glEnable(GL_TEXTURE_2D);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  picture.drawCentered(kBackgroundX, kBackgroundY, kMenuScale);
}

void Menu::draw2D() {
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glEnable(GL_TEXTURE_2D);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  if (backgroundImage) drawBackground(*backgroundImage);
  for (const auto& item : itemList) item->draw(item == selectedItem);
  drawExtras();
  glDisable(GL_BLEND);
}

void Menu::drawExtras() const {
  switch (currentScreen) {
    case MatchOptions:
      drawLabel(std::to_string(matchSetup.setsToPlay), kOptionsSetsValue.x, kOptionsSetsValue.y);
      drawLabel(std::to_string(matchSetup.gamesPerSet), kOptionsGamesValue.x, kOptionsGamesValue.y);
      drawLabel(text(matchSetup.doublesFlag == 0 ? kTextSingles : kTextDoubles), kOptionsModeValue.x,
                kOptionsModeValue.y);
      break;
    case PlayerSelect:
      for (int32_t index = 0; index < playingSlotCount(); ++index) {
        if ((otherGameSlots >> index & 1u) == 0) continue;
        drawLabel(characterLabel(matchSetup.slots[index].character), kSlotSpots[index].x, kSlotSpots[index].y);
      }
      if (joining) drawLabel(text(kTextNetHostChoosing), kJoinerWaits.x, kJoinerWaits.y);
      break;
    case PlayerSetup: {
      const PlayerSlot& edited = matchSetup.slots[slot];
      drawLabel(characterLabel(edited.character), kSetupCharacterValue.x, kSetupCharacterValue.y);
      drawLabel(controllerLabel(edited.controller), kSetupControllerValue.x, kSetupControllerValue.y);
      break;
    }
    case HostWaiting:
    case JoinWaiting:
    case JoinAddress: {
      drawLabel(text(currentScreen == HostWaiting ? kTextGiveAddress : kTextHostAddress), kNetworkHeading.x,
                kNetworkHeading.y);
      float y = kNetworkFirstLine.y;
      if (currentScreen == JoinAddress) {
        drawLabel(address + "_", kNetworkFirstLine.x, y);
        break;
      }
      for (const std::string& line : networkLines) {
        drawLabel(line, kNetworkFirstLine.x, y);
        y -= kNetworkLineGap;
      }
      break;
    }
    case Paused:
      if (const std::shared_ptr<MatchScore> score = scoreboard.lock()) {
        score->drawTable(kPausedTable.x, kPausedTable.y);
        score->drawScoreLine(kPausedScoreLine.x, kPausedScoreLine.y);
      }
      break;
    default:
      break;
  }
}
