#pragma once
// The simulator's cups: one or more cups of the tournament played through,
// one JSON line a round and one for the cup, or the table of how often each
// modelled skill wins each cup.

#include <cstdint>
#include <cstdio>

#include "app/CupSimulator.h"

struct CupOptions {
  SimulatedCup cup;
  // Cups in a row, the seed growing by one each.
  int32_t cups = 1;
  int32_t jobs = 1;
};

// Each cup's rounds and the cup; true when every match was played out.
bool playCups(const CupOptions& options, std::FILE* out);
// Every skill in every cup, `options.cups` cups each (the same seeds for
// all), as a Markdown table; true when every match was played out.
bool playCupTable(const CupOptions& options, std::FILE* out);
