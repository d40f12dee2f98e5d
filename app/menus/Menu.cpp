#include "app/menus/Menu.h"

#include <GL/gl.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <string>
#include <utility>

#include "app/input/Keyboard.h"
#include "app/menus/Language.h"
#include "app/menus/TextLines.h"
#include "engine/CachingTextureFactory.h"
#include "engine/ImageTextureFactory.h"
#include "engine/Log.h"
#include "tennis/RoundedPanel.h"

namespace {

std::shared_ptr<TextureFactory> menuTextures;

// Where things go, in overlay units (y up).
struct Spot {
  float x;
  float y;
};

constexpr Spot kNetworkHost{400, 420};
constexpr Spot kNetworkJoin{400, 380};
constexpr Spot kNetworkHeading{512, 460};
constexpr Spot kNetworkFirstLine{512, 400};
constexpr float kNetworkLineGap = 40;
// An address no longer than this is typed; longer ones are no address.
constexpr size_t kMaxAddressLength = 40;
// What a pad's up and down step the last character of an address through.
constexpr std::string_view kPadAddressCharacters = "0123456789.:";
constexpr int kKeyBackspace = 8;
constexpr Spot kJoinerWaits{512, 40};

// The main menu, top down: ways to play go after JUGAR, ENTRENAMIENTO just
// above OPCIONES, and OPCIONES just above CRÉDITOS. It starts high enough
// that its last item stays clear of the stands' banner in the title picture.
struct MainMenuEntry {
  int32_t textIndex;
  MenuAction action;
};
constexpr MainMenuEntry kMainMenuEntries[] = {
    {kTextPlay, OpenMatchOptions},
    {kTextTournament, OpenTournament},
    {kTextTraining, OpenTraining},
    {kTextOptions, OpenOptions},
    {kTextCredits, OpenCredits},
    {kTextQuit, QuitGame},
};
constexpr float kMainMenuX = 250;
constexpr float kMainMenuTopY = 440;
constexpr float kMainMenuGap = 40;
// Its panel: from a little above the first item to a little below the
// last, at least as wide as the title picture leaves room for.
constexpr float kPanelAboveFirst = 38;
constexpr float kPanelBelowLast = 42;
constexpr float kPanelSideMargin = 50;
constexpr float kPanelMinimumWidth = 288;
constexpr float kPanelCornerRadius = 26;
constexpr int32_t kPanelCornerSegments = 8;
constexpr float kPanelOutlineWidth = 4;
constexpr PanelPoint kPanelShadowOffset{6, -8};
// As the other screens' panels are painted: a soft shadow, the deep blue of
// the title's night sky, and a pale rim.
struct PanelColour {
  float r, g, b, a;
};
constexpr PanelColour kPanelShadow{0.0f, 0.0f, 0.0f, 0.25f};
constexpr PanelColour kPanelFill{0.08f, 0.17f, 0.38f, 0.75f};
constexpr PanelColour kPanelRim{1.0f, 1.0f, 1.0f, 0.7f};

constexpr Spot kOptionsSets{400, 420};
constexpr Spot kOptionsGames{400, 380};
constexpr Spot kOptionsMode{400, 340};
constexpr Spot kOptionsSetsValue{650, 420};
constexpr Spot kOptionsGamesValue{650, 380};
constexpr Spot kOptionsModeValue{700, 340};

// The items of a foot row stand this far apart, centred on the screen.
constexpr float kFootGap = 225;
constexpr float kScreenCentreX = 512;

// The four slots on the court picture: slot 0 near, slot 1 far; in doubles
// their partners 2 and 3.
constexpr std::array<Spot, kPlayerSlotCount> kSlotSpots{{{620, 170}, {450, 520}, {420, 290}, {580, 470}}};

// The suggestion under the main menu's panel.
constexpr Spot kMainMenuLine{512, 40};
constexpr float kMainMenuLineScale = 0.8f;

// The lesson list: its heading, the lessons top down, the mark of a lesson
// passed to the left of its name.
constexpr Spot kTrainingHeading{512, 540};
constexpr float kLessonListTopY = 480;
constexpr float kLessonListGap = 40;
constexpr float kLessonListX = 512;
constexpr float kMarkGap = 30;
constexpr float kMarkSize = 18;
constexpr float kMarkLineWidth = 5;

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
// How dark the background's copy in the bands of a wide or tall window is.
constexpr float kBandShade = 0.35f;
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

Menu::Menu(bool inGame, std::shared_ptr<TextureFactory> textures)
    : textureFactory(std::move(textures)), inGameMenu(inGame) {
  if (!textureFactory) textureFactory = menuTextures;
  if (!textureFactory) textureFactory = gameTextures();
  normalFont = std::make_shared<Font>(kMenuFontPath, kMenuFontSpacing, textureFactory);
  highlightedFont = std::make_shared<Font>(kMenuSelectedFontPath, kMenuFontSpacing, textureFactory);
  goToScreen(inGame ? Playing : MainMenu);
}

std::array<std::string, kCharacterCount + 1> Menu::shownCharacterNames() {
  std::array<std::string, kCharacterCount + 1> names{"?"};
  for (int32_t index = 1; index <= kCharacterCount; ++index) names[index] = kCharacters[index - 1].shownName;
  return names;
}

std::array<std::string, kControllerCount> Menu::shownControllerNames() {
  std::array<std::string, kControllerCount> names;
  std::copy(kControllerNames.begin(), kControllerNames.end(), names.begin());
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
    case TrainingMenu:
      setBackground(kMenuBackground);
      buildTraining();
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
    case OptionsMenu:
    case ControlsMenu:
    case PadsMenu:
    case SoundMenu:
    case ScreenMenu:
    case LanguageMenu:
      setBackground(kMenuBackground);
      options.build(id, *this);
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
    case StartLesson:
    case NextLessonRequest:
      break;
  }
  if (id != MainMenu) mainMenuLine.clear();
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

std::shared_ptr<MenuItem> Menu::makeItem(int32_t textIndex, MenuAction action, float x, float y,
                                         int32_t choice) const {
  return makeItem(text(textIndex), action, x, y, choice);
}

std::shared_ptr<MenuItem> Menu::makeItem(const std::string& label, MenuAction action, float x, float y,
                                         int32_t choice) const {
  return std::make_shared<MenuItem>(action, x, y, label, normalFont, highlightedFont, choice);
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

float Menu::footX(size_t index, size_t count) {
  return kScreenCentreX + (float(index) - float(count - 1) / 2) * kFootGap;
}

void Menu::addFootRow(const std::vector<std::shared_ptr<MenuItem>>& row, size_t reachedFromAbove) {
  const std::shared_ptr<MenuItem> above = itemList.empty() ? nullptr : itemList.back();
  addItem(row[reachedFromAbove]);
  for (size_t i = 0; i < row.size(); ++i) {
    if (i != reachedFromAbove) {
      appendItem(row[i]);
      if (above) row[i]->link(Up, above);
    }
    if (i > 0) row[i]->link(Left, row[i - 1]);
    if (i + 1 < row.size()) row[i]->link(Right, row[i + 1]);
  }
}

void Menu::highlight(MenuAction action, int32_t choice) {
  for (const auto& item : itemList) {
    if (item->action() != action || item->choice() != choice) continue;
    selectedItem = item;
    ++changes;
    return;
  }
}

void Menu::buildMainMenu() {
  float y = kMainMenuTopY;
  for (const MainMenuEntry& entry : kMainMenuEntries) {
    addItem(makeItem(entry.textIndex, entry.action, kMainMenuX, y));
    y -= kMainMenuGap;
  }
}

void Menu::buildMatchOptions() {
  addItem(makeItem(kTextSets, CycleSets, kOptionsSets.x, kOptionsSets.y));
  addItem(makeItem(kTextGames, CycleGames, kOptionsGames.x, kOptionsGames.y));
  addItem(makeItem(kTextMode, ToggleDoubles, kOptionsMode.x, kOptionsMode.y));
  addFootRow({makeItem(kTextNetwork, OpenNetwork, footX(0, 3), kFootY),
              makeItem(kTextNext, OpenPlayerSelect, footX(1, 3), kFootY),
              makeItem(kTextBack, MatchOptionsBack, footX(2, 3), kFootY)},
             1);
}

void Menu::buildNetwork() {
  addItem(makeItem(kTextHost, HostGame, kNetworkHost.x, kNetworkHost.y));
  addItem(makeItem(kTextJoin, JoinGame, kNetworkJoin.x, kNetworkJoin.y));
  addFootRow({makeItem(kTextBack, NetworkBack, footX(0, 1), kFootY)}, 0);
}

void Menu::buildNetworkWait() { addFootRow({makeItem(kTextBack, CancelNetwork, footX(0, 1), kFootY)}, 0); }

void Menu::buildJoinAddress() { addFootRow({makeItem(kTextJoin, ConnectToHost, footX(0, 1), kFootY)}, 0); }

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
    addFootRow({makeItem(kTextNext, StartMatch, footX(0, 2), kFootY),
                makeItem(kTextBack, PlayerSelectBack, footX(1, 2), kFootY)},
               0);
  } else {
    addFootRow({makeItem(kTextBack, PlayerSelectBack, footX(0, 1), kFootY)}, 0);
  }
}

