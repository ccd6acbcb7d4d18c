#include "common/sentence_split.h"

#include <string_view>

#include "common/ascii_case.h"

namespace {

bool Blank(char c) { return c == ' ' || c == '\t'; }
bool Terminator(char c) { return c == '.' || c == '!' || c == '?' || c == ';' || c == ':'; }
bool Digit(char c) { return c >= '0' && c <= '9'; }

// Closing and opening quotes and brackets, ASCII and the Windows code pages'
// typographic ones (0x91..0x94 quotes, 0xAB and 0xBB guillemets).
bool Closer(char c) {
  const auto u = static_cast<unsigned char>(c);
  return c == '"' || c == '\'' || c == ')' || c == ']' || u == 0x92 || u == 0x94 || u == 0xBB;
}
bool Opener(char c) {
  const auto u = static_cast<unsigned char>(c);
  return c == '"' || c == '\'' || c == '(' || c == '[' || u == 0x91 || u == 0x93 || u == 0xAB;
}

// A letter of ASCII or of the upper half of a Windows code page (Cyrillic of
// 1251, accented Latin of 1252).
bool Letter(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || u >= 0xC0;
}
// Capitals and small letters of ASCII and of 1251 and 1252 (0xC0..0xDF and
// 0xE0..0xFF in both).
bool Capital(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (c >= 'A' && c <= 'Z') || (u >= 0xC0 && u <= 0xDF);
}
bool Small(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (c >= 'a' && c <= 'z') || u >= 0xE0;
}

// Words that end in a dot without ending the sentence.  "No" only before a
// number ("No. 5"); it is a whole answer otherwise.
constexpr std::string_view Abbreviations[] = {"Mr",  "Mrs", "Ms",  "Dr",   "St",   "Mt",  "Jr",  "Sr",
                                              "Prof", "Capt", "Gen", "Col", "Lt",  "Sgt", "Rev", "Hon",
                                              "vs",  "cf",  "approx"};

bool IsAbbreviation(std::string_view word) {
  for (std::string_view a : Abbreviations)
    if (SameIgnoringCase(word, a)) return true;
  return false;
}

// The word that ends at `end` (the dot), without its opening quotes.
std::string_view WordBefore(const char* text, uint32_t end) {
  uint32_t begin = end;
  while (begin > 0 && !Blank(text[begin - 1])) --begin;
  while (begin < end && Opener(text[begin])) ++begin;
  return {text + begin, end - begin};
}

// The first character of the next word from `at` on: blanks and opening
// quotes skipped; 0 at the end of the text.
char NextWordStart(const char* text, uint32_t length, uint32_t at) {
  while (at < length && (Blank(text[at]) || Opener(text[at]))) ++at;
  return at < length ? text[at] : 0;
}

uint32_t SkipBlanks(const char* text, uint32_t length, uint32_t at) {
  while (at < length && Blank(text[at])) ++at;
  return at;
}

// "e.g", "U.S", "a.m": a word whose last dot is followed by one or two
// letters; "3.5" and "example.com" are no abbreviations.
bool DottedAbbreviation(std::string_view word) {
  const size_t dot = word.rfind('.');
  if (dot == std::string_view::npos) return false;
  const std::string_view tail = word.substr(dot + 1);
  if (tail.empty() || tail.size() > 2) return false;
  for (char c : tail)
    if (!Letter(c)) return false;
  return true;
}

// Whether the run of terminators text[first, last] ends a sentence, given
// what follows it from `after` on (past the closers and blanks).  `quoted`:
// closing quotes or brackets stand between the run and the blank.
bool RunEndsSentence(const char* text, uint32_t length, uint32_t first, uint32_t last, uint32_t after, bool quoted) {
  // '"Go!" he said': the quote ends, the sentence goes on.
  if (quoted && Small(NextWordStart(text, length, after))) return false;
  uint32_t dots = 0;
  for (uint32_t i = first; i <= last; ++i) {
    if (text[i] == '!' || text[i] == '?') return true;
    dots += text[i] == '.';
  }
  if (dots == 0) return true;  // ';' or ':'
  // An ellipsis trails off within the sentence unless a new one begins.
  if (dots > 2) return Capital(NextWordStart(text, length, after));
  // Two dots: the page's paragraph mark behind a line that ended in one.
  if (last != first) return true;
  const std::string_view word = WordBefore(text, first);
  if (word.size() == 1 && Letter(word[0])) return false;  // an initial
  if (DottedAbbreviation(word)) return false;
  if (SameIgnoringCase(word, "No")) return !Digit(NextWordStart(text, length, after));
  return !IsAbbreviation(word);
}

// If a sentence ends with the terminator at `at`, the start of what follows
// it (behind its closers and blanks); otherwise 0.
uint32_t SentenceEndAt(const char* text, uint32_t length, uint32_t at) {
  if (!Terminator(text[at])) return 0;
  if (at > 0 && Terminator(text[at - 1])) return 0;  // inside a run: judged at its first mark
  uint32_t last = at;
  while (last + 1 < length && Terminator(text[last + 1])) ++last;
  uint32_t after = last + 1;
  while (after < length && Closer(text[after])) ++after;
  if (after < length && !Blank(text[after])) return 0;  // "3.5", "St.Olms", "a.m"
  if (!RunEndsSentence(text, length, at, last, after, after > last + 1)) return 0;
  return SkipBlanks(text, length, after);
}

// A blank or comma between two digits belongs to a number ("10 000", "1, 2").
bool InsideNumber(const char* text, uint32_t length, uint32_t before, uint32_t after) {
  return Digit(text[before]) && after < length && Digit(text[after]);
}

// The first sentence, text[start, spokenEnd) and its blanks up to `end`, is
// too long: it is cut behind its last comma within FirstPieceChars, or behind
// its last blank there; with neither, it stays whole.
uint32_t ShortFirstPiece(const char* text, uint32_t length, uint32_t start, uint32_t spokenEnd, uint32_t end) {
  const uint32_t limit = start + FirstPieceChars;
  uint32_t comma = 0, blank = 0;
  for (uint32_t i = start + 1; i < limit && i < spokenEnd; ++i) {
    if (!Blank(text[i])) continue;
    const uint32_t next = SkipBlanks(text, length, i);
    if (InsideNumber(text, length, i - 1, next)) continue;
    if (text[i - 1] == ',') comma = next;
    else if (!Blank(text[i - 1])) blank = next;
  }
  // A comma too near the start would make a piece of a word or two.
  if (comma > start + FirstPieceChars / 4) return comma;
  if (blank > start) return blank;
  return comma > start ? comma : end;
}

// The length of a sentence without the blanks behind it.
uint32_t Spoken(const char* text, uint32_t start, uint32_t end) {
  while (end > start && Blank(text[end - 1])) --end;
  return end - start;
}

// Whole sentences from `start` on, as many as stay within `limit` spoken
// characters, and at least one.
uint32_t JoinSentences(const char* text, uint32_t length, uint32_t start, uint32_t limit) {
  uint32_t end = NextSentenceStart(text, length, start);
  while (end < length) {
    const uint32_t next = NextSentenceStart(text, length, end);
    if (Spoken(text, start, next) > limit) break;
    end = next;
  }
  return end;
}

}  // namespace

uint32_t NextSentenceStart(const char* text, uint32_t length, uint32_t from) {
  if (!text) return length;
  for (uint32_t i = from; i < length; ++i)
    if (const uint32_t next = SentenceEndAt(text, length, i)) return next;
  return length;
}

uint32_t SpeechPieceEnd(const char* text, uint32_t length, uint32_t start) {
  if (!text || start >= length) return length;
  if (start > 0) return JoinSentences(text, length, start, PieceChars);
  const uint32_t first = NextSentenceStart(text, length, 0);
  const uint32_t spoken = Spoken(text, 0, first);
  if (spoken > FirstPieceChars) return ShortFirstPiece(text, length, 0, spoken, first);
  return JoinSentences(text, length, 0, FirstPieceChars);
}

uint32_t SpeechPieceCount(const char* text, uint32_t length) {
  uint32_t count = 0;
  for (uint32_t at = 0; at < length; at = SpeechPieceEnd(text, length, at)) ++count;
  return count;
}
