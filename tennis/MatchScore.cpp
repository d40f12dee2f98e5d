#include "tennis/MatchScore.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <utility>

namespace {

constexpr float kSinglesPanelWidth = 512;
constexpr float kDoublesPanelWidth = 700;
constexpr float kScorePanelHeight = 128;
constexpr float kTablePanelWidth = 470;
constexpr float kTablePanelHeight = 128;
constexpr float kPanelAlpha = 0.5f;
constexpr float kPanelCornerRadius = 30;
constexpr int32_t kPanelCornerSegments = 4;

constexpr float kNumberScale = 2.0f;
constexpr float kIconScale = 1.5f;
constexpr float kTableScale = 1.0f;
constexpr float kNumberOffset = 70;
constexpr float kIconOffset = 170;
constexpr float kPartnerIconStep = 110;
constexpr float kTableNameOffset = -130;
constexpr float kTableRowOffset = 25;
constexpr float kTableColumnStep = 47;
constexpr float kTableFirstColumn = 20;

constexpr const char* kDeuceText = "DEUCE";
constexpr const char* kAdvantageText = "ADV";
constexpr const char* kSeparatorText = "-";

// A game needs this lead in games once the set length is reached.
constexpr int32_t kClearLead = 2;

std::string numberText(int32_t value) {
  return value == kPointsAdvantage ? std::string(kAdvantageText) : std::to_string(value);
}

bool ordinaryForty(const TeamScore& team) {
  return team.mode == ScoreMode::Ordinary && team.points == kPointsForty;
}

void startGameIn(TeamScore& team, ScoreMode mode) {
  team.mode = mode;
  team.points = 0;
}

}  // namespace

MatchScore::MatchScore(std::shared_ptr<ScoreboardPlayer> firstA, std::shared_ptr<ScoreboardPlayer> firstB,
                       bool doubles, int32_t setsInMatch, int32_t gamesInSet, std::shared_ptr<Font> scoreFont)
    : teamA(std::make_shared<TeamScore>()),
      teamB(std::make_shared<TeamScore>()),
      sets(std::min(setsInMatch, kMaxSets)),
      games(gamesInSet),
      scoreBacking(doubles ? kDoublesPanelWidth : kSinglesPanelWidth, kScorePanelHeight, 0, 0, 0, kPanelAlpha,
                   kPanelCornerRadius, kPanelCornerSegments, kScoreLineX, kScoreLineY),
      tableBacking(kTablePanelWidth, kTablePanelHeight, 0, 0, 0, kPanelAlpha, kPanelCornerRadius,
                   kPanelCornerSegments, kTableX, kTableY),
      font(scoreFont ? std::move(scoreFont) : std::make_shared<Font>(kScoreFontPath, kScoreFontSpacing)) {
  teamA->player = firstA;
  teamB->player = firstB;
}

int32_t MatchScore::pointLostBy(int32_t side) {
  if (over) return kPointPlayed;
  oldA = teamA->value();
  oldB = teamB->value();
  kind = ShownKind::Points;

  if (side == kSideB) {
    teamA->addPoint();
  } else if (side == kSideA) {
    teamB->addPoint();
  }

  const int32_t a = teamA->value();
  const int32_t b = teamB->value();
  if (a == b && (a == kPointsForty || a == kPointsAdvantage || a == kTieBreakSix)) {
    // Deuce; at six all in a tie-break both simply stay on six.
    teamA->points = kPointsForty;
    teamB->points = kPointsForty;
  }
  // A tie-break's six counts below forty here, so seven points win it.
  if ((b == kPointsAdvantage && a < kPointsForty) || b == kPointsGame) return gameWonBy(kSideB);
  if ((a == kPointsAdvantage && b < kPointsForty) || a == kPointsGame) return gameWonBy(kSideA);
  return kPointPlayed;
}