void Menu::buildPlayerSetup() {
  addItem(makeItem(kTextCharacter, NextCharacter, kSetupCharacter.x, kSetupCharacter.y));
  addItem(makeItem(kTextController, NextController, kSetupController.x, kSetupController.y));
  addFootRow({makeItem(kTextNext, PlayerSetupDone, footX(0, 1), kFootY)}, 0);
}

void Menu::buildPaused() {
  if (lessonPlay) {
    addItem(makeItem(kTextResume, ResumeMatch, kPausedResume.x, kPausedResume.y));
    addItem(makeItem(kTextNextLesson, NextLesson, kPausedLeave.x, kPausedLeave.y));
    addItem(makeItem(kTextLeaveTraining, LeaveMatch, kPausedWatchAgain.x, kPausedWatchAgain.y));
    return;
  }
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
  addItem(makeItem(kTextMusicAndSound, CreditsBack, kCreditsX, kCreditsMusicY));
  addItem(makeItem(kCreditNames[2], CreditsBack, kCreditsX, kCreditsThirdNameY));
  addItem(makeItem(kTextThanks, CreditsBack, kCreditsX, kCreditsThanksY));
  // The headings and names are only there to be read: the highlight stays
  // on the one item that does something.
  const std::shared_ptr<MenuItem>& first = itemList.front();
  first->link(Down, first);
}

