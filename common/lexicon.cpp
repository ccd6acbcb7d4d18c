// Portable: no Windows here (see lexicon.h).
#include "common/lexicon.h"

#include <algorithm>
#include <cstring>

// A node of the tree: the folded byte that leads to it, the entry whose
// written form ends here, and its children, which lie side by side sorted by
// their bytes (the tree is laid out breadth first).
struct Lexicon::Node {
  uint32_t first;  // index of the first child
  uint32_t entry;  // 1 + index into entries_, 0 for none
  uint16_t count;  // children
  uint8_t label;
  uint8_t unused;
};

struct Lexicon::Kept {
  uint32_t spoken;  // offset into spoken_
  uint16_t spokenLength;
  uint8_t keyLength;     // bytes of the folded written form: the entry's length
  uint8_t endsInLetter;  // the match must not run on into a word
};

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

const char* FindByte(const char* begin, const char* end, char c) {
  return static_cast<const char*>(std::memchr(begin, c, static_cast<size_t>(end - begin)));
}

}  // namespace

// ---- lines of the file -------------------------------------------------------

const char* LexiconFaultText(LexiconFault fault) {
  switch (fault) {
    case LexiconFault::None: return "an entry";
    case LexiconFault::NoEqualsSign: return "no '='";
    case LexiconFault::NoWrittenForm: return "nothing before '='";
    case LexiconFault::NoSpokenForm: return "nothing after '='";
    case LexiconFault::WrittenTooLong: return "written form too long";
    case LexiconFault::SpokenTooLong: return "spoken form too long";
    case LexiconFault::ControlCharacter: return "control character";
    case LexiconFault::ReservedCharacter: return "'=' or ';' inside a form";
    case LexiconFault::SpokenStartsMarkup: return "spoken form starts with '<'";
    case LexiconFault::NotInCodePage: return "not in the game's code page";
  }
  return "not an entry";
}

LexiconLine ParseLexiconLine(const char* line, size_t length) {
  LexiconLine out;
  if (!line) return out;
  const char* end = line + length;
  if (const char* semicolon = FindByte(line, end, ';')) {
    out.comment = semicolon;
    out.commentLength = static_cast<uint32_t>(end - semicolon);
    end = semicolon;
  }
  const char* begin = line;
  while (begin < end && IsBlank(*begin)) ++begin;
  while (end > begin && IsBlank(end[-1])) --end;
  if (begin == end) {
    out.kind = out.comment ? LexiconLineKind::Comment : LexiconLineKind::Blank;
    return out;
  }
  out.kind = LexiconLineKind::NotAnEntry;
  const char* equals = FindByte(begin, end, '=');
  if (!equals) {
    out.fault = LexiconFault::NoEqualsSign;
    return out;
  }
  const char* writtenEnd = equals;
  while (writtenEnd > begin && IsBlank(writtenEnd[-1])) --writtenEnd;
  const char* spoken = equals + 1;
  while (spoken < end && IsBlank(*spoken)) ++spoken;
  if (writtenEnd == begin) {
    out.fault = LexiconFault::NoWrittenForm;
    return out;
  }
  if (spoken == end) {
    out.fault = LexiconFault::NoSpokenForm;
    return out;
  }
  out.kind = LexiconLineKind::Entry;
  out.written = begin;
  out.writtenLength = static_cast<uint32_t>(writtenEnd - begin);
  out.spoken = spoken;
  out.spokenLength = static_cast<uint32_t>(end - spoken);
  return out;
}

