#include "assets/AseTokenizer.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

// Exact powers of ten in float: 10^k for k <= 10 has at most 24 significant
// bits, so m / 10^k with an exact m below 2^24 is one correctly rounded
// division, the same value the full conversion gives.
constexpr float kExactPowersOfTen[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f, 1e8f, 1e9f, 1e10f};
constexpr uint64_t kExactFloatMantissa = uint64_t{1} << 24;

// The common shapes of the exporter's numbers ("-12.3456", "7", "0.0000")
// read in one pass. False when the text needs the full conversion.
bool fastFloat(const char*& p, const char* end, float& value) {
  const char* q = p;
  bool negative = false;
  if (q != end && (*q == '-' || *q == '+')) negative = *q++ == '-';
  uint64_t mantissa = 0;
  int digits = 0;
  int fraction = 0;
  for (; q != end && isDigit(*q); ++q, ++digits) mantissa = mantissa * 10 + static_cast<uint64_t>(*q - '0');
  if (q != end && *q == '.') {
    for (++q; q != end && isDigit(*q); ++q, ++digits, ++fraction) {
      mantissa = mantissa * 10 + static_cast<uint64_t>(*q - '0');
    }
  }
  if (digits == 0 || digits > 18 || fraction > 10 || mantissa > kExactFloatMantissa) return false;
  if (q != end && !isBlank(*q)) return false;
  float result = static_cast<float>(mantissa);
  if (fraction > 0) result /= kExactPowersOfTen[fraction];
  value = negative ? -result : result;
  p = q;
  return true;
}

// The exporter writes its floats as "%.4f": a sign, a few integer digits, a
// point and exactly four decimals. Those four are checked and combined as
// one 32-bit word instead of a loop with a branch per digit. Reads at most
// five bytes past `q`, so the caller guarantees that they exist.
bool fourDecimals(const char* q, uint32_t& decimals) {
  uint32_t word;
  std::memcpy(&word, q, sizeof word);
  // Every byte is '0'..'9' when its high nibble is 3 and adding 6 keeps it so.
  if ((word & 0xF0F0F0F0u) != 0x30303030u || ((word + 0x06060606u) & 0xF0F0F0F0u) != 0x30303030u) return false;
  word &= 0x0F0F0F0Fu;
  // The first digit is the lowest byte: pairs first, then the two pairs.
  word = ((word * 10) + (word >> 8)) & 0x00FF00FFu;
  decimals = ((word * 100) + (word >> 16)) & 0xFFFFu;
  return true;
}

// The "%.4f" shape read without loops over the decimals; the value is the
// same one division that fastFloat makes. False for any other shape.
bool exporterFloat(const char*& p, const char* end, float& value) {
  const char* q = p;
  const bool negative = *q == '-';
  if (negative || *q == '+') ++q;
  uint64_t whole = 0;
  const char* digits = q;
  // Seven integer digits already overflow the exact mantissa with four decimals.
  while (isDigit(*q) && q - digits < 8) whole = whole * 10 + static_cast<uint64_t>(*q++ - '0');
  uint32_t decimals = 0;
  if (*q != '.' || end - q < 6 || !fourDecimals(q + 1, decimals) || !isBlank(q[5])) return false;
  const uint64_t mantissa = whole * 10000 + decimals;
  if (mantissa > kExactFloatMantissa) return false;
  const float result = static_cast<float>(mantissa) / kExactPowersOfTen[4];
  value = negative ? -result : result;
  p = q + 5;
  return true;
}

bool fastInt(const char*& p, const char* end, int32_t& value) {
  const char* q = p;
  bool negative = false;
  if (q != end && (*q == '-' || *q == '+')) negative = *q++ == '-';
  int64_t number = 0;
  int digits = 0;
  for (; q != end && isDigit(*q) && digits < 10; ++q, ++digits) number = number * 10 + (*q - '0');
  if (digits == 0 || digits == 10 || (q != end && !isBlank(*q))) return false;
  value = static_cast<int32_t>(negative ? -number : number);
  p = q;
  return true;
}

}  // namespace

AseTokenizer::AseTokenizer(std::string text, std::string name) { setText(std::move(text), std::move(name)); }

AseTokenizer::~AseTokenizer() { release(); }

void AseTokenizer::release() {
  if (mapping) munmap(mapping, mappingSize);
  mapping = nullptr;
  mappingSize = 0;
}

