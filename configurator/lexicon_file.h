// Lexicon.txt as the configurator edits it: the entries as a list to add to,
// change and remove from, written back with every comment, every line that
// is not an entry and the order of the file as they were.  The release's
// default lexicon, written beside the configurator when there is none.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "common/lexicon.h"

// One line of the file, kept as its bytes so that what is not edited is
// written back unchanged (also characters the code page has no place for).
struct LexiconFileLine {
  std::string raw;  // in the file's encoding, without the line end
  std::string end;  // its line end as in the file ("" for a last line without one)
  bool entry = false;           // an entry the plug-in takes
  std::string written, spoken;  // an entry's forms, in the code page
  std::string comment;          // an entry's comment from its ';' (raw), or empty
};

struct LexiconFile {
  std::vector<LexiconFileLine> lines;
  bool utf8 = true;  // written as UTF-8 (a new file is), or in the code page
  bool bom = true;   // a new file has the mark, so that every editor sees UTF-8
  std::string lineEnd = "\r\n";  // of lines the configurator adds: the file's first
};

LexiconFile ParseLexiconFile(const std::string& bytes);
std::string SerializeLexiconFile(const LexiconFile& file);

enum class LexiconFileRead { Read, Missing, Unreadable };
// Missing: `file` is a new, empty one.
LexiconFileRead LoadLexiconFile(const std::string& path, LexiconFile& file);
// Through a file beside it, which then replaces the old one: a write that
// fails half-way leaves the old file as it was.  False when it failed.
bool SaveLexiconFile(const std::string& path, const LexiconFile& file);

// The entries, in the order of the file: indexes into lines.
std::vector<size_t> LexiconEntryLines(const LexiconFile& file);

enum class LexiconEdit { Done, NotAnEntry, Repeated, NoSuchEntry };
struct LexiconEditResult {
  LexiconEdit edit;
  LexiconFault fault;  // NotAnEntry: why
  size_t line;         // Done: the entry's line; Repeated: the line that has the form
};
// The forms lose their blanks at either end; an entry needs both forms
// (CheckLexiconEntry) and a written form no other entry has.
LexiconEditResult AddLexiconEntry(LexiconFile& file, const std::string& written, const std::string& spoken);
// The entry keeps its place and its comment.
LexiconEditResult ChangeLexiconEntry(LexiconFile& file, size_t line, const std::string& written,
                                     const std::string& spoken);
bool RemoveLexiconEntry(LexiconFile& file, size_t line);

// The release's Lexicon.txt, as its bytes (made from
// configurator/resources/default_lexicon.txt).
extern const char DefaultLexicon[];
extern const size_t DefaultLexiconSize;

enum class DefaultLexiconResult { Written, Kept, NotWritten };
// At start: dir + "Lexicon.txt" when there is none; a file there is never
// touched.
DefaultLexiconResult WriteDefaultLexicon(const std::string& dir);
// The same beside the running program (where the plug-in reads it).
DefaultLexiconResult WriteDefaultLexiconBesideProgram();

// The file's entries for matching, as the plug-in would match them.
class FileLexicon {
 public:
  explicit FileLexicon(const LexiconFile& file);
  ~FileLexicon();
  FileLexicon(const FileLexicon&) = delete;
  FileLexicon& operator=(const FileLexicon&) = delete;
  const Lexicon& get() const { return lexicon_; }

 private:
  Lexicon lexicon_{};
};

// The text as a voice with this configuration gets it through the lexicon:
// escaped when the configuration (or, without one, the text) starts with
// markup.  textIsMarkup: the text may hold markup of its own (the TESTING
// page's memo), which is kept and not matched into; otherwise it is plain (a
// written form of the list) and escaped whole.
std::string ThroughLexicon(const Lexicon& lexicon, const std::string& text, const std::string& config,
                           bool textIsMarkup);