LexiconFault CheckLexiconEntry(const char* written, size_t writtenLength, const char* spoken, size_t spokenLength) {
  if (!written || writtenLength == 0) return LexiconFault::NoWrittenForm;
  if (!spoken || spokenLength == 0) return LexiconFault::NoSpokenForm;
  if (writtenLength > LexiconWrittenMax) return LexiconFault::WrittenTooLong;
  if (spokenLength > LexiconSpokenMax) return LexiconFault::SpokenTooLong;
  auto control = [](const char* s, size_t n) {
    for (size_t i = 0; i < n; ++i)
      if (static_cast<unsigned char>(s[i]) < 0x20 && s[i] != '\t') return true;
    return false;
  };
  if (control(written, writtenLength) || control(spoken, spokenLength)) return LexiconFault::ControlCharacter;
  if (std::memchr(written, '=', writtenLength) || std::memchr(written, ';', writtenLength) ||
      std::memchr(spoken, ';', spokenLength))
    return LexiconFault::ReservedCharacter;
  if (spoken[0] == '<') return LexiconFault::SpokenStartsMarkup;
  return LexiconFault::None;
}

size_t NextLexiconLine(const char* text, size_t size, size_t at, size_t* length) {
  size_t i = at;
  while (i < size && text[i] != '\n' && text[i] != '\r') ++i;
  if (length) *length = i - at;
  if (i < size) i += text[i] == '\r' && i + 1 < size && text[i + 1] == '\n' ? 2 : 1;
  return i;
}

size_t LexiconBomLength(const char* text, size_t size) {
  return size >= 3 && static_cast<unsigned char>(text[0]) == 0xEF && static_cast<unsigned char>(text[1]) == 0xBB &&
                 static_cast<unsigned char>(text[2]) == 0xBF
             ? 3
             : 0;
}

// ---- what counts as a letter -------------------------------------------------

void AsciiLexiconAlphabet(LexiconAlphabet& alphabet) {
  for (int c = 0; c < 256; ++c) {
    alphabet.fold[c] = static_cast<uint8_t>(c);
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c >= 0x80;
    alphabet.kind[c] = letter ? LexiconLetter : LexiconOther;
    if (c >= 'A' && c <= 'Z') alphabet.fold[c] = static_cast<uint8_t>(c - 'A' + 'a');
  }
  for (int c : {' ', '\t', '\r', '\n'}) {
    alphabet.kind[c] = LexiconBlank;
    alphabet.fold[c] = ' ';
  }
  alphabet.kind[static_cast<int>('\'')] = LexiconApostrophe;
}

// ---- building the tree -------------------------------------------------------

namespace {

// A block from the lexicon's memory, given back when it goes out of scope
// unless taken.
template <class T>
struct Block {
  Block(const LexiconMemory& memory, size_t count) : memory(memory) {
    if (count <= SIZE_MAX / sizeof(T)) data = static_cast<T*>(memory.allocate(count ? count * sizeof(T) : 1));
  }
  ~Block() {
    if (data) memory.release(data);
  }
  T* Take() {
    T* taken = data;
    data = nullptr;
    return taken;
  }
  const LexiconMemory& memory;
  T* data = nullptr;
};

// The tree while it is being built: children as a list of siblings.
struct GrowingNode {
  uint32_t firstChild;  // 0: none (the root is never a child)
  uint32_t nextSibling;
  uint32_t entry;
  uint8_t label;
};

// The written form as the matcher compares it: folded, a run of blanks as one
// blank, none at either end.  Returns its length.
uint32_t FoldWritten(const LexiconEntry& e, const LexiconAlphabet& alphabet, uint8_t* out) {
  uint32_t length = 0;
  bool blank = false;
  for (uint32_t i = 0; i < e.writtenLength; ++i) {
    const auto c = static_cast<uint8_t>(e.written[i]);
    if (alphabet.kind[c] == LexiconBlank) {
      blank = length > 0;
      continue;
    }
    if (blank) out[length++] = ' ';
    blank = false;
    out[length++] = alphabet.fold[c];
  }
  return length;
}

}  // namespace

bool SameLexiconForm(const char* a, size_t aLength, const char* b, size_t bLength, const LexiconAlphabet& alphabet) {
  if (aLength > LexiconWrittenMax || bLength > LexiconWrittenMax) return aLength == bLength && std::memcmp(a, b, aLength) == 0;
  uint8_t foldedA[LexiconWrittenMax], foldedB[LexiconWrittenMax];
  const uint32_t n = FoldWritten({a, static_cast<uint32_t>(aLength), nullptr, 0}, alphabet, foldedA);
  const uint32_t m = FoldWritten({b, static_cast<uint32_t>(bLength), nullptr, 0}, alphabet, foldedB);
  return n == m && std::memcmp(foldedA, foldedB, n) == 0;
}

