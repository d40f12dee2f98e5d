#include "app/FrameStats.h"

#include <algorithm>
#include <cstdio>

#include "app/Percentile.h"

namespace {

float millisecondsBetween(FrameStats::Clock::time_point from, FrameStats::Clock::time_point to) {
  return std::chrono::duration<float, std::milli>(to - from).count();
}

}  // namespace

FrameStats::FrameStats(Clock::time_point launched) { launch = Load{launched, 0, std::nullopt, 0, 0, std::nullopt}; }

void FrameStats::windowOpened(Clock::time_point at) { launch.gapsFrom = at; }

void FrameStats::matchRequested(Clock::time_point at) {
  matchLoad = Load{at, kFramesAfterLoad, std::nullopt, 0, 0, std::nullopt};
}

void FrameStats::followLoad(Load& load, Clock::time_point at, ShownScene scene, ShownScene done) {
  if (load.toFirstFrameMs && load.framesAfter >= load.framesToFollow) return;
  // The first gap of a load runs from its start, not from the frame before.
  const Clock::time_point start = load.gapsFrom.value_or(load.began);
  const Clock::time_point since = last && *last > start ? *last : start;
  load.longestGapMs = std::max(load.longestGapMs, millisecondsBetween(since, at));
  if (load.toFirstFrameMs) {
    ++load.framesAfter;
  } else if (scene == done) {
    load.toFirstFrameMs = millisecondsBetween(load.began, at);
  }
}

void FrameStats::frameShown(Clock::time_point at, ShownScene scene, uint32_t drawCalls) {
  const float gapMs = last ? millisecondsBetween(*last, at) : 0;
  followLoad(launch, at, scene, ShownScene::Menus);
  if (matchLoad) followLoad(*matchLoad, at, scene, ShownScene::Match);
  if (last) {
    allGapsMs.push_back(gapMs);
    allSeconds += gapMs / 1000.0;
    if (scene == ShownScene::Match && lastScene == ShownScene::Match) {
      matchGapsMs.push_back(gapMs);
      matchSeconds += gapMs / 1000.0;
    }
  }
  if (scene == ShownScene::Match) matchDrawCalls.push_back(drawCalls);
  if (scene == ShownScene::Menus) mostMenuDrawCalls = std::max(mostMenuDrawCalls, drawCalls);
  last = at;
  lastScene = scene;
}

std::string FrameStats::summary() const {
  return framesLine() + "\n" + drawCallsLine() + "\n" + loadsLine();
}

std::string FrameStats::framesLine() const {
  const bool ofMatches = !matchGapsMs.empty();
  std::vector<float> sorted = ofMatches ? matchGapsMs : allGapsMs;
  if (sorted.empty()) return "Fotogramas mostrados: menos de dos, sin tiempos que medir";
  std::sort(sorted.begin(), sorted.end());
  const double seconds = ofMatches ? matchSeconds : allSeconds;
  char line[240];
  std::snprintf(line, sizeof line,
                "Fotogramas mostrados%s: %zu en %.1f s, %.1f por segundo; entre uno y otro: 50%% %.1f ms, "
                "99%% %.1f ms, el mas largo %.1f ms",
                ofMatches ? " en partido" : "", sorted.size() + 1, seconds,
                static_cast<double>(sorted.size()) / seconds,
                static_cast<double>(percentile(sorted, 0.5)), static_cast<double>(percentile(sorted, 0.99)),
                static_cast<double>(sorted.back()));
  return line;
}

std::string FrameStats::drawCallsLine() const {
  std::vector<uint32_t> sorted = matchDrawCalls;
  std::sort(sorted.begin(), sorted.end());
  char line[200];
  std::snprintf(line, sizeof line, "Llamadas de dibujo por fotograma: partido 50%% %u, el mas alto %u; menus %u",
                sorted.empty() ? 0u : percentile(sorted, 0.5), sorted.empty() ? 0u : sorted.back(),
                mostMenuDrawCalls);
  return line;
}

std::string FrameStats::loadsLine() const {
  auto ms = [](const std::optional<Load>& load) {
    return load && load->toFirstFrameMs ? static_cast<double>(*load->toFirstFrameMs) : -1.0;
  };
  auto longest = [](const std::optional<Load>& load) { return load ? static_cast<double>(load->longestGapMs) : -1.0; };
  char window[80] = "";
  if (launch.gapsFrom) {
    std::snprintf(window, sizeof window, "la ventana a los %.0f ms, despues ",
                  static_cast<double>(millisecondsBetween(launch.began, *launch.gapsFrom)));
  }
  char line[320];
  std::snprintf(line, sizeof line,
                "Cargas: del arranque al primer fotograma de los menus %.0f ms (%sel hueco mas largo %.0f ms), de "
                "SIGUIENTE al primer fotograma del partido %.0f ms (el hueco mas largo %.0f ms)",
                ms(launch), window, longest(launch), ms(matchLoad), longest(matchLoad));
  return line;
}
