#pragma once
// Tokens of the ASCII scene export format (".ASE" and ".ASZ", the same text).
//
// The whole file is mapped into memory (or read, when it cannot be mapped)
// and cut into tokens there: a token is a maximal run of bytes that are not
// blanks (space, tab, the line breaks, vertical tab, form feed); line breaks
// carry no meaning. Numbers are converted in place, the exporter's usual
// shapes ("-12.3456") in one exact pass and anything else with
// std::from_chars. On a well-formed file the tokens, numbers and quoted names
// are exactly those that formatted stream extraction would give.
//
// Speed: a model holds hundreds of thousands of numbers, so the reads that
// run once a number or a list entry (next, readInt, readFloat, skipToken) are
// inline below, with everything unusual (broken numbers, messages, the end of
// the input) out of line. The number reads and skipToken are forced inline:
// left to itself the compiler makes them calls in the list readers, a call
// and a trip of the cursor through memory for every number (forcing them took
// a tenth off the load of a large mesh). List entries are recognised by one
// compare with the keyword they nearly always have (nextIs), and the tails of
// face lines are skipped eight bytes at a time (nextOf). The scans need no
// end checks: the text always ends with a blank (a line end is added to a
// file that lacks one), and the byte after it is never one (a string's
// terminating zero, or the zero fill of a mapping's last page). Line numbers
// are only needed for messages: the tokenizer keeps where the last token
// started and counts the line breaks before it when a message asks, never
// while reading.
//
// Broken files are the normal case for a reader, so every read is total: at
// the end of the input a read fails and gives an empty token or 0, and a
// number read never swallows a brace or a keyword (a token that begins with
// '*'), so that a short line or a truncated list leaves the block structure
// intact for the caller. A brace glued to the end of a number ("0.0}", as
// hand-edited files have it) is left as a token of its own, where stream
// extraction leaves it. Each problem is reported once, through printMessage,
// naming the file and the line; after kMaxReports lines a file goes quiet.
//
// The tokenizer knows nothing about blocks or keywords; the scene reader
// (AseReader) gives the tokens their meaning.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

// The blanks of the "C" locale, the ones formatted extraction skips.
inline constexpr std::array<bool, 256> kAseBlanks = [] {
  std::array<bool, 256> table{};
  for (unsigned char c : {' ', '\t', '\n', '\v', '\f', '\r'}) table[c] = true;
  return table;
}();

class AseTokenizer {
 public:
  static constexpr int kMaxReports = 20;

  // name is the file name used in messages.
  AseTokenizer() { setText({}, {}); }
  AseTokenizer(std::string text, std::string name);
  ~AseTokenizer();
  AseTokenizer(const AseTokenizer&) = delete;
  AseTokenizer& operator=(const AseTokenizer&) = delete;

  // Reads the whole file (mapped into memory, read only). False (and no
  // text) when it cannot be opened; the tokenizer then behaves as an empty
  // file.
  bool open(const std::string& path);
  void setText(std::string text, std::string name);

  const std::string& name() const { return fileName; }
  size_t size() const { return length; }
  // Bytes not yet read: an upper bound for the number of tokens left.
  size_t remaining() const { return static_cast<size_t>(end - cursor); }

  // The next token; false (and an empty token) at the end of the input.
  bool next(std::string_view& token);
  // Consumes the next token when it is `keyword` (the whole token), as
  // next() would, and reads nothing otherwise: list entries nearly always
  // begin with their expected keyword, which is then checked in one compare.
  template <size_t N>
  bool nextIs(const char (&keyword)[N]);
  // Skips tokens up to the next one that is `keyword` or "}" and reads that
  // one: the same token that calling next() until one of the two would give,
  // for tails of lines whose tokens do not matter, except that a "}" glued to
  // a number ends the tail too, as it ends a number read. False (and an
  // empty token) at the end of the input.
  template <size_t N>
  bool nextOf(const char (&keyword)[N], std::string_view& token);
  // The next token of a block whose "{" has been read: false at its closing
  // "}" (consumed), and at the end of the input, which is reported once.
  bool nextInBlock(std::string_view& token);
  // The same for a block whose keyword has been read, without the braces
  // that no rule reads: the first "{" is the block's own and is passed over
  // (`opened` records it), and every later one opens a nested block, which
  // is skipped whole, so that its "}" cannot end the block early.
  bool nextInBlock(std::string_view& token, bool& opened);
  // The next token without consuming it; empty at the end of the input.
  std::string_view peek();
  bool atEnd();
  // Consumes the next token unless it is a brace or a keyword (or the input
  // has ended): for tokens whose text does not matter.
  bool skipToken();
  // Passes over the rest of the current line, stopping early at a brace or a
  // keyword: after a broken list entry, so that the next entry is read from
  // its own keyword and not from the broken one's leftovers.
  void skipLine();