bool Lexicon::Build(const LexiconEntry* entries, uint32_t count, const LexiconAlphabet& alphabet,
                    const LexiconMemory& memory, void (*duplicate)(void*, uint32_t), void* context) {
  Release();
  if (!memory.allocate || !memory.release) return false;
  if (!entries) count = 0;
  count = std::min(count, LexiconEntriesMax);

  // The folded written forms, within the limits.
  size_t keyBytes = 0;
  for (uint32_t i = 0; i < count; ++i) keyBytes += std::min(entries[i].writtenLength, LexiconWrittenMax);
  keyBytes = std::min<size_t>(keyBytes, LexiconWrittenBytesMax);
  Block<uint8_t> keys(memory, keyBytes);
  Block<uint32_t> keyAt(memory, count);
  Block<uint8_t> keyLength(memory, count);
  Block<uint32_t> order(memory, count);
  if (!keys.data || !keyAt.data || !keyLength.data || !order.data) return false;
  uint32_t usable = 0;
  size_t used = 0, spokenBytes = 0;
  for (uint32_t i = 0; i < count; ++i) {
    const LexiconEntry& e = entries[i];
    keyLength.data[i] = 0;
    if (!e.written || !e.spoken || e.writtenLength > LexiconWrittenMax || e.spokenLength == 0 ||
        e.spokenLength > LexiconSpokenMax || used + e.writtenLength > keyBytes)
      continue;
    keyAt.data[i] = static_cast<uint32_t>(used);
    const uint32_t length = FoldWritten(e, alphabet, keys.data + used);
    if (length == 0) continue;
    keyLength.data[i] = static_cast<uint8_t>(length);
    used += length;
    order.data[usable++] = i;
  }
  const uint8_t* key = keys.data;
  const uint32_t* at = keyAt.data;
  const uint8_t* len = keyLength.data;
  std::sort(order.data, order.data + usable, [&](uint32_t a, uint32_t b) {
    const int c = std::memcmp(key + at[a], key + at[b], std::min(len[a], len[b]));
    if (c != 0) return c < 0;
    if (len[a] != len[b]) return len[a] < len[b];
    return a < b;  // of equal forms the first given stays first
  });

  // Equal forms: the first stays, the others are reported.
  uint32_t kept = 0;
  for (uint32_t k = 0; k < usable; ++k) {
    const uint32_t i = order.data[k];
    if (kept > 0) {
      const uint32_t p = order.data[kept - 1];
      if (len[p] == len[i] && std::memcmp(key + at[p], key + at[i], len[i]) == 0) {
        if (duplicate) duplicate(context, i);
        continue;
      }
    }
    order.data[kept++] = i;
    spokenBytes += entries[i].spokenLength;
  }

  // The tree from the sorted forms: each form shares the path of its common
  // beginning with the one before it, and its first new node is the last
  // child of that path's end.
  size_t nodeCount = 1;
  for (uint32_t k = 0; k < kept; ++k) nodeCount += len[order.data[k]];
  Block<GrowingNode> growing(memory, nodeCount);
  if (!growing.data) return false;
  GrowingNode* g = growing.data;
  g[0] = GrowingNode{};
  uint32_t made = 1;
  uint32_t path[LexiconWrittenMax + 1] = {};
  const uint8_t* previous = nullptr;
  uint32_t previousLength = 0;
  for (uint32_t k = 0; k < kept; ++k) {
    const uint32_t i = order.data[k];
    const uint8_t* form = key + at[i];
    const uint32_t length = len[i];
    uint32_t common = 0;
    while (common < length && common < previousLength && form[common] == previous[common]) ++common;
    for (uint32_t d = common; d < length; ++d) {
      const uint32_t node = made++;
      g[node] = GrowingNode{0, 0, 0, form[d]};
      if (d == common && previousLength > common)
        g[path[d + 1]].nextSibling = node;
      else
        g[path[d]].firstChild = node;
      path[d + 1] = node;
    }
    g[path[length]].entry = k + 1;
    previous = form;
    previousLength = length;
  }

  // One block for what matching reads: the first-byte table, the nodes breadth
  // first, the entries, the spoken forms.
  const size_t rootBytes = 256 * sizeof(uint32_t);
  const size_t nodeBytes = made * sizeof(Node);
  const size_t keptBytes = kept * sizeof(Kept);
  Block<uint8_t> image(memory, rootBytes + nodeBytes + keptBytes + spokenBytes);
  Block<uint32_t> queue(memory, made);
  if (!image.data || !queue.data) return false;
  auto* root = reinterpret_cast<uint32_t*>(image.data);
  auto* nodes = reinterpret_cast<Node*>(image.data + rootBytes);
  auto* kepts = reinterpret_cast<Kept*>(image.data + rootBytes + nodeBytes);
  char* spoken = reinterpret_cast<char*>(image.data + rootBytes + nodeBytes + keptBytes);
  std::memset(root, 0, rootBytes);
  uint32_t head = 0, tail = 1;
  queue.data[0] = 0;
  while (head < tail) {
    const GrowingNode& from = g[queue.data[head]];
    Node& to = nodes[head];
    to.label = from.label;
    to.entry = from.entry;
    to.first = tail;
    to.unused = 0;
    uint16_t children = 0;
    for (uint32_t c = from.firstChild; c != 0; c = g[c].nextSibling) {
      queue.data[tail++] = c;
      ++children;
    }
    to.count = children;
    ++head;
  }
  for (uint32_t c = 0; c < nodes[0].count; ++c) root[nodes[nodes[0].first + c].label] = nodes[0].first + c;

  size_t spokenAt = 0;
  for (uint32_t k = 0; k < kept; ++k) {
    const LexiconEntry& e = entries[order.data[k]];
    const uint8_t* form = key + at[order.data[k]];
    const uint8_t length = len[order.data[k]];
    kepts[k].spoken = static_cast<uint32_t>(spokenAt);
    kepts[k].spokenLength = static_cast<uint16_t>(e.spokenLength);
    kepts[k].keyLength = length;
    kepts[k].endsInLetter = alphabet.kind[form[length - 1]] == LexiconLetter;
    std::memcpy(spoken + spokenAt, e.spoken, e.spokenLength);
    spokenAt += e.spokenLength;
  }

  memory_ = memory;
  alphabet_ = alphabet;
  image_ = image.Take();
  root_ = root;
  nodes_ = nodes;
  entries_ = kepts;
  spoken_ = spoken;
  entryCount_ = kept;
  return true;
}

