#pragma once
// Tokens of the ASCII scene export format (".ASE" and ".ASZ", the same text).
//
// The whole file is mapped into memory (or read, when it cannot be mapped)
// and cut into tokens there: a token is a maximal run of bytes that are not
// blanks (space, tab, the line breaks, vertical tab, form feed); line breaks
// carry no meaning beyond the line number kept for messages. Numbers are
// converted in place, the exporter's usual shapes ("-12.3456") in one exact
// pass and anything else with std::from_chars. On a well-formed file the
// tokens, numbers and quoted names are exactly those that formatted stream
// extraction would give.
//
// Broken files are the normal case for a reader, so every read is total: at
// the end of the input a read fails and gives an empty token or 0, and a
// number read never swallows a brace or a keyword (a token that begins with
// '*'), so that a short line or a truncated list leaves the block structure
// intact for the caller. Each problem is reported once, through printMessage,
// naming the file and the line; after kMaxReports lines a file goes quiet.
//
// The tokenizer knows nothing about blocks or keywords; the scene reader
// (AseReader) gives the tokens their meaning.

#include <cstdint>
#include <string>
#include <string_view>

class AseTokenizer {
 public:
  static constexpr int kMaxReports = 20;

  // name is the file name used in messages.
  AseTokenizer() = default;
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
  // The next token that begins with '*' or '}', skipping any others: the
  // same token and line that calling next() until such a token would give,
  // for tails of lines whose plain tokens do not matter.
  bool nextMarked(std::string_view& token);
  // The next token of a block whose "{" has been read: false at its closing
  // "}" (consumed), and at the end of the input, which is reported once.
  bool nextInBlock(std::string_view& token);
  // The next token without consuming it; empty at the end of the input.
  std::string_view peek();
  bool atEnd();
  // Consumes the next token unless it is a brace or a keyword (or the input
  // has ended): for tokens whose text does not matter.
  bool skipToken();

  // Reads the next token as a whole decimal number. A brace, a keyword or the
  // end of the input is left unread and gives 0; any other token is consumed,
  // and when it is not a number its leading number (or 0) is taken and the
  // problem is reported. True only for a well-formed number.
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
  int line() const { return tokenLine; }

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

 private:
  void skipBlanks();
  // Skips blanks; false (reported) at the end or before a brace or keyword.
  bool atNumber();
  // The rest of atNumber, for a token that does not begin like a number.
  bool atOtherToken();
  // Consumes the rest of the token that starts at `start`.
  std::string_view finishToken(const char* start);
  void release();

  std::string text;
  std::string fileName;
  // The file's bytes, mapped, when opened from a file.
  void* mapping = nullptr;
  size_t mappingSize = 0;
  size_t length = 0;
  const char* cursor = nullptr;
  const char* end = nullptr;
  int cursorLine = 1;
  int tokenLine = 0;
  int reports = 0;
  bool endReported = false;
};