int32_t MatchScore::gameWonBy(int32_t winnerSide) {
  TeamScore& winner = winnerSide == kSideA ? *teamA : *teamB;
  TeamScore& loser = winnerSide == kSideA ? *teamB : *teamA;
  const int32_t sign = winnerSide == kSideA ? 1 : -1;
  const int32_t set = std::min(setIndex, kMaxSets - 1);

  kind = ShownKind::Games;
  oldA = teamA->games[set];
  oldB = teamB->games[set];
  const int32_t won = ++winner.games[set];
  const int32_t lost = loser.games[set];
  const int32_t tieBreakAt = games + 1;

  if (won == tieBreakAt && lost == tieBreakAt) {
    startGameIn(winner, ScoreMode::TieBreak);
    startGameIn(loser, ScoreMode::TieBreak);
    return kTieBreakStarts;
  }
  if (winner.mode == ScoreMode::Ordinary && (won < games || won - lost < kClearLead)) return sign * kGameWon;

  // A tie-break game always takes the set.
  kind = ShownKind::Sets;
  oldA = teamA->sets;
  oldB = teamB->sets;
  ++winner.sets;
  ++setIndex;
  startGameIn(winner, ScoreMode::Ordinary);
  startGameIn(loser, ScoreMode::Ordinary);
  if (winner.sets > sets / 2) {
    over = true;
    return sign * kMatchWon;
  }
  return sign * kSetWon;
}

void MatchScore::changeEnds() {
  std::swap(teamA, teamB);
  std::swap(oldA, oldB);
  endsChanged = !endsChanged;
}

namespace {

void saveTeam(const TeamScore& team, StateWriter& out) {
  out.put(team.mode);
  out.put(team.points);
  for (const int32_t won : team.games) out.put(won);
  out.put(team.sets);
}

void restoreTeam(TeamScore& team, StateReader& in) {
  in.get(team.mode);
  in.get(team.points);
  for (int32_t& won : team.games) in.get(won);
  in.get(team.sets);
}

}  // namespace

void MatchScore::saveState(StateWriter& out) const {
  out.put(endsChanged);
  saveTeam(*teamA, out);
  saveTeam(*teamB, out);
  for (const int32_t value : {oldA, oldB, timer, setIndex}) out.put(value);
  out.put(kind);
  out.put(tableShown);
  out.put(over);
}

void MatchScore::restoreState(StateReader& in) {
  bool changed = false;
  in.get(changed);
  if (changed != endsChanged) {
    std::swap(teamA, teamB);
    endsChanged = changed;
  }
  restoreTeam(*teamA, in);
  restoreTeam(*teamB, in);
  for (int32_t* value : {&oldA, &oldB, &timer, &setIndex}) in.get(*value);
  in.get(kind);
  in.get(tableShown);
  in.get(over);
}

void MatchScore::clearPoints() {
  teamA->clearPoints();
  teamB->clearPoints();
}

void MatchScore::update(uint32_t dtMs) {
  // The countdown keeps running while nothing is shown; stop it at the
  // bottom of its range instead of wrapping round to a long display.
  const int64_t next = static_cast<int64_t>(timer) - static_cast<int64_t>(dtMs);
  timer = static_cast<int32_t>(std::max<int64_t>(next, std::numeric_limits<int32_t>::min()));
}

int32_t MatchScore::currentGames(const TeamScore& team) const {
  return team.games[static_cast<size_t>(std::clamp(setIndex, 0, kMaxSets - 1))];
}

int32_t MatchScore::shownValue(const TeamScore& team) const {
  switch (kind) {
    case ShownKind::Games:
      return currentGames(team);
    case ShownKind::Sets:
      return team.sets;
    case ShownKind::Points:
      break;
  }
  return team.value();
}

ScoreboardItem MatchScore::number(const TeamScore& team, int32_t shown, float x, float y) const {
  const int32_t value = shownValue(team);
  ScoreboardItem item{numberText(value), nullptr, x, y, kNumberScale, 0};
  if (value == shown) return item;
  const int32_t t = timer;
  if (t > kFlipSwapAtMs) item.text = numberText(shown);
  if (t > kFlipSwapAtMs && t <= kFlipOutFromMs) {
    item.flipDegrees = static_cast<float>(kFlipOutFromMs - t) * kFlipDegreesPerMs;
  } else if (t > kFlipInUntilMs && t <= kFlipSwapAtMs) {
    item.flipDegrees = static_cast<float>(t - kFlipInUntilMs) * kFlipDegreesPerMs;
  }
  return item;
}