void Lexicon::Release() {
  if (image_ && memory_.release) memory_.release(image_);
  image_ = nullptr;
  root_ = nullptr;
  nodes_ = nullptr;
  entries_ = nullptr;
  spoken_ = nullptr;
  entryCount_ = 0;
}

// ---- matching ----------------------------------------------------------------

namespace {

struct Candidate {
  uint32_t start;
  uint32_t end;
  uint32_t entry;
  uint32_t keyLength;
};

bool Reserve(const LexiconMemory& memory, void*& block, size_t& capacity, size_t needed, size_t unit,
             size_t keep) {
  if (needed <= capacity) return true;
  size_t grown = std::max<size_t>(capacity * 2, 64);
  while (grown < needed) grown *= 2;
  if (grown > SIZE_MAX / unit) return false;
  void* larger = memory.allocate(grown * unit);
  if (!larger) return false;
  if (block) {
    std::memcpy(larger, block, keep * unit);
    memory.release(block);
  }
  block = larger;
  capacity = grown;
  return true;
}

bool ReserveText(LexiconWork& work, size_t more) {
  void* block = work.text;
  const bool ok = Reserve(work.memory, block, work.capacity, work.length + more + 1, 1, work.length);
  work.text = static_cast<char*>(block);
  return ok;
}

// Appends text[from, to), escaped for markup when asked.
bool Append(LexiconWork& work, const char* text, size_t from, size_t to, bool escape) {
  const size_t n = to - from;
  if (n == 0) return true;
  if (!ReserveText(work, escape ? n * 5 : n)) return false;
  char* out = work.text + work.length;
  if (escape) {
    for (size_t i = from; i < to; ++i) out += EscapeMarkupChar(text[i], out);
  } else {
    std::memcpy(out, text + from, n);
    out += n;
  }
  work.length = static_cast<size_t>(out - work.text);
  return true;
}

// The length of the markup reference ("&amp;", "&#233;") at text[at], or 0
// when the '&' there begins none.
size_t EntityLength(const char* text, size_t length, size_t at) {
  size_t i = at + 1;
  if (i < length && text[i] == '#') ++i;
  const size_t name = i;
  while (i < length && i - name < 32 &&
         ((text[i] >= 'a' && text[i] <= 'z') || (text[i] >= 'A' && text[i] <= 'Z') || (text[i] >= '0' && text[i] <= '9')))
    ++i;
  return i > name && i < length && text[i] == ';' ? i + 1 - at : 0;
}

// Where markup (a tag, a reference) at text[at] ends, or `at` when there is
// none.
size_t SkipMarkup(const char* text, size_t length, size_t at) {
  if (text[at] == '<') {
    const void* close = std::memchr(text + at, '>', length - at);
    return close ? static_cast<size_t>(static_cast<const char*>(close) - text) + 1 : length;
  }
  if (text[at] == '&') return at + EntityLength(text, length, at);
  return at;
}

}  // namespace

