// A broken install: files of the run folder taken away, and a one-game
// match between computers must still end, with a line or two that names
// what is missing. Every file is taken away in one of the matches, together
// with others that the game misses in the same way: whatever is not a model,
// the scenery's models, the characters' models, and half the clips of each
// character (the other half missing from its opponent).

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/MatchSimulator.h"
#include "app/Settings.h"
#include "support/TempDirectory.h"
#include "tennis/CharacterRoster.h"
#include "tennis/ModelFiles.h"

namespace fs = std::filesystem;

namespace {

// A file that is read more than once a match (a font, in each menu) may be
// named each time.
constexpr size_t kMostLinesPerFile = 4;

using Characters = std::vector<int32_t>;  // set-up indices; four play doubles

bool isModel(const fs::path& file) { return file.extension() == ".ASE" || file.extension() == ".ASZ"; }

bool ofCharacter(const fs::path& file, int32_t character) {
  return file.parent_path() == fs::path("models") / kCharacters[character - 1].folder;
}

bool inCharacterFolder(const fs::path& file) {
  for (int32_t character = 1; character <= static_cast<int32_t>(kCharacters.size()); ++character)
    if (ofCharacter(file, character)) return true;
  return false;
}

// The number of the character's clip that the file holds; 0 for any other file.
uint32_t clipOf(const fs::path& file, int32_t character) {
  for (uint32_t clip = ClipWalking; clip < ClipCount && ofCharacter(file, character); ++clip)
    if (file.filename() == characterClipFile(clip)) return clip;
  return 0;
}

bool notModel(const fs::path& file, const Characters&) { return !isModel(file); }
bool sceneryModel(const fs::path& file, const Characters&) { return isModel(file) && !inCharacterFolder(file); }
bool characterModel(const fs::path& file, const Characters&) { return file.filename() == kCharacterModelFile; }
bool oddClipsOfFirstEvenOfSecond(const fs::path& file, const Characters& players) {
  return clipOf(file, players[0]) % 2 == 1 || (clipOf(file, players[1]) > 0 && clipOf(file, players[1]) % 2 == 0);
}

// The run folder without `missing`, its other files linked, not copied.
void linkAllBut(const fs::path& run, const std::vector<fs::path>& files, const std::vector<fs::path>& missing,
                const fs::path& to) {
  for (const fs::path& file : files) {
    if (std::count(missing.begin(), missing.end(), file)) continue;
    fs::create_directories((to / file).parent_path());
    fs::create_symlink(run / file, to / file);
  }
}

// The game's messages, without the scenes' note (no line of its own) that
// the simulator opens no window.
std::vector<std::string> messageLines(std::string text) {
  const std::string noWindow = "Error al iniciar la scena. Debe iniciar antes una ventana de OpenGl";
  for (size_t at; (at = text.find(noWindow)) != std::string::npos;) text.erase(at, noWindow.size());
  std::vector<std::string> lines;
  std::istringstream in(text);
  // The ball's own warning about a hit from above its aim is play, not data.
  const std::string steepHit = "Pelota.cpp Golpear Hacia";
  for (std::string line; std::getline(in, line);) {
    if (line.rfind(steepHit, 0) != 0) lines.push_back(line);
  }
  return lines;
}

std::vector<fs::path> filesOf(const fs::path& run) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::recursive_directory_iterator(run))
    if (entry.is_regular_file()) files.push_back(entry.path().lexically_relative(run));
  return files;
}

SimulationResult playOneGame(const Characters& players) {
  SimulatedMatch match;
  match.doubles = players.size() == 4;
  match.gamesPerSet = 1;
  match.stepLimit = 150'000;
  for (size_t slot = 0; slot < players.size(); ++slot) match.slots[slot] = {players[slot], kKeySetCount + 5};
  return simulateMatch(match);
}

TEST(MissingDataTest, AOneGameMatchEndsWhicheverFilesOfTheRunFolderAreMissing) {
  const char* run = std::getenv("ZUMBOLO_RUN_DIR");
  if (!run || !fs::is_regular_file(fs::path(run) / "models/stadium/pista.ASZ")) GTEST_SKIP() << "no game data";
  const fs::path data = fs::canonical(run);
  settings = Settings::defaults();
  const struct {
    Characters players;
    bool (*missing)(const fs::path&, const Characters&);
  } cases[] = {
      {{1, 2}, notModel},
      {{3, 4}, sceneryModel},
      {{1, 2, 3, 4}, characterModel},
      {{1, 2}, oddClipsOfFirstEvenOfSecond},
      {{2, 1}, oddClipsOfFirstEvenOfSecond},
      {{3, 4}, oddClipsOfFirstEvenOfSecond},
      {{4, 3}, oddClipsOfFirstEvenOfSecond},
  };
  const std::vector<fs::path> files = filesOf(data);
  std::set<fs::path> everMissing;
  for (const auto& c : cases) {
    std::vector<fs::path> missing;
    std::copy_if(files.begin(), files.end(), std::back_inserter(missing),
                 [&](const fs::path& file) { return c.missing(file, c.players); });
    SCOPED_TRACE(testing::Message() << missing.size() << " files missing, from " << missing.front());
    everMissing.insert(missing.begin(), missing.end());
    TempDirectory folder;
    linkAllBut(data, files, missing, folder.path());
    const ScopedWorkingDirectory inside(folder.path());
    testing::internal::CaptureStdout();
    const SimulationResult result = playOneGame(c.players);
    const std::vector<std::string> lines = messageLines(testing::internal::GetCapturedStdout());

    EXPECT_TRUE(result.finished) << result.finalScore;
    const auto naming = [&](const fs::path& file) {
      return [name = file.string()](const std::string& line) { return line.find(name) != std::string::npos; };
    };
    for (const std::string& line : lines) {
      EXPECT_TRUE(std::any_of(missing.begin(), missing.end(), [&](const fs::path& file) { return naming(file)(line); }))
          << line;
    }
    for (const fs::path& file : missing) {
      const size_t named = static_cast<size_t>(std::count_if(lines.begin(), lines.end(), naming(file)));
      EXPECT_LE(named, kMostLinesPerFile) << file;
      // Every model a player needs is read once, and so named once.
      const bool played = std::any_of(c.players.begin(), c.players.end(),
                                      [&](int32_t character) { return ofCharacter(file, character); });
      if (isModel(file) && played) {
        EXPECT_EQ(named, 1u) << file;
      }
    }
  }
  for (const fs::path& file : files) EXPECT_EQ(everMissing.count(file), 1u) << file;
}

}  // namespace