bool AseTokenizer::open(const std::string& path) {
  setText({}, path);
  const int file = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (file < 0) return false;
  struct stat status;
  if (fstat(file, &status) != 0 || S_ISDIR(status.st_mode)) {
    ::close(file);
    return false;
  }
  bool mapped = false;
  if (S_ISREG(status.st_mode) && status.st_size > 0) {
    const auto bytes = static_cast<size_t>(status.st_size);
    void* address = mmap(nullptr, bytes, PROT_READ, MAP_PRIVATE | MAP_POPULATE, file, 0);
    if (address != MAP_FAILED) {
      mapping = address;
      mappingSize = bytes;
      cursor = static_cast<const char*>(address);
      end = cursor + bytes;
      length = bytes;
      mapped = true;
    }
  }
  // The scans rely on the text ending with a blank; a file whose last byte
  // is not one (no line end after the last "}") is read into memory instead.
  if (mapped && !isBlank(end[-1])) {
    munmap(mapping, mappingSize);
    mapping = nullptr;
    mappingSize = 0;
    mapped = false;
    ::lseek(file, 0, SEEK_SET);
  }
  if (!mapped) {
    // Not a plain file (a pipe) or not mappable: read it in pieces.
    std::string contents;
    char piece[65536];
    ssize_t got;
    while ((got = ::read(file, piece, sizeof piece)) > 0) contents.append(piece, static_cast<size_t>(got));
    setText(std::move(contents), path);
  }
  ::close(file);
  return true;
}

void AseTokenizer::setText(std::string newText, std::string name) {
  release();
  text = std::move(newText);
  // A blank after the last token lets the token scans stop without looking
  // at the end; it changes no token.
  if (text.empty() || !isBlank(text.back())) text += '\n';
  fileName = std::move(name);
  cursor = text.data();
  end = text.data() + text.size();
  length = text.size();
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
  while (!isBlank(*cursor)) ++cursor;
  tokenLine = cursorLine;
  token = std::string_view(start, static_cast<size_t>(cursor - start));
  return true;
}

bool AseTokenizer::nextMarked(std::string_view& token) {
  // One pass over the bytes, stopping only where a wanted token may begin;
  // most of what is skipped (edge flags, labels) never becomes a token.
  const char* p = cursor;
  while (p != end) {
    const char c = *p;
    if (c == '\n') {
      ++cursorLine;
    } else if ((c == '*' || c == '}') && (p == cursor || isBlank(p[-1]))) {
      cursor = p;
      return next(token);
    }
    ++p;
  }
  cursor = end;
  token = {};
  return false;
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

bool AseTokenizer::skipToken() {
  skipBlanks();
  if (cursor == end) {
    reportEnd();
    return false;
  }
  const char c = *cursor;
  if (c == '*' || ((c == '{' || c == '}') && (cursor + 1 == end || isBlank(cursor[1])))) return false;
  finishToken(cursor);
  return true;
}

bool AseTokenizer::atNumber() {
  skipBlanks();
  // Nearly every number read finds one: decided here without the checks
  // for braces and keywords below, and small enough to be inlined.
  if (cursor != end && (isDigit(*cursor) || *cursor == '-')) return true;
  return atOtherToken();
}

bool AseTokenizer::atOtherToken() {
  if (cursor == end) {
    reportEnd();
    return false;
  }
  const char c = *cursor;
  if (c == '*' || ((c == '{' || c == '}') && (cursor + 1 == end || isBlank(cursor[1])))) {
    tokenLine = cursorLine;
    report("Error: falta un numero antes de \"%s\"", printable(peek()).c_str());
    return false;
  }
  return true;
}

std::string_view AseTokenizer::finishToken(const char* start) {
  cursor = start;
  while (!isBlank(*cursor)) ++cursor;
  tokenLine = cursorLine;
  return std::string_view(start, static_cast<size_t>(cursor - start));
}

bool AseTokenizer::readInt(int32_t& value) {
  value = 0;
  if (!atNumber()) return false;
  if (fastInt(cursor, end, value)) {
    tokenLine = cursorLine;
    return true;
  }
  const std::string_view token = finishToken(cursor);
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
  if (!atNumber()) return false;
  if (exporterFloat(cursor, end, value) || fastFloat(cursor, end, value)) {
    tokenLine = cursorLine;
    return true;
  }
  const std::string_view token = finishToken(cursor);
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

bool AseTokenizer::nextInBlock(std::string_view& token) {
  if (!next(token)) {
    reportEnd();
    return false;
  }
  return token != "}";
}
