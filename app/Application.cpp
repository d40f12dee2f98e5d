#include "app/Application.h"

#include "app/Keyboard.h"
#include "app/Language.h"
#include "app/Settings.h"
#include "app/SoundSystem.h"
#include "engine/Sound.h"

uint32_t stepAccumulator = 0;
std::shared_ptr<Application> application;

namespace {

// STAND-IN until the match flow lands: a match that plays nothing and ends
// only when the player leaves it from the pause screen.
class StandInMatch : public GameState {
 public:
  void onFrame() override {}
  bool isFinished() override { return false; }
};

}  // namespace

Application::Application(std::shared_ptr<Clock> clock) {
  loadLanguage("lang/" + settings.language + ".data");
  timer = std::make_shared<FrameTimer>(std::move(clock));
  initSound();
  goToMainMenu();
}

Application::~Application() {
  shutdownSound();
  timer.reset();
  menu.reset();
  match.reset();
  scene.reset();
}

void Application::frame() {
  stepAccumulator += timer->tick();
  const bool stepped = runFixedSteps() > 0;

  menu->update(1);
  // Asked in every phase, so that Escape held in the menus is consumed and
  // does not pause the match that starts next.
  if (wasKeyPressed(kKeyEscape) && phase != InMenus) {
    menu->goToScreen(menu->screen() == Playing ? Paused : Playing);
  }
  if (match) match->onFrame();
  if (stepped) scene->draw();
  carryOutPhaseRequests();
}

int Application::runFixedSteps() {
  int steps = 0;
  // A remainder of exactly one step waits for the next frame.
  while (stepAccumulator > kFixedStepMs && steps < kMaxStepsPerFrame) {
    if (menu->screen() != Paused) scene->update(kFixedStepMs);
    stepAccumulator -= kFixedStepMs;
    ++steps;
  }
  // After a stall, drop the backlog: game time slows down instead of the
  // next frames stalling too while they catch up.
  if (steps == kMaxStepsPerFrame) stepAccumulator = 0;
  return steps;
}

void Application::carryOutPhaseRequests() {
  if (phase == InMenus) {
    if (menu->screen() == StartSingles || menu->screen() == StartDoubles) {
      const bool doubles = menu->screen() == StartDoubles;
      menu.reset();  // the main menu dies here
      doubles ? startDoublesMatch() : startSinglesMatch();
      phase = InMatch;
    }
    return;
  }
  const bool over = (match && match->isFinished()) || menu->screen() == QuitMatch;
  if (over) {
    match.reset();
    goToMainMenu();
    phase = InMenus;
  }
}

void Application::goToMainMenu() {
  scene = std::make_shared<Scene>();
  menu = std::make_shared<Menu>(false);
  scene->addOverlay(menu);
  playMusic("sounds/Menu.mp3");
  resumeMusic();
}

void Application::startSinglesMatch() { startMatch(false); }

void Application::startDoublesMatch() { startMatch(true); }

void Application::startMatch(bool) {
  scene = std::make_shared<Scene>();
  menu = std::make_shared<Menu>(true);
  scene->addOverlay(menu);
  match = std::make_shared<StandInMatch>();
  timer->reset();
}