  // Reads the next token as a whole decimal number. A brace, a keyword or the
  // end of the input is left unread and gives 0; any other token is consumed
  // up to a brace glued to it, and when it is not a number its leading number
  // (or 0) is taken and the problem is reported. True only for a well-formed
  // number.
  bool readInt(int32_t& value);
  bool readFloat(float& value);
  // Convenience forms that give the value (0 on failure).
  int32_t readInt();
  float readFloat();

  // A double-quoted text: the next token without its first character, then
  // further tokens of the same line joined by one blank each until one holds
  // a double quote, and finally without its last character. Runs of blanks
  // inside the quotes thus become one blank. A text whose closing quote is
  // missing ends at the end of its line (reported).
  std::string readQuoted();

  // The line of the token read last (1-based), for messages.
  int line() const { return lineAt(tokenStart); }

  // Skips a block whose "{" has just been read: tokens up to the matching
  // "}", counting nested braces. Reports a block cut off by the end of input.
  void skipBlock();
  // Reads tokens up to and including the next "}" (no nesting). Used where a
  // list holds more entries than its count.
  void skipToClose();

  // Reports a problem of the file at the line of the last token:
  // the formatted text, then " (" + file + ", linea " + line + ")\n".
  void report(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // Reports once per file that the input ended inside a block or a list.
  void reportEnd();
  int reportCount() const { return reports; }

  // The conversions used by the reads, exposed for the skin weights, which
  // take the leading number of a token (0 when it has none) like atof.
  static double leadingDouble(std::string_view token);
  // mantissa / powerOfTen rounded once to float, as the full conversion
  // rounds the decimal; powerOfTen is 10^k with k <= 22 and mantissa is at
  // most 2^53, so that both are doubles. False in the rare cases the double
  // quotient cannot settle (see the definition).
  static bool roundedQuotient(uint64_t mantissa, double powerOfTen, float& value);
  // The blanks that separate tokens.
  static bool isBlank(char c) { return kAseBlanks[static_cast<unsigned char>(c)]; }
  // The braces, which also end a number glued to them.
  static bool isBrace(char c) { return c == '{' || c == '}'; }

 private:
  static bool isDigit(char c) { return static_cast<unsigned char>(c - '0') < 10; }
  // A brace or a keyword starts at p (p before end): a token that a number
  // read or skipToken must leave for the block reader.
  bool isStructure(const char* p) const {
    return *p == '*' || ((*p == '{' || *p == '}') && (p + 1 == end || isBlank(p[1])));
  }
  // The byte after the text is never a blank (see open), so the scan
  // stops at the end without looking for it.
  static const char* skipBlanks(const char* p) {
    while (isBlank(*p)) ++p;
    return p;
  }
  // The first blank at or after p. The text always ends with a blank, so the
  // scan needs no end check.
  static const char* tokenEnd(const char* p) {
    while (!isBlank(*p)) ++p;
    return p;
  }
  // The exporter's number shapes at p, converted exactly; false for any
  // other text (which then takes the full conversion).
  bool exporterInt(const char*& p, int32_t& value) const;
  bool exporterFloat(const char*& p, float& value) const;
  // Eight bytes of text as a little-endian word: the first byte the lowest.
  static uint64_t loadWord(const char* p);
  // The index of the first byte of `word` equal to `byte`; 8 when none is.
  static int firstByteEqual(uint64_t word, unsigned char byte);
  // Whether a token starts at p: the text's first byte or one after a blank.
  bool startsToken(const char* p) const { return p == begin || isBlank(p[-1]); }
  // Whether the token at p is `size` bytes long and those are `text`.
  static bool tokenIs(const char* p, const char* text, size_t size) {
    return std::memcmp(p, text, size) == 0 && isBlank(p[size]);
  }
  // The next byte at or after p that is '*' or '}', or end.
  const char* nextMarkedByte(const char* p) const;
  // Whether the four bytes of `word` are all decimal digits.
  static bool allDigits(uint32_t word);
  // The full conversions and the messages, for the rare numbers that the
  // inline reads do not take.
  bool readIntSlowly(int32_t& value);
  bool readFloatSlowly(float& value);
  // False (reported) at the end or before a brace or keyword.
  bool atOtherToken();
  // Maps the `bytes` of an open file as the text; false when it cannot.
  bool mapText(int file, size_t bytes);
  // Consumes the rest of the number token that starts at `start`, up to a
  // blank or a brace.
  std::string_view finishNumber(const char* start);
  // The 1-based line of the byte at p, counted on demand.
  int lineAt(const char* p) const;
  void release();

  std::string text;
  std::string fileName;
  // The file's bytes, mapped, when opened from a file.
  void* mapping = nullptr;
  size_t mappingSize = 0;
  size_t length = 0;
  const char* begin = nullptr;
  const char* cursor = nullptr;
  const char* end = nullptr;
  // Where the token read last starts: its line is the one messages name.
  const char* tokenStart = nullptr;
  // The last line count made, so that the messages of one file count each
  // line break once.
  mutable const char* countedUpTo = nullptr;
  mutable int countedLine = 1;
  int reports = 0;
  bool endReported = false;
};

inline bool AseTokenizer::next(std::string_view& token) {
  const char* start = skipBlanks(cursor);
  cursor = start;
  if (start == end) {
    token = {};
    return false;
  }
  cursor = tokenEnd(start + 1);
  tokenStart = start;
  token = std::string_view(start, static_cast<size_t>(cursor - start));
  return true;
}

template <size_t N>
bool AseTokenizer::nextIs(const char (&keyword)[N]) {
  // The keyword's length is known here, so the compare is a few word loads.
  constexpr size_t size = N - 1;
  const char* start = skipBlanks(cursor);
  cursor = start;
  if (static_cast<size_t>(end - start) <= size || std::memcmp(start, keyword, size) != 0 || !isBlank(start[size])) {
    return false;
  }
  tokenStart = start;
  cursor = start + size;
  return true;
}

inline const char* AseTokenizer::nextMarkedByte(const char* p) const {
  // Eight bytes at a time while a whole word is left, then one by one.
  for (; end - p >= 8; p += 8) {
    const uint64_t word = loadWord(p);
    const int found = std::min(firstByteEqual(word, '*'), firstByteEqual(word, '}'));
    if (found < 8) return p + found;
  }
  while (p != end && *p != '*' && *p != '}') ++p;
  return p;
}

template <size_t N>
bool AseTokenizer::nextOf(const char (&keyword)[N], std::string_view& token) {
  // Only a '*' or '}' byte can begin either; the bytes between them are not
  // cut into tokens at all.
  constexpr size_t size = N - 1;
  const char* p = nextMarkedByte(cursor);
  while (p != end) {
    // A "}" also ends the tail when it is glued to the number before it.
    const bool wanted = *p == '*' ? static_cast<size_t>(end - p) > size && tokenIs(p, keyword, size) && startsToken(p)
                                  : isBlank(p[1]) && (startsToken(p) || isDigit(p[-1]));
    if (wanted) {
      cursor = p;
      return next(token);
    }
    p = nextMarkedByte(p + 1);
  }
  cursor = end;
  token = {};
  return false;
}

[[gnu::always_inline]] inline bool AseTokenizer::skipToken() {
  const char* start = skipBlanks(cursor);
  cursor = start;
  if (start == end) {
    reportEnd();
    return false;
  }
  if (isStructure(start)) return false;
  cursor = tokenEnd(start + 1);
  tokenStart = start;
  return true;
}

inline uint64_t AseTokenizer::loadWord(const char* p) {
  uint64_t word;
  std::memcpy(&word, p, sizeof word);
  return word;
}

inline int AseTokenizer::firstByteEqual(uint64_t word, unsigned char byte) {
  // A byte of `bytes` is zero exactly where the word holds `byte`.
  // Subtracting one from every byte sets the top bit of each zero byte, and
  // ~bytes drops the bytes whose top bit was set before. A borrow can only
  // flag bytes above the first zero byte, so the lowest flag is exact.
  constexpr uint64_t kOnes = 0x0101010101010101u;
  constexpr uint64_t kTops = 0x8080808080808080u;
  const uint64_t bytes = word ^ (kOnes * byte);
  const uint64_t flags = (bytes - kOnes) & ~bytes & kTops;
  return flags == 0 ? 8 : __builtin_ctzll(flags) / 8;
}

inline bool AseTokenizer::allDigits(uint32_t word) {
  // Every byte is '0'..'9' when its high nibble is 3 and adding 6 keeps it so.
  return (word & 0xF0F0F0F0u) == 0x30303030u && ((word + 0x06060606u) & 0xF0F0F0F0u) == 0x30303030u;
}

[[gnu::always_inline]] inline bool AseTokenizer::exporterInt(const char*& p, int32_t& value) const {
  // A sign and at most nine digits: no overflow to check.
  const char* q = p;
  const bool negative = *q == '-';
  if (negative || *q == '+') ++q;
  const char* digits = q;
  int64_t number = 0;
  while (isDigit(*q) && q - digits < 10) number = number * 10 + (*q++ - '0');
  const auto count = q - digits;
  if (count == 0 || count == 10 || !isBlank(*q)) return false;
  value = static_cast<int32_t>(negative ? -number : number);
  p = q;
  return true;
}

inline bool AseTokenizer::roundedQuotient(uint64_t mantissa, double powerOfTen, float& value) {
  // The double quotient is correctly rounded, and every point halfway
  // between two floats is a double: the exact quotient and its double lie
  // on the same side of each such point, so rounding the double to float
  // gives the float nearest the exact quotient, unless the double is such a
  // point itself. That case, and quotients outside the normal floats, are
  // left to the full conversion.
  if (mantissa == 0) {
    value = 0.0f;
    return true;
  }
  const double quotient = static_cast<double>(static_cast<int64_t>(mantissa)) / powerOfTen;
  if (quotient < std::numeric_limits<float>::min() || quotient > std::numeric_limits<float>::max()) return false;
  uint64_t bits;
  std::memcpy(&bits, &quotient, sizeof bits);
  // The 29 bits of a double's fraction below a float's: a halfway point has
  // only the highest of them set.
  constexpr uint64_t kBelowFloat = (uint64_t{1} << 29) - 1;
  constexpr uint64_t kHalfway = uint64_t{1} << 28;
  if ((bits & kBelowFloat) == kHalfway) return false;
  value = static_cast<float>(quotient);
  return true;
}

[[gnu::always_inline]] inline bool AseTokenizer::exporterFloat(const char*& p, float& value) const {
  // The exporter writes "%.4f": a sign, a few integer digits, a point and
  // exactly four decimals. The four are checked and combined as one 32-bit
  // word. Numbers below 2^20 are converted here, exactly; larger ones take
  // the full conversion. Other exporters write "%f", six decimals, which
  // take two more digits and a division. Reads at most eight bytes past the
  // point, which the end checks guarantee.
  constexpr uint64_t kMantissaLimit = (uint64_t{1} << 20) * 10000;
  const char* q = p;
  const bool negative = *q == '-';
  if (negative || *q == '+') ++q;
  const char* digits = q;
  uint64_t whole = 0;
  while (isDigit(*q) && q - digits < 8) whole = whole * 10 + static_cast<uint64_t>(*q++ - '0');
  if (*q != '.' || end - q < 6) return false;
  uint32_t word;
  std::memcpy(&word, q + 1, sizeof word);
  if (!allDigits(word)) return false;
  word &= 0x0F0F0F0Fu;
  // The first digit is the lowest byte: pairs first, then the two pairs.
  word = ((word * 10) + (word >> 8)) & 0x00FF00FFu;
  const uint32_t decimals = ((word * 100) + (word >> 16)) & 0xFFFFu;
  float result;
  if (isBlank(q[5])) {
    const uint64_t mantissa = whole * 10000 + decimals;
    if (mantissa >= kMantissaLimit) return false;
    // mantissa / 10^4 rounded once to float, without a division: the
    // product in double is within 2^-52 of the quotient, and a quotient
    // below 2^20 is either a float itself or at least 2^-38 (relative) away
    // from any point halfway between two floats, so the rounding to float
    // ends on the value that rounding the exact quotient gives.
    result = static_cast<float>(static_cast<double>(mantissa) * 1e-4);
    p = q + 5;
  } else {
    if (end - q < 8 || !isDigit(q[5]) || !isDigit(q[6]) || !isBlank(q[7])) return false;
    const uint64_t mantissa = (whole * 10000 + decimals) * 100 + static_cast<uint64_t>((q[5] - '0') * 10 + (q[6] - '0'));
    if (!roundedQuotient(mantissa, 1e6, result)) return false;
    p = q + 7;
  }
  value = negative ? -result : result;
  return true;
}

[[gnu::always_inline]] inline bool AseTokenizer::readInt(int32_t& value) {
  const char* start = skipBlanks(cursor);
  cursor = start;
  const char* stop = start;
  if (start != end && exporterInt(stop, value)) {
    tokenStart = start;
    cursor = stop;
    return true;
  }
  return readIntSlowly(value);
}

[[gnu::always_inline]] inline bool AseTokenizer::readFloat(float& value) {
  const char* start = skipBlanks(cursor);
  cursor = start;
  const char* stop = start;
  if (start != end && exporterFloat(stop, value)) {
    tokenStart = start;
    cursor = stop;
    return true;
  }
  return readFloatSlowly(value);
}

inline int32_t AseTokenizer::readInt() {
  int32_t value;
  readInt(value);
  return value;
}

inline float AseTokenizer::readFloat() {
  float value;
  readFloat(value);
  return value;
}

inline bool AseTokenizer::nextInBlock(std::string_view& token) {
  if (!next(token)) {
    reportEnd();
    return false;
  }
  return token != "}";
}

inline bool AseTokenizer::nextInBlock(std::string_view& token, bool& opened) {
  while (nextInBlock(token)) {
    if (token != "{") return true;
    if (opened) skipBlock();
    opened = true;
  }
  return false;
}
