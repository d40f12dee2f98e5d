#pragma once
// MP3 encoding (LAME) of a piece that loops. An MP3 decoder starts with the
// encoder's delay and ends with padding; gapless decoders (libmpg123, which
// the game's mixer uses) cut both away by the numbers in the LAME tag of the
// first frame. Cut exactly, the loop still clicks, because the encoder saw
// silence before the first sample and after the last. So the encoder hears
// the end of the loop before its start and the start after its end, and the
// tag is told to cut those extra samples too: the decoded file is exactly
// the loop, each end encoded in the company of the other.

#include <string>

#include "content/Synth.h"

// The loop's samples must lie within [-1, 1].
std::string encodeLoopingMp3(const Stereo& loop, int kilobitsPerSecond);
