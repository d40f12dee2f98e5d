#pragma once
// A small JSON writer for the tools' standard output: strings, numbers and
// raw punctuation, written straight to a stream. Bytes outside printable
// ASCII are written as \u00XX escapes (Latin-1), so any byte string of the
// game's files gives valid JSON; numbers that are not finite become null.

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <string>

class Json {
 public:
  explicit Json(std::FILE* out) : out(out) {}

  void string(const std::string& text) {
    std::fputc('"', out);
    for (char c : text) {
      const auto byte = static_cast<unsigned char>(c);
      if (c == '"' || c == '\\') {
        std::fputc('\\', out);
        std::fputc(c, out);
      } else if (byte < 0x20 || byte >= 0x7f) {
        std::fprintf(out, "\\u%04x", byte);
      } else {
        std::fputc(c, out);
      }
    }
    std::fputc('"', out);
  }
  void number(double value) {
    if (!std::isfinite(value)) {
      std::fputs("null", out);
      return;
    }
    if (value == 0) value = 0;  // no "-0"
    std::fprintf(out, "%.9g", value);
  }
  void integer(long long value) { std::fprintf(out, "%lld", value); }
  void raw(const char* text) { std::fputs(text, out); }
  void key(const char* name) {
    string(name);
    std::fputs(": ", out);
  }

 private:
  std::FILE* out;
};

// The game writes its messages on standard output. A tool that prints JSON
// keeps the real standard output for itself (returned; nullptr when it
// cannot) and sends everything else written there to standard error.
inline std::FILE* takeStandardOutputForJson() {
  std::fflush(stdout);
  const int descriptor = dup(STDOUT_FILENO);
  std::FILE* json = descriptor >= 0 ? fdopen(descriptor, "w") : nullptr;
  if (!json || dup2(STDERR_FILENO, STDOUT_FILENO) < 0) return nullptr;
  return json;
}
