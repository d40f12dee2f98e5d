#pragma once
// The game's four music loops, composed here note by note and played on the
// synthesiser: "sounds/Menu.mp3" (bright and catchy, for the menus),
// "sounds/MatchIntro.mp3" (a fanfare that builds and hangs on the dominant
// until the match begins), "sounds/InGame.mp3" (soft and sparse, under a
// whole match) and "sounds/AndTheWinnerIs.mp3" (a triumphant anthem). Each
// lasts a whole number of bars, 28 to 33 seconds, and loops without a seam
// (see LoopingMp3.h).

#include <filesystem>

void writeMusic(const std::filesystem::path& runDir);