size_t EscapeMarkupChar(char c, char* out) {
  const char* entity = nullptr;
  switch (c) {
    case '&': entity = "&amp;"; break;
    case '<': entity = "&lt;"; break;
    case '>': entity = "&gt;"; break;
    default: *out = c; return 1;
  }
  const size_t n = std::strlen(entity);
  std::memcpy(out, entity, n);
  return n;
}

void LexiconWork::Release() {
  if (memory.release) {
    if (text) memory.release(text);
    if (candidates) memory.release(candidates);
    if (taken) memory.release(taken);
  }
  text = nullptr;
  candidates = nullptr;
  taken = nullptr;
  length = capacity = candidateCapacity = takenCapacity = 0;
}

bool ApplyLexicon(const Lexicon& lexicon, const char* text, size_t length, LexiconEscape escape, LexiconWork& work) {
  work.length = 0;
  if (!work.memory.allocate || !work.memory.release || !ReserveText(work, length)) return false;
  if (!text) length = 0;
  const bool escapeText = escape == LexiconEscape::All;
  const bool escapeSpoken = escape != LexiconEscape::None;
  const bool markupText = escape == LexiconEscape::KeepMarkup;

  // Every place a written form matches, as long as it starts and ends on a
  // word's edge.
  size_t found = 0;
  if (lexicon.entryCount_ > 0 && length > 0 && length < UINT32_MAX) {
    const auto* t = reinterpret_cast<const uint8_t*>(text);
    const uint8_t* fold = lexicon.alphabet_.fold;
    const uint8_t* kind = lexicon.alphabet_.kind;
    // A letter, or an apostrophe between letters ("Ald'ruhn") that is not
    // a possessive's ("Vivec's").
    auto inWord = [&](size_t i) {
      const uint8_t k = kind[t[i]];
      if (k == LexiconLetter) return true;
      if (k != LexiconApostrophe || i == 0 || i + 1 >= length) return false;
      if (kind[t[i - 1]] != LexiconLetter || kind[t[i + 1]] != LexiconLetter) return false;
      const bool possessive = fold[t[i + 1]] == 's' && (i + 2 == length || kind[t[i + 2]] != LexiconLetter);
      return !possessive;
    };
    auto stops = [&](size_t i) { return markupText && SkipMarkup(text, length, i) != i; };
    const Lexicon::Node* nodes = lexicon.nodes_;
    bool previousInWord = false;
    for (size_t p = 0; p < length; ++p) {
      if (markupText) {
        const size_t past = SkipMarkup(text, length, p);
        if (past != p) {
          p = past - 1;
          previousInWord = false;
          continue;
        }
      }
      const bool here = inWord(p);
      const bool inside = here && previousInWord;
      previousInWord = here;
      if (inside) continue;  // never from inside a word
      uint32_t node = lexicon.root_[fold[t[p]]];
      size_t q = p + 1;
      while (node != 0) {
        const Lexicon::Node& n = nodes[node];
        if (n.entry != 0) {
          const Lexicon::Kept& e = lexicon.entries_[n.entry - 1];
          if (!e.endsInLetter || q == length || !inWord(q)) {
            void* block = work.candidates;
            if (!Reserve(work.memory, block, work.candidateCapacity, found + 1, sizeof(Candidate), found))
              return false;
            work.candidates = block;
            static_cast<Candidate*>(work.candidates)[found++] =
                Candidate{static_cast<uint32_t>(p), static_cast<uint32_t>(q), n.entry - 1, e.keyLength};
          }
        }
        if (n.count == 0 || q == length || stops(q)) break;
        const bool blank = kind[t[q]] == LexiconBlank;
        const uint8_t c = blank ? ' ' : fold[t[q]];
        const Lexicon::Node* child = nodes + n.first;
        const Lexicon::Node* last = child + n.count;
        if (n.count > 8) {
          child = std::lower_bound(child, last, c, [](const Lexicon::Node& x, uint8_t v) { return x.label < v; });
        } else {
          while (child < last && child->label < c) ++child;
        }
        if (child == last || child->label != c) break;
        node = static_cast<uint32_t>(child - nodes);
        ++q;
        if (blank)
          while (q < length && kind[t[q]] == LexiconBlank) ++q;
      }
    }
  }

  if (found == 0) {
    if (!Append(work, text, 0, length, escapeText)) return false;
    work.text[work.length] = 0;
    return true;
  }

  // The longest first, of equal ones the leftmost; one that overlaps what a
  // longer one took is dropped.  A taken entry is at least as long as any
  // later one, so an overlap always covers the later one's first or last byte.
  auto* candidates = static_cast<Candidate*>(work.candidates);
  std::sort(candidates, candidates + found, [](const Candidate& a, const Candidate& b) {
    if (a.keyLength != b.keyLength) return a.keyLength > b.keyLength;
    return a.start < b.start;
  });
  {
    void* block = work.taken;
    if (!Reserve(work.memory, block, work.takenCapacity, length, 1, 0)) return false;
    work.taken = static_cast<uint8_t*>(block);
  }
  std::memset(work.taken, 0, length);
  size_t chosen = 0;
  for (size_t k = 0; k < found; ++k) {
    const Candidate c = candidates[k];
    if (work.taken[c.start] || work.taken[c.end - 1]) continue;
    std::memset(work.taken + c.start, 1, c.end - c.start);
    candidates[chosen++] = c;
  }
  std::sort(candidates, candidates + chosen, [](const Candidate& a, const Candidate& b) { return a.start < b.start; });

  size_t at = 0;
  for (size_t k = 0; k < chosen; ++k) {
    const Candidate& c = candidates[k];
    const Lexicon::Kept& e = lexicon.entries_[c.entry];
    if (!Append(work, text, at, c.start, escapeText) ||
        !Append(work, lexicon.spoken_ + e.spoken, 0, e.spokenLength, escapeSpoken))
      return false;
    at = c.end;
  }
  if (!Append(work, text, at, length, escapeText)) return false;
  work.text[work.length] = 0;
  return true;
}