void MatchScore::addIcons(std::vector<ScoreboardItem>& items, const TeamScore& team, float x, float y,
                          float step) const {
  const std::shared_ptr<ScoreboardPlayer> first = team.player.lock();
  if (!first) return;
  if (auto icon = first->scoreboardIcon()) items.push_back({"", icon, x, y, kIconScale, 0});
  float partnerX = x;
  for (const auto& partner : first->scoreboardPartners()) {
    partnerX += step;
    if (!partner) continue;
    if (auto icon = partner->scoreboardIcon()) items.push_back({"", icon, partnerX, y, kIconScale, 0});
  }
}

std::vector<ScoreboardItem> MatchScore::scoreLine(float x, float y) const {
  std::vector<ScoreboardItem> items;
  if (kind == ShownKind::Points && ordinaryForty(*teamA) && ordinaryForty(*teamB)) {
    items.push_back({kDeuceText, nullptr, x, y, kNumberScale, 0});
    return items;
  }
  addIcons(items, *teamA, x - kIconOffset, y, -kPartnerIconStep);
  addIcons(items, *teamB, x + kIconOffset, y, kPartnerIconStep);
  items.push_back(number(*teamA, oldA, x - kNumberOffset, y));
  items.push_back({kSeparatorText, nullptr, x, y, kNumberScale, 0});
  items.push_back(number(*teamB, oldB, x + kNumberOffset, y));
  return items;
}

std::vector<ScoreboardItem> MatchScore::table(float x, float y) const {
  std::vector<ScoreboardItem> items;
  const TeamScore* teams[2] = {teamA.get(), teamB.get()};
  for (int side = 0; side < 2; ++side) {
    const float rowY = y + (side == 0 ? -kTableRowOffset : kTableRowOffset);
    if (const auto player = teams[side]->player.lock()) {
      items.push_back({player->scoreboardName(), nullptr, x + kTableNameOffset, rowY, kTableScale, 0});
    }
  }
  for (int set = 0; set < kMaxSets; ++set) {
    for (int side = 0; side < 2; ++side) {
      const float rowY = y + (side == 0 ? -kTableRowOffset : kTableRowOffset);
      items.push_back({std::to_string(teams[side]->games[static_cast<size_t>(set)]), nullptr,
                       x + kTableColumnStep * static_cast<float>(set) + kTableFirstColumn, rowY, kTableScale, 0});
    }
  }
  return items;
}

void MatchScore::drawItems(const std::vector<ScoreboardItem>& items) const {
  glEnable(GL_BLEND);
  glEnable(GL_TEXTURE_2D);
  glColor4f(1, 1, 1, 1);
  for (const ScoreboardItem& item : items) {
    if (item.icon) {
      item.icon->drawCentered(static_cast<int>(item.x), static_cast<int>(item.y), item.scale);
      continue;
    }
    glPushMatrix();
    glTranslatef(item.x, item.y, 0);
    // Turning the text about its horizontal axis under the overlay's
    // orthographic projection only shortens it by the cosine; scaling does
    // the same without tipping the glyphs out of the thin depth range, which
    // would cut them away.
    const float radians = item.flipDegrees * std::numbers::pi_v<float> / 180.0f;
    glScalef(1, std::cos(radians), 1);
    font->drawText(item.text, 0, 0, item.scale);
    glPopMatrix();
  }
}

void MatchScore::drawScoreLine(float x, float y) const { drawItems(scoreLine(x, y)); }

void MatchScore::drawTable(float x, float y) const { drawItems(table(x, y)); }

void MatchScore::draw() const {
  if (timer > 0) {
    scoreBacking.draw();
    drawScoreLine(kScoreLineX, kScoreLineY);
  }
  if (tableShown) {
    tableBacking.draw();
    drawTable(kTableX, kTableY);
  }
}
