// The pronunciation lexicon: Lexicon.txt beside the plug-in, one entry a
// line, "written = spoken", ';' starting a comment.  The spoken form is a
// plain respelling, so it works with every voice, whether it parses markup
// or not.
//
// Portable: no Windows here, so that the parser and the matcher also build
// for the host's sanitizers and fuzzers (fuzz/).  Reading the file and
// converting it to the game's code page is done at the Windows boundary
// (common/lexicon_codepage.h); text here is 8-bit, in the game's code page.
#pragma once
#include <cstddef>
#include <cstdint>

inline constexpr char LexiconFileName[] = "Lexicon.txt";

// Limits that keep a hand-edited file from costing the game more than a
// lexicon is worth: a longer form, a larger file, entries beyond the count
// are left out (and said so in the log).
inline constexpr uint32_t LexiconWrittenMax = 127;      // bytes of a written form
inline constexpr uint32_t LexiconSpokenMax = 255;       // bytes of a spoken form
inline constexpr uint32_t LexiconEntriesMax = 100000;
inline constexpr uint32_t LexiconWrittenBytesMax = 1u << 20;  // of all written forms together
inline constexpr uint32_t LexiconFileMax = 16u << 20;   // bytes read of the file

// ---- lines of the file -------------------------------------------------------

enum class LexiconLineKind : uint8_t { Blank, Comment, Entry, NotAnEntry };

enum class LexiconFault : uint8_t {
  None,
  NoEqualsSign,
  NoWrittenForm,
  NoSpokenForm,
  WrittenTooLong,
  SpokenTooLong,
  ControlCharacter,    // a byte below 0x20 (other than TAB) in either form
  ReservedCharacter,   // '=' or ';' in the written form, ';' in the spoken form
  SpokenStartsMarkup,  // a '<' first: a voice without configuration would parse it
  NotInCodePage,       // a character the game's code page has no place for
};

// What a fault is, in a few English words (the plug-in's log is English).
const char* LexiconFaultText(LexiconFault fault);

struct LexiconLine {
  LexiconLineKind kind = LexiconLineKind::Blank;
  LexiconFault fault = LexiconFault::None;
  // Entry: the two forms, without the blanks around them.  Spans of the line.
  const char* written = nullptr;
  uint32_t writtenLength = 0;
  const char* spoken = nullptr;
  uint32_t spokenLength = 0;
  // From the ';' to the end of the line (any kind of line); null when none.
  const char* comment = nullptr;
  uint32_t commentLength = 0;
};

// One line without its line end.  The length limits and the characters of the
// forms are not checked here (the file's encoding may still change their
// length): CheckLexiconEntry does, once they are in the game's code page.
LexiconLine ParseLexiconLine(const char* line, size_t length);

// The checks an entry passes before it is used or written: None, or the first
// fault found.
LexiconFault CheckLexiconEntry(const char* written, size_t writtenLength, const char* spoken, size_t spokenLength);

// Where the line that starts at `at` ends (LF, CR LF or a lone CR; the line
// end not counted) in *length; returns the start of the next line, `size`
// after the last.
size_t NextLexiconLine(const char* text, size_t size, size_t at, size_t* length);

// 3 when the text starts with UTF-8's byte-order mark, otherwise 0.
size_t LexiconBomLength(const char* text, size_t size);

// ---- what counts as a letter -------------------------------------------------

enum LexiconCharKind : uint8_t { LexiconOther = 0, LexiconLetter = 1, LexiconApostrophe = 2, LexiconBlank = 3 };

// Per byte of the game's code page: its case fold (apostrophes of any shape
// fold to '\'', blanks to ' ') and its kind.
struct LexiconAlphabet {
  uint8_t fold[256];
  uint8_t kind[256];
};

// ASCII letters and digits are letters, folded to lower case; every byte from
// 0x80 on counts as a letter folded to itself.  The plug-in refines the upper
// half from the system's code page (SystemLexiconAlphabet).
void AsciiLexiconAlphabet(LexiconAlphabet& alphabet);

// Whether two written forms are one entry's: equal once folded, a run of
// blanks taken as one, blanks at either end left out.
bool SameLexiconForm(const char* a, size_t aLength, const char* b, size_t bLength, const LexiconAlphabet& alphabet);

// ---- the matcher -------------------------------------------------------------

// Where the lexicon's blocks come from: the process heap in the plug-in.
struct LexiconMemory {
  void* (*allocate)(size_t bytes);  // null when there is none
  void (*release)(void* block);
};

struct LexiconEntry {
  const char* written;
  uint32_t writtenLength;
  const char* spoken;
  uint32_t spokenLength;
};

enum class LexiconEscape : uint8_t;
struct LexiconWork;

// Entries arranged for matching: a tree of the folded written forms, built
// once and only read afterwards.  Zero-filled it is empty (so a process-wide
// variable needs no constructor); Release empties it again.
class Lexicon {
 public:
  // Copies what it needs of the entries.  Of entries whose written forms fold
  // to the same text the first is kept and each later one reported to
  // `duplicate` with its index.  False when memory ran out: the lexicon is
  // then empty.
  bool Build(const LexiconEntry* entries, uint32_t count, const LexiconAlphabet& alphabet,
             const LexiconMemory& memory, void (*duplicate)(void* context, uint32_t index) = nullptr,
             void* context = nullptr);
  void Release();
  uint32_t Count() const { return entryCount_; }

  struct Node;
  struct Kept;

 private:
  friend bool ApplyLexicon(const Lexicon&, const char*, size_t, LexiconEscape, LexiconWork&);
  uint8_t* image_;
  LexiconMemory memory_;
  LexiconAlphabet alphabet_;
  const uint32_t* root_;  // node of each first folded byte, 0 for none
  const Node* nodes_;
  const Kept* entries_;
  const char* spoken_;
  uint32_t entryCount_;
};

// How the result is handed to a voice.
enum class LexiconEscape : uint8_t {
  None,        // the voice reads the text as it is (no markup in front)
  All,         // the voice parses markup: every '&', '<' and '>' becomes an entity
  KeepMarkup,  // the text is markup already: tags and entities stay as they
               // are and are not matched into; only spoken forms are escaped
};

// The worker's (or the window's) buffers for ApplyLexicon, kept from call to
// call.  Zero-filled with `memory` set it is ready.
struct LexiconWork {
  LexiconMemory memory;
  char* text;  // the result, terminated
  size_t length;
  size_t capacity;
  void* candidates;
  size_t candidateCapacity;
  uint8_t* taken;
  size_t takenCapacity;
  void Release();
};

// Writes text (length bytes) with every matched word and phrase replaced by
// its spoken form into work.text: whole words and phrases only, letter case
// ignored, a run of blanks matching one blank of a phrase; the longest entry
// first (of two equally long the one further left), never one over text
// another has taken, never again over a spoken form.  False when memory ran
// out (work.text then holds nothing usable).
bool ApplyLexicon(const Lexicon& lexicon, const char* text, size_t length, LexiconEscape escape, LexiconWork& work);

// '&', '<' and '>' as the entities markup needs; other bytes as they are.
// Returns the bytes written to out (at most 5).
size_t EscapeMarkupChar(char c, char* out);
