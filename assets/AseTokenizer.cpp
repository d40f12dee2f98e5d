#include "assets/AseTokenizer.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "engine/Log.h"

namespace {

// The blanks of the "C" locale, the ones formatted extraction skips.
constexpr std::array<bool, 256> makeBlankTable() {
  std::array<bool, 256> table{};
  for (unsigned char c : {' ', '\t', '\n', '\v', '\f', '\r'}) table[c] = true;
  return table;
}
constexpr std::array<bool, 256> kBlank = makeBlankTable();

bool isBlank(char c) { return kBlank[static_cast<unsigned char>(c)]; }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Braces and keywords belong to the block structure: a number read that
// meets one leaves it for the block reader.
bool isStructural(std::string_view token) {
  return token == "{" || token == "}" || token.front() == '*';
}

// A token as it may appear in a message: at most 40 bytes, control and
// non-ASCII bytes shown as '?', so a hostile file cannot garble the console.
std::string printable(std::string_view token) {
  constexpr size_t kShown = 40;
  std::string shown;
  for (char c : token.substr(0, kShown)) {
    const auto byte = static_cast<unsigned char>(c);
    shown += (byte >= 0x20 && byte < 0x7f) ? c : '?';
  }
  if (token.size() > kShown) shown += "...";
  return shown;
}

// The part of a number token that from_chars reads: a leading '+' is allowed
// by stream extraction but not by from_chars; "inf" and "nan" are allowed by
// from_chars but not by stream extraction.
std::string_view numberBody(std::string_view token) {
  if (token.size() > 1 && token[0] == '+' && (isDigit(token[1]) || token[1] == '.')) token.remove_prefix(1);
  const size_t digitAt = (!token.empty() && token[0] == '-') ? 1 : 0;
  if (digitAt >= token.size() || !(isDigit(token[digitAt]) || token[digitAt] == '.')) return {};
  return token;
}

}  // namespace

AseTokenizer::AseTokenizer(std::string text, std::string name) { setText(std::move(text), std::move(name)); }

bool AseTokenizer::open(const std::string& path) {
  std::string contents;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  bool opened = file != nullptr;
  if (opened) {
    if (std::fseek(file, 0, SEEK_END) == 0) {
      const long length = std::ftell(file);
      if (length > 0) contents.resize(static_cast<size_t>(length));
      std::rewind(file);
    }
    size_t got = contents.empty() ? 0 : std::fread(contents.data(), 1, contents.size(), file);
    contents.resize(got);
    // Not seekable (a pipe): read it in pieces.
    char piece[65536];
    size_t more;
    while ((more = std::fread(piece, 1, sizeof piece, file)) > 0) contents.append(piece, more);
    std::fclose(file);
  }
  setText(std::move(contents), path);
  return opened;
}

void AseTokenizer::setText(std::string newText, std::string name) {
  text = std::move(newText);
  fileName = std::move(name);
  cursor = text.data();
  end = text.data() + text.size();
  cursorLine = 1;
  tokenLine = 0;
  reports = 0;
  endReported = false;
}

void AseTokenizer::skipBlanks() {
  while (cursor != end && isBlank(*cursor)) {
    if (*cursor == '\n') ++cursorLine;
    ++cursor;
  }
}

bool AseTokenizer::next(std::string_view& token) {
  skipBlanks();
  if (cursor == end) {
    token = {};
    return false;
  }
  const char* start = cursor;
  while (cursor != end && !isBlank(*cursor)) ++cursor;
  tokenLine = cursorLine;
  token = std::string_view(start, static_cast<size_t>(cursor - start));
  return true;
}

std::string_view AseTokenizer::peek() {
  skipBlanks();
  const char* stop = cursor;
  while (stop != end && !isBlank(*stop)) ++stop;
  return std::string_view(cursor, static_cast<size_t>(stop - cursor));
}

bool AseTokenizer::atEnd() {
  skipBlanks();
  return cursor == end;
}

bool AseTokenizer::readNumberToken(std::string_view& token) {
  token = peek();
  if (token.empty()) {
    reportEnd();
    return false;
  }
  if (isStructural(token)) {
    tokenLine = cursorLine;
    report("Error: falta un numero antes de \"%s\"", printable(token).c_str());
    return false;
  }
  next(token);
  return true;
}