void Menu::buildTraining() {
  float y = kLessonListTopY;
  for (int32_t index = 0; index < kLessonCount; ++index) {
    const std::string name = std::to_string(index + 1) + ". " + text(kTextFirstLesson + index);
    addItem(makeItem(name, PickLesson, kLessonListX, y, index));
    y -= kLessonListGap;
  }
  addFootRow({makeItem(kTextBack, TrainingBack, footX(0, 1), kFootY)}, 0);
  // The first lesson not passed yet is where a player goes on from.
  for (int32_t index = 0; index < kLessonCount; ++index) {
    if (progress.passed(lessonAt(index))) continue;
    highlight(PickLesson, index);
    break;
  }
}

std::shared_ptr<MenuItem> Menu::findItem(MenuAction action) const {
  for (const auto& item : itemList) {
    if (item->action() == action) return item;
  }
  return nullptr;
}

void Menu::handleInput() {
  // In a match Escape is the pause's (the Application's); here it goes back.
  if (!inGameMenu && wasKeyPressed(kKeyEscape)) {
    goBack();
    return;
  }
  if (options.followKeys(*this)) return;
  if (currentScreen == JoinAddress) typeAddress();
  if (wasKeyPressed(kKeyUp)) navigate(Up);
  if (wasKeyPressed(kKeyDown)) navigate(Down);
  if (wasKeyPressed(kKeyLeft)) navigate(Left);
  if (wasKeyPressed(kKeyRight)) navigate(Right);
  if (wasKeyPressed(kKeyEnter)) select();
}

void Menu::navigate(MenuDirection direction) {
  if (options.awaitingKey() || editAddress(direction)) return;
  if (!selectedItem) return;
  if (std::shared_ptr<MenuItem> next = selectedItem->neighbour(direction)) {
    selectedItem = std::move(next);
    ++changes;
  } else if ((direction == Left || direction == Right) && changesAValue(selectedItem->action())) {
    const std::shared_ptr<MenuItem> item = selectedItem;  // the action may build the screen anew
    runAction(*item, direction == Right ? ValueStep::Next : ValueStep::Previous);
  }
}

