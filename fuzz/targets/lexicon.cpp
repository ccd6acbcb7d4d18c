// Lexicon.txt as a player may leave it (any bytes, line ends of any kind,
// NULs) and a game text to speak through it: the input up to its first NUL
// pair is the file, the rest the text.
//
// Properties: an entry's forms lie inside its line and pass the entry check
// or are not used; the lexicon keeps no more entries than it was given; text
// escaped for markup holds no '<' or '>' and no '&' that does not begin
// "&amp;", "&lt;" or "&gt;", and unescaped it is the text as a voice without
// markup gets it; an empty lexicon leaves text as it is.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/lexicon.h"

namespace {

const LexiconMemory Malloc{[](size_t n) { return std::malloc(n); }, [](void* p) { std::free(p); }};

std::string Unescape(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '&') {
      out += s[i];
      continue;
    }
    for (const char* entity : {"&amp;", "&lt;", "&gt;"}) {
      const size_t n = std::strlen(entity);
      if (s.compare(i, n, entity) == 0) {
        out += entity[1] == 'a' ? '&' : entity[1] == 'l' ? '<' : '>';
        i += n - 1;
        break;
      }
    }
  }
  return out;
}

std::string Apply(const Lexicon& lexicon, const std::string& text, LexiconEscape escape) {
  LexiconWork work{};
  work.memory = Malloc;
  if (!ApplyLexicon(lexicon, text.data(), text.size(), escape, work)) std::abort();
  if (std::strlen(work.text) > work.length) std::abort();
  std::string out(work.text, work.length);
  work.Release();
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t cut = input.find(std::string("\0\0", 2));
  const std::string file = input.substr(0, cut);
  const std::string text = cut == std::string::npos ? std::string() : input.substr(cut + 2);

  std::vector<LexiconEntry> entries;
  size_t at = LexiconBomLength(file.data(), file.size()), length = 0;
  while (at < file.size()) {
    const size_t next = NextLexiconLine(file.data(), file.size(), at, &length);
    if (next <= at || at + length > file.size()) std::abort();
    const char* line = file.data() + at;
    const LexiconLine l = ParseLexiconLine(line, length);
    if (l.kind == LexiconLineKind::Entry) {
      if (l.written < line || l.written + l.writtenLength > line + length || l.spoken < line ||
          l.spoken + l.spokenLength > line + length)
        std::abort();
      if (CheckLexiconEntry(l.written, l.writtenLength, l.spoken, l.spokenLength) == LexiconFault::None)
        entries.push_back({l.written, l.writtenLength, l.spoken, l.spokenLength});
    }
    at = next;
  }

  LexiconAlphabet alphabet;
  AsciiLexiconAlphabet(alphabet);
  Lexicon lexicon{};
  if (!lexicon.Build(entries.data(), static_cast<uint32_t>(entries.size()), alphabet, Malloc)) std::abort();
  if (lexicon.Count() > entries.size()) std::abort();

  const std::string plain = Apply(lexicon, text, LexiconEscape::None);
  const std::string escaped = Apply(lexicon, text, LexiconEscape::All);
  if (escaped.find_first_of("<>") != std::string::npos) std::abort();
  for (size_t i = escaped.find('&'); i != std::string::npos; i = escaped.find('&', i + 1))
    if (escaped.compare(i, 5, "&amp;") != 0 && escaped.compare(i, 4, "&lt;") != 0 && escaped.compare(i, 4, "&gt;") != 0)
      std::abort();
  if (Unescape(escaped) != plain) std::abort();
  Apply(lexicon, text, LexiconEscape::KeepMarkup);
  lexicon.Release();

  Lexicon empty{};
  if (Apply(empty, text, LexiconEscape::None) != text) std::abort();
  return 0;
}
