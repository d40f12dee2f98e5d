#pragma once
// The lines of the language files ("lang/" + LANG + ".data") the game shows,
// by number, written once for the menus, the match's words, the replays and
// network play. A new text goes at the end of every language file and here:
// the files are read by line number, so no line is ever moved or reused.

#include <cstdint>

constexpr int32_t kTextPlay = 0;
constexpr int32_t kTextCredits = 1;
// 2: "PARTIDO": no longer shown
constexpr int32_t kTextOptions = 3;
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
constexpr int32_t kTextMusicAndSound = 19;
constexpr int32_t kTextThanks = 20;
constexpr int32_t kTextFault = 21;
constexpr int32_t kTextOut = 22;
constexpr int32_t kTextGame = 23;
constexpr int32_t kTextTieBreak = 24;
constexpr int32_t kTextSet = 25;
constexpr int32_t kTextWinsSingles = 26;
constexpr int32_t kTextWinDoubles = 27;
constexpr int32_t kTextAnd = 28;
constexpr int32_t kTextWatchAgain = 29;
constexpr int32_t kTextNetWaiting = 30;
constexpr int32_t kTextNetNoAnswer = 31;
constexpr int32_t kTextNetDesync = 32;
constexpr int32_t kTextNetClosed = 33;
constexpr int32_t kTextNetLeft = 34;
constexpr int32_t kTextNetVersions = 35;
// 36: the input delay in steps and ms: no longer shown
constexpr int32_t kTextNetwork = 37;
constexpr int32_t kTextHost = 38;
constexpr int32_t kTextJoin = 39;
constexpr int32_t kTextGiveAddress = 40;
constexpr int32_t kTextHostAddress = 41;
constexpr int32_t kTextNetChoose = 42;
constexpr int32_t kTextNetHostChoosing = 43;
constexpr int32_t kTextReplay = 44;
constexpr int32_t kTextReplayJumps = 45;
constexpr int32_t kTextReplaySpeedAndLeave = 46;
constexpr int32_t kTextPointAgainSkip = 47;
constexpr int32_t kTextControls = 48;
constexpr int32_t kTextSound = 49;
constexpr int32_t kTextScreen = 50;
constexpr int32_t kTextLanguage = 51;
// the language's name in its own words
constexpr int32_t kTextOwnLanguageName = 52;
// the six actions of a key set, down, up, left, right, hit, dive (53 to 58)
constexpr int32_t kTextFirstRole = 53;
constexpr int32_t kTextReset = 59;
constexpr int32_t kTextPressAKey = 60;
constexpr int32_t kTextAlsoOn = 61;
constexpr int32_t kTextPads = 62;
constexpr int32_t kTextPad = 63;
constexpr int32_t kTextHitAndDive = 64;
constexpr int32_t kTextNoPad = 65;
constexpr int32_t kTextMusic = 66;
constexpr int32_t kTextEffects = 67;
constexpr int32_t kTextScreenMode = 68;
constexpr int32_t kTextWindow = 69;
constexpr int32_t kTextFullScreen = 70;
constexpr int32_t kTextResolution = 71;
constexpr int32_t kTextResolutionAtStart = 72;
constexpr int32_t kTextModeAtRestart = 73;
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
constexpr int32_t kTextNetOtherPaused = 99;
constexpr int32_t kTextNetVeryGood = 100;
constexpr int32_t kTextNetGood = 101;
constexpr int32_t kTextNetFair = 102;
constexpr int32_t kTextNetSlow = 103;
constexpr int32_t kTextTournament = 104;
// the cups' names, bronze, silver, gold (105 to 107)
constexpr int32_t kTextFirstCup = 105;
constexpr int32_t kTextLocked = 108;
constexpr int32_t kTextWon = 109;
// the rounds' names, quarter-finals, semi-finals, final (110 to 112)
constexpr int32_t kTextFirstRound = 110;
constexpr int32_t kTextLeaveCup = 113;
constexpr int32_t kTextDrawAgain = 114;
// where a cup was lost, one a round (115 to 117)
constexpr int32_t kTextFirstBeaten = 115;
constexpr int32_t kTextCupWon = 118;
constexpr int32_t kTextOthersPlaying = 119;
constexpr int32_t kTextCupsOpen = 120;
constexpr int32_t kTextTraining = 121;
constexpr int32_t kTextTryTraining = 122;
// the lessons' names, in the order they are taught (123 to 130)
constexpr int32_t kTextFirstLesson = 123;
constexpr int32_t kTextNextLesson = 131;
constexpr int32_t kTextLeaveTraining = 132;
// each lesson's two lines of instruction, in the order they are taught
// (133 to 148), with the player's controls where they say %s
constexpr int32_t kTextFirstInstruction = 133;
// the words on a try: good, then why it missed (net, long, wide, too early,
// too late, not the stroke asked, off the target) (149 to 156)
constexpr int32_t kTextGoodShot = 149;
constexpr int32_t kTextIntoTheNet = 150;
constexpr int32_t kTextLong = 151;
constexpr int32_t kTextWide = 152;
constexpr int32_t kTextTooEarly = 153;
constexpr int32_t kTextTooLate = 154;
constexpr int32_t kTextNotThatStroke = 155;
constexpr int32_t kTextOffTarget = 156;
constexpr int32_t kTextLessonPassed = 157;
constexpr int32_t kTextNowAimAt = 158;
constexpr int32_t kTextLessonCount = 159;
constexpr int32_t kTextHints = 160;
constexpr int32_t kTextOn = 161;
constexpr int32_t kTextOff = 162;
constexpr int32_t kTextYourControls = 163;
constexpr int32_t kTextPadDirections = 164;
constexpr int32_t kTextCardLeave = 165;
constexpr int32_t kTextServeHint = 166;
constexpr int32_t kTextArrowKeys = 167;
constexpr int32_t kTextPauseKeys = 168;
constexpr int32_t kTextMove = 169;