void Menu::goBack() {
  if (options.awaitingKey()) {
    options.stopAwaiting();
    ++changes;
    return;
  }
  // Each screen's back item, or the way back of a screen without one.
  MenuAction back;
  switch (currentScreen) {
    case MatchOptions:
      back = MatchOptionsBack;
      break;
    case PlayerSelect:
      back = PlayerSelectBack;
      break;
    case PlayerSetup:
      back = PlayerSetupDone;
      break;
    case Credits:
      back = CreditsBack;
      break;
    case TrainingMenu:
      back = TrainingBack;
      break;
    case NetworkMenu:
      back = NetworkBack;
      break;
    case HostWaiting:
    case JoinWaiting:
      back = CancelNetwork;
      break;
    case JoinAddress:
      ++changes;
      goToScreen(NetworkMenu);
      return;
    case OptionsMenu:
      back = LeaveOptions;
      break;
    case ControlsMenu:
      back = ControlsBack;
      break;
    case PadsMenu:
      back = PadsBack;
      break;
    case SoundMenu:
    case ScreenMenu:
    case LanguageMenu:
      back = BackToOptions;
      break;
    default:
      return;  // the main menu, the match's screens and the requests
  }
  runAction(*makeItem("", back, 0, 0), ValueStep::Enter);
}

void Menu::select() {
  if (itemList.empty() || !selectedItem || options.awaitingKey()) return;
  const std::shared_ptr<MenuItem> item = selectedItem;  // the action may build the screen anew
  runAction(*item, ValueStep::Enter);
}

void Menu::runAction(const MenuItem& item, ValueStep step) {
  ++changes;
  if (options.run(item, step, *this)) return;
  const MenuAction action = item.action();
  const bool back = step == ValueStep::Previous;
  PlayerSlot& edited = matchSetup.slots[slot];
  switch (action) {
    case OpenMatchOptions:
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
      matchSetup.setsToPlay = (matchSetup.setsToPlay + (back ? kSetsModulus - kSetsStep : kSetsStep)) % kSetsModulus;
      break;
    case CycleGames:
      matchSetup.gamesPerSet = (matchSetup.gamesPerSet + (back ? kGamesModulus - kGamesStep : kGamesStep)) % kGamesModulus;
      break;
    case ToggleDoubles:
      matchSetup.doublesFlag = (matchSetup.doublesFlag + 1) % 2;
      break;
    case OpenPlayerSelect:
    case PlayerSetupDone:
      goToScreen(PlayerSelect);
      break;
    case MatchOptionsBack:
    case CreditsBack:
    case TrainingBack:
      goToScreen(MainMenu);
      break;
    case OpenTraining:
      goToScreen(TrainingMenu);
      break;
    case PickLesson:
      picked = lessonAt(item.choice());
      goToScreen(StartLesson);
      break;
    case NextLesson:
      goToScreen(NextLessonRequest);
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
      if (back) {
        edited.character = edited.character <= 1 ? kCharacterCount : edited.character - 1;
      } else {
        edited.character = edited.character >= kCharacterCount ? 1 : edited.character + 1;
      }
      break;
    case NextController:
      if (back) {
        edited.controller = edited.controller <= 0 ? kControllerCount - 1 : edited.controller - 1;
      } else {
        edited.controller = edited.controller >= kControllerCount - 1 ? 0 : edited.controller + 1;
      }
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
      break;  // the tournament's screens' own (TournamentMenu)
    case OpenOptions:
    case LeaveOptions:
    case OpenControls:
    case OpenSound:
    case OpenScreen:
    case OpenLanguage:
    case NextKeySet:
    case BindKey:
    case ResetKeys:
    case OpenPads:
    case ControlsBack:
    case NextPadKeySet:
    case SwapHitAndDive:
    case PadsBack:
    case MusicVolume:
    case EffectsVolume:
    case ToggleWindowed:
    case NextScreenSize:
    case PickLanguage:
    case BackToOptions:
    case ToggleHints:
      break;  // the options screens' own (OptionsScreens::run)
  }
}

