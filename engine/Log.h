#pragma once
// Diagnostics of the game: one line of Spanish text on standard output, no
// prefix, no level. Loading and play go on after every message; nothing here
// stops the program. The text is the program's own, in Windows-1252.

// Writes the formatted text as it is (the caller supplies any line end) and
// flushes, so a message is never lost when the process ends by exit(0).
void printMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));
