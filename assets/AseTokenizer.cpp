#include "assets/AseTokenizer.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "engine/Log.h"

namespace {

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
// The same in double, for longer numbers ("%f" writes six decimals): 10^k
// for k <= 22 is a double, and so is every m up to 2^53.
constexpr double kExactDoublePowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                              1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                              1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr uint64_t kExactDoubleMantissa = uint64_t{1} << 53;

// Plain decimal shapes other than the exporter's ("0.5", "7", "-.25",
// "320.000000") read in one pass. False when the text needs the full
// conversion (exponents, more than 19 digits, the rare halfway cases).
bool plainFloat(const char*& p, const char* end, float& value) {
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
  if (digits == 0 || digits > 19) return false;
  if (q != end && !AseTokenizer::isBlank(*q) && !AseTokenizer::isBrace(*q)) return false;
  float result;
  if (mantissa <= kExactFloatMantissa && fraction <= 10) {
    result = static_cast<float>(mantissa);
    if (fraction > 0) result /= kExactPowersOfTen[fraction];
  } else if (mantissa > kExactDoubleMantissa || fraction > 22 ||
             !AseTokenizer::roundedQuotient(mantissa, kExactDoublePowersOfTen[fraction], result)) {
    return false;
  }
  value = negative ? -result : result;
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
  const bool mapped = S_ISREG(status.st_mode) && status.st_size > 0 && mapText(file, static_cast<size_t>(status.st_size));
  if (!mapped) {
    // Not a plain file (a pipe) or not mappable: read it in pieces.
    std::string contents;
    if (S_ISREG(status.st_mode)) contents.reserve(static_cast<size_t>(status.st_size) + 1);
    char piece[65536];
    ssize_t got;
    while ((got = ::read(file, piece, sizeof piece)) > 0) contents.append(piece, static_cast<size_t>(got));
    setText(std::move(contents), path);
  }
  ::close(file);
  return true;
}

bool AseTokenizer::mapText(int file, size_t bytes) {
  // The scans need the text to end with a blank and a byte that is not a
  // blank after it. A mapping fills the rest of its last page with zeros; a
  // file whose last byte is not a blank (no line end after the last "}")
  // gets a line end written into that fill, in a private copy of the last
  // page alone. A file that ends too near a page boundary for this is read
  // into memory instead.
  const auto pageSize = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  const size_t fill = (pageSize - bytes % pageSize) % pageSize;
  if (fill == 0) return false;
  void* address = mmap(nullptr, bytes, PROT_READ, MAP_PRIVATE | MAP_POPULATE, file, 0);
  if (address == MAP_FAILED) return false;
  char* text = static_cast<char*>(address);
  size_t textBytes = bytes;
  if (!isBlank(text[bytes - 1])) {
    char* lastPage = text + bytes / pageSize * pageSize;
    if (fill < 2 || mprotect(lastPage, pageSize, PROT_READ | PROT_WRITE) != 0) {
      munmap(address, bytes);
      return false;
    }
    text[textBytes++] = '\n';
  }
  mapping = address;
  mappingSize = bytes;
  begin = text;
  cursor = begin;
  end = begin + textBytes;
  countedUpTo = begin;
  length = textBytes;
  return true;
}

void AseTokenizer::setText(std::string newText, std::string name) {
  release();
  text = std::move(newText);
  // A blank after the last token lets the token scans stop without looking
  // at the end; it changes no token. The string's terminating zero after it
  // stops the blank scans.
  if (text.empty() || !isBlank(text.back())) text += '\n';
  fileName = std::move(name);
  begin = text.data();
  cursor = begin;
  end = begin + text.size();
  tokenStart = nullptr;
  countedUpTo = begin;
  countedLine = 1;
  length = text.size();
  reports = 0;
  endReported = false;
}

int AseTokenizer::lineAt(const char* p) const {
  // Before the first token there is no line to name.
  if (p == nullptr) return 0;
  // Messages come in file order, so counting on from the last count is the
  // usual case; a position before it is counted again from the start.
  if (p < countedUpTo) {
    countedUpTo = begin;
    countedLine = 1;
  }
  countedLine += static_cast<int>(std::count(countedUpTo, p, '\n'));
  countedUpTo = p;
  return countedLine;
}

std::string_view AseTokenizer::peek() {
  cursor = skipBlanks(cursor);
  if (cursor == end) return {};
  return std::string_view(cursor, static_cast<size_t>(tokenEnd(cursor) - cursor));
}

bool AseTokenizer::atEnd() {
  cursor = skipBlanks(cursor);
  return cursor == end;
}

bool AseTokenizer::atOtherToken() {
  cursor = skipBlanks(cursor);
  if (cursor == end) {
    reportEnd();
    return false;
  }
  if (isStructure(cursor)) {
    tokenStart = cursor;
    report("Error: falta un numero antes de \"%s\"", printable(peek()).c_str());
    return false;
  }
  return true;
}

std::string_view AseTokenizer::finishNumber(const char* start) {
  const char* stop = start + 1;
  while (!isBlank(*stop) && !isBrace(*stop)) ++stop;
  cursor = stop;
  tokenStart = start;
  return std::string_view(start, static_cast<size_t>(stop - start));
}

void AseTokenizer::skipLine() {
  const char* p = cursor;
  while (p != end && *p != '\n' && !isBrace(*p) && !(*p == '*' && startsToken(p))) ++p;
  cursor = p;
}

bool AseTokenizer::readIntSlowly(int32_t& value) {
  value = 0;
  if (!atOtherToken()) return false;
  const std::string_view token = finishNumber(cursor);
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

bool AseTokenizer::readFloatSlowly(float& value) {
  value = 0.0f;
  if (!atOtherToken()) return false;
  const char* start = cursor;
  if (plainFloat(cursor, end, value)) {
    tokenStart = start;
    return true;
  }
  const std::string_view token = finishNumber(cursor);
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

std::string AseTokenizer::readQuoted() {
  const std::string_view first = peek();
  if (first.empty()) {
    reportEnd();
    return {};
  }
  if (first == "{" || first == "}" || first.front() == '*') {
    tokenStart = cursor;
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
  while (!closed) {
    // The name goes on only on its own line.
    const char* gap = cursor;
    cursor = skipBlanks(cursor);
    if (cursor == end || std::find(gap, cursor, '\n') != cursor) {
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
  printMessage("%s (fichero %s, linea %d)\n", message, fileName.c_str(), line());
  if (reports == kMaxReports) printMessage("Aviso: demasiados errores en el fichero %s; no se informa de mas\n", fileName.c_str());
}

void AseTokenizer::reportEnd() {
  if (endReported) return;
  endReported = true;
  tokenStart = cursor;
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