void Menu::drawTrainingMarks() const {
  glDisable(GL_TEXTURE_2D);
  glLineWidth(kMarkLineWidth);
  glColor4f(0.35f, 0.95f, 0.35f, 1.0f);
  for (const auto& item : itemList) {
    if (item->action() != PickLesson || !progress.passed(lessonAt(item->choice()))) continue;
    // A tick to the left of the name.
    const float right = item->x() - labelWidth(item->text(), kMenuScale) / 2 - kMarkGap;
    const float y = item->y();
    glBegin(GL_LINE_STRIP);
    glVertex2f(right - kMarkSize, y);
    glVertex2f(right - kMarkSize * 0.6f, y - kMarkSize * 0.45f);
    glVertex2f(right, y + kMarkSize * 0.55f);
    glEnd();
  }
  glLineWidth(1.0f);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glEnable(GL_TEXTURE_2D);
}

void Menu::drawLabel(const std::string& label, float x, float y, float scale) const {
  normalFont->drawText(label, x, y, scale);
}

float Menu::labelWidth(const std::string& label, float scale) const { return normalFont->textWidth(label) * scale; }

void Menu::drawMainMenuPanel() const {
  if (itemList.empty()) return;
  float widest = 0;
  for (const auto& item : itemList) widest = std::max(widest, labelWidth(item->text(), kMenuScale));
  const float top = itemList.front()->y() + kPanelAboveFirst;
  const float bottom = itemList.back()->y() - kPanelBelowLast;
  const float width = std::max(kPanelMinimumWidth, widest + 2 * kPanelSideMargin);
  const float height = top - bottom;
  const float centreY = (top + bottom) / 2;
  RoundedPanel(width, height, kPanelShadow.r, kPanelShadow.g, kPanelShadow.b, kPanelShadow.a, kPanelCornerRadius,
               kPanelCornerSegments, kMainMenuX + kPanelShadowOffset.x, centreY + kPanelShadowOffset.y)
      .draw();
  const RoundedPanel panel(width, height, kPanelFill.r, kPanelFill.g, kPanelFill.b, kPanelFill.a, kPanelCornerRadius,
                           kPanelCornerSegments, kMainMenuX, centreY);
  panel.draw();
  panel.drawOutline(kPanelOutlineWidth, kPanelRim.r, kPanelRim.g, kPanelRim.b, kPanelRim.a);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glEnable(GL_TEXTURE_2D);
}

void Menu::drawBackground(Texture& picture) {
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glEnable(GL_TEXTURE_2D);
  const OverlayArea area = visibleOverlayArea();
  const OverlayArea overlay;
  if (!(area == overlay)) {
    // A window of another shape: the picture, grown about the screen's
    // centre until it covers the window and shaded, fills the bands beside
    // the picture itself.
    const double cover = std::max((area.right - area.left) / kOverlayWidth, (area.top - area.bottom) / kOverlayHeight);
    const double centreY = kOverlayHeight / 2 + (kBackgroundY - kOverlayHeight / 2) * cover;
    glColor4f(kBandShade, kBandShade, kBandShade, 1.0f);
    picture.drawCentered(kBackgroundX, static_cast<int>(std::lround(centreY)), static_cast<float>(cover));
  }
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  picture.drawCentered(kBackgroundX, kBackgroundY, kMenuScale);
}

void Menu::draw2D() {
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glEnable(GL_TEXTURE_2D);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  if (backgroundImage) drawBackground(*backgroundImage);
  if (currentScreen == MainMenu) drawMainMenuPanel();
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
    case OptionsMenu:
    case ControlsMenu:
    case PadsMenu:
    case SoundMenu:
    case ScreenMenu:
    case LanguageMenu:
      options.draw(currentScreen, *this);
      break;
    case MainMenu:
      if (!mainMenuLine.empty()) drawLabel(mainMenuLine, kMainMenuLine.x, kMainMenuLine.y, kMainMenuLineScale);
      break;
    case TrainingMenu:
      drawLabel(text(kTextTraining), kTrainingHeading.x, kTrainingHeading.y);
      drawTrainingMarks();
      break;
    case Paused:
      if (lessonPlay) break;
      if (const std::shared_ptr<MatchScore> score = scoreboard.lock()) {
        score->drawTable(kPausedTable.x, kPausedTable.y);
        score->drawScoreLine(kPausedScoreLine.x, kPausedScoreLine.y);
      }
      break;
    default:
      break;
  }
}