bool AseTokenizer::readInt(int32_t& value) {
  value = 0;
  std::string_view token;
  if (!readNumberToken(token)) return false;
  const std::string_view body = numberBody(token);
  int32_t parsed = 0;
  const auto [stop, error] = std::from_chars(body.data(), body.data() + body.size(), parsed);
  if (!body.empty() && error == std::errc() && stop == body.data() + body.size()) {
    value = parsed;
    return true;
  }
  if (!body.empty() && error == std::errc()) value = parsed;
  report("Error: numero entero no valido \"%s\"", printable(token).c_str());
  return false;
}

bool AseTokenizer::readFloat(float& value) {
  value = 0.0f;
  std::string_view token;
  if (!readNumberToken(token)) return false;
  const std::string_view body = numberBody(token);
  float parsed = 0.0f;
  auto [stop, error] = std::from_chars(body.data(), body.data() + body.size(), parsed);
  if (!body.empty() && error == std::errc::result_out_of_range) {
    // Too small is 0 (as strtof gives it); too large is an error.
    const std::string copy(body.substr(0, static_cast<size_t>(stop - body.data())));
    const float again = std::strtof(copy.c_str(), nullptr);
    if (std::isfinite(again)) {
      parsed = again;
      error = std::errc();
    }
  }
  if (!body.empty() && error == std::errc() && stop == body.data() + body.size()) {
    value = parsed;
    return true;
  }
  if (!body.empty() && error == std::errc()) value = parsed;
  report("Error: numero no valido \"%s\"", printable(token).c_str());
  return false;
}

int32_t AseTokenizer::readInt() {
  int32_t value;
  readInt(value);
  return value;
}

float AseTokenizer::readFloat() {
  float value;
  readFloat(value);
  return value;
}

std::string AseTokenizer::readQuoted() {
  const std::string_view first = peek();
  if (first.empty()) {
    reportEnd();
    return {};
  }
  if (first == "{" || first == "}" || first.front() == '*') {
    tokenLine = cursorLine;
    report("Error: falta un nombre entre comillas antes de \"%s\"", printable(first).c_str());
    return {};
  }
  std::string_view token;
  next(token);
  std::string quoted;
  if (token.front() == '"') {
    quoted.assign(token.substr(1));
  } else {
    report("Error: nombre sin comillas \"%s\"", printable(token).c_str());
    return std::string(token);
  }
  bool closed = quoted.find('"') != std::string::npos;
  const int line = tokenLine;
  while (!closed) {
    skipBlanks();
    if (cursor == end || cursorLine != line) {
      report("Error: falta la comilla de cierre del nombre \"%s\"", printable(quoted).c_str());
      return quoted;
    }
    next(token);
    quoted += ' ';
    quoted.append(token);
    closed = token.find('"') != std::string_view::npos;
  }
  quoted.pop_back();
  return quoted;
}

void AseTokenizer::skipBlock() {
  int depth = 1;
  std::string_view token;
  while (depth > 0) {
    if (!next(token)) {
      reportEnd();
      return;
    }
    if (token == "{") {
      ++depth;
    } else if (token == "}") {
      --depth;
    }
  }
}

void AseTokenizer::skipToClose() {
  std::string_view token;
  while (next(token)) {
    if (token == "}") return;
  }
  reportEnd();
}

void AseTokenizer::report(const char* format, ...) {
  ++reports;
  if (reports > kMaxReports) return;
  char message[512];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(message, sizeof message, format, arguments);
  va_end(arguments);
  printMessage("%s (fichero %s, linea %d)\n", message, fileName.c_str(), tokenLine);
  if (reports == kMaxReports) printMessage("Aviso: demasiados errores en el fichero %s; no se informa de mas\n", fileName.c_str());
}

void AseTokenizer::reportEnd() {
  if (endReported) return;
  endReported = true;
  tokenLine = cursorLine;
  report("Error: el fichero termina antes de tiempo");
}

double AseTokenizer::leadingDouble(std::string_view token) {
  const std::string_view body = numberBody(token);
  double value = 0.0;
  const auto [stop, error] = std::from_chars(body.data(), body.data() + body.size(), value);
  if (body.empty() || error != std::errc() || !std::isfinite(value)) return 0.0;
  (void)stop;
  return value;
}
