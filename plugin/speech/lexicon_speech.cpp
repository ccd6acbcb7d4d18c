#include "plugin/speech/lexicon_speech.h"

#include <windows.h>

#include "common/lexicon_codepage.h"
#include "plugin/frame/log.h"
#include "plugin/frame/plugin_state.h"
#include "speech/speech_voice.h"

Lexicon SpeechLexicon;

namespace {

constexpr LexiconMemory ProcessHeap{[](size_t bytes) { return HeapAlloc(GetProcessHeap(), 0, bytes); },
                                    [](void* block) { HeapFree(GetProcessHeap(), 0, block); }};

// Lines that are not entries are named one by one up to here; a file full
// of them would otherwise write the log for minutes.
constexpr uint32_t NamedLinesMax = 20;
// Bytes of a line shown in the log.
constexpr int ShownMax = 60;

// A form converted to the code page: at most a byte of the code page for each
// byte of the file, so the file's limit times four is enough to know "too
// long" after the conversion.
constexpr size_t FormBufferSize = 4 * LexiconSpokenMax + 4;

void* Allocate(size_t bytes) { return HeapAlloc(GetProcessHeap(), 0, bytes); }

struct Loading {
  const char* text = nullptr;  // the file, without its byte-order mark
  size_t size = 0;
  bool utf8 = false;
  LexiconEntry* entries = nullptr;
  uint32_t* lineOf = nullptr;  // the line number of each entry
  uint32_t count = 0, capacity = 0;
  char* arena = nullptr;  // the forms in the code page
  size_t arenaUsed = 0;
  size_t writtenBytes = 0;
  uint32_t named = 0, unnamed = 0;  // lines not taken: logged, and beyond that counted
  uint32_t fullAt = 0;             // the first line left out for the limits
};

// The line as the log shows it: in the code page when it converts, cut, with
// control characters as '?'.
void ShowLine(const Loading& l, const char* line, size_t length, char (&shown)[ShownMax + 4]) {
  char converted[FormBufferSize];
  const size_t take = length < static_cast<size_t>(ShownMax) ? length : ShownMax;
  int n = LexiconFormToCodePage(line, take, l.utf8, converted, sizeof converted);
  const char* from = converted;
  if (n < 0) {  // cut inside a character, or not in the code page: the bytes as they are
    from = line;
    n = static_cast<int>(take);
  }
  if (n > ShownMax) n = ShownMax;
  for (int i = 0; i < n; ++i) shown[i] = static_cast<unsigned char>(from[i]) < 0x20 ? '?' : from[i];
  int end = n;
  if (take < length) {
    lstrcpyA(shown + end, "...");
    end += 3;
  }
  shown[end] = 0;
}

void NotAnEntry(Loading& l, uint32_t lineNumber, const char* line, size_t length, LexiconFault fault) {
  if (l.named >= NamedLinesMax) {
    ++l.unnamed;
    return;
  }
  ++l.named;
  char shown[ShownMax + 4];
  ShowLine(l, line, length, shown);
  LOG_LINE("DLLMAIN::%s, line %u is not an entry (%s): %s", LexiconFileName, lineNumber, LexiconFaultText(fault),
           shown);
}

// Converts a form into the arena; the fault when it cannot be.
LexiconFault Convert(Loading& l, const char* form, uint32_t length, uint32_t limit, const char*& out,
                     uint32_t& outLength) {
  if (length > 4 * limit) return limit == LexiconWrittenMax ? LexiconFault::WrittenTooLong : LexiconFault::SpokenTooLong;
  char* to = l.arena + l.arenaUsed;
  const int n = LexiconFormToCodePage(form, length, l.utf8, to, FormBufferSize);
  if (n < 0) return LexiconFault::NotInCodePage;
  out = to;
  outLength = static_cast<uint32_t>(n);
  return LexiconFault::None;
}

void TakeLine(Loading& l, uint32_t lineNumber, const char* line, size_t length) {
  const LexiconLine parsed = ParseLexiconLine(line, length);
  if (parsed.kind == LexiconLineKind::Blank || parsed.kind == LexiconLineKind::Comment) return;
  if (parsed.kind == LexiconLineKind::NotAnEntry) return NotAnEntry(l, lineNumber, line, length, parsed.fault);
  if (l.fullAt != 0) return;

  LexiconEntry e{};
  const size_t arenaBefore = l.arenaUsed;
  LexiconFault fault = Convert(l, parsed.written, parsed.writtenLength, LexiconWrittenMax, e.written, e.writtenLength);
  if (fault == LexiconFault::None) {
    l.arenaUsed += e.writtenLength;
    fault = Convert(l, parsed.spoken, parsed.spokenLength, LexiconSpokenMax, e.spoken, e.spokenLength);
    l.arenaUsed += fault == LexiconFault::None ? e.spokenLength : 0;
  }
  if (fault == LexiconFault::None) fault = CheckLexiconEntry(e.written, e.writtenLength, e.spoken, e.spokenLength);
  if (fault != LexiconFault::None) {
    l.arenaUsed = arenaBefore;
    return NotAnEntry(l, lineNumber, line, length, fault);
  }
  if (l.count >= LexiconEntriesMax || l.writtenBytes + e.writtenLength > LexiconWrittenBytesMax) {
    l.arenaUsed = arenaBefore;
    l.fullAt = lineNumber;
    return;
  }
  if (l.count == l.capacity) {
    const uint32_t grown = l.capacity ? l.capacity * 2 : 256;
    auto* entries = static_cast<LexiconEntry*>(Allocate(grown * sizeof(LexiconEntry)));
    auto* lineOf = static_cast<uint32_t*>(Allocate(grown * sizeof(uint32_t)));
    if (!entries || !lineOf) {
      if (entries) HeapFree(GetProcessHeap(), 0, entries);
      if (lineOf) HeapFree(GetProcessHeap(), 0, lineOf);
      l.arenaUsed = arenaBefore;
      l.fullAt = lineNumber;
      return;
    }
    if (l.entries) {
      CopyMemory(entries, l.entries, l.count * sizeof(LexiconEntry));
      CopyMemory(lineOf, l.lineOf, l.count * sizeof(uint32_t));
      HeapFree(GetProcessHeap(), 0, l.entries);
      HeapFree(GetProcessHeap(), 0, l.lineOf);
    }
    l.entries = entries;
    l.lineOf = lineOf;
    l.capacity = grown;
  }
  l.entries[l.count] = e;
  l.lineOf[l.count] = lineNumber;
  ++l.count;
  l.writtenBytes += e.writtenLength;
}

void Repeated(void* context, uint32_t index) {
  Loading& l = *static_cast<Loading*>(context);
  if (l.named >= NamedLinesMax) {
    ++l.unnamed;
    return;
  }
  ++l.named;
  char shown[ShownMax + 4];
  const LexiconEntry& e = l.entries[index];
  const int n = e.writtenLength < static_cast<uint32_t>(ShownMax) ? static_cast<int>(e.writtenLength) : ShownMax;
  lstrcpynA(shown, e.written, n + 1);
  LOG_LINE("DLLMAIN::%s, line %u repeats an earlier written form: %s", LexiconFileName, l.lineOf[index], shown);
}

// The file's bytes, at most LexiconFileMax of them and then only whole
// lines; null when there is no file or it cannot be read.
char* ReadLexiconFile(const char* path, size_t& size) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  LARGE_INTEGER length{};
  char* data = nullptr;
  size = 0;
  if (GetFileSizeEx(file, &length) && length.QuadPart >= 0) {
    const bool cut = length.QuadPart > LexiconFileMax;
    const DWORD wanted = cut ? LexiconFileMax : static_cast<DWORD>(length.QuadPart);
    data = static_cast<char*>(Allocate(wanted ? wanted : 1));
    DWORD got = 0;
    while (data && size < wanted && ReadFile(file, data + size, wanted - static_cast<DWORD>(size), &got, nullptr) &&
           got > 0)
      size += got;
    if (data && cut) {
      LOG_LINE("DLLMAIN::%s is larger than %u bytes: only its beginning is read.", LexiconFileName, LexiconFileMax);
      while (size > 0 && data[size - 1] != '\n' && data[size - 1] != '\r') --size;
    }
  }
  CloseHandle(file);
  return data;
}

}  // namespace

void ReleaseSpeechLexicon() { SpeechLexicon.Release(); }

void LoadSpeechLexicon() {
  char path[MAX_PATH + 16];
  lstrcpynA(path, PluginDir, MAX_PATH);
  lstrcatA(path, LexiconFileName);
  LoadSpeechLexicon(path);
}

void LoadSpeechLexicon(const char* path) {
  ReleaseSpeechLexicon();
  size_t size = 0;
  char* data = ReadLexiconFile(path, size);
  if (!data) return;

  Loading l;
  const size_t bom = LexiconBomLength(data, size);
  l.text = data + bom;
  l.size = size - bom;
  l.utf8 = LexiconTextIsUtf8(l.text, l.size);
  // The forms in the code page are never longer than in the file; the extra
  // room is for the conversion of the last form.
  l.arena = static_cast<char*>(Allocate(l.size + FormBufferSize));
  uint32_t lineNumber = 0;
  size_t at = 0, length = 0;
  while (l.arena && at < l.size) {
    const size_t next = NextLexiconLine(l.text, l.size, at, &length);
    TakeLine(l, ++lineNumber, l.text + at, length);
    at = next;
  }

  LexiconAlphabet alphabet;
  SystemLexiconAlphabet(alphabet);
  const bool built = l.arena && SpeechLexicon.Build(l.entries, l.count, alphabet, ProcessHeap, Repeated, &l);
  if (l.unnamed > 0) LOG_LINE("DLLMAIN::%s: %u more lines are not entries.", LexiconFileName, l.unnamed);
  if (l.fullAt > 0)
    LOG_LINE("DLLMAIN::%s: full (%u entries); from line %u on the entries are left out.", LexiconFileName, l.count,
             l.fullAt);
  if (built)
    LOG_LINE("DLLMAIN::%s read, entries: %u.", LexiconFileName, SpeechLexicon.Count());
  else
    LOG_LINE("DLLMAIN::%s: not enough memory, no entries.", LexiconFileName);

  if (l.entries) HeapFree(GetProcessHeap(), 0, l.entries);
  if (l.lineOf) HeapFree(GetProcessHeap(), 0, l.lineOf);
  if (l.arena) HeapFree(GetProcessHeap(), 0, l.arena);
  HeapFree(GetProcessHeap(), 0, data);
}

namespace {
// SAPI reads the whole string as markup when it starts with '<': then the
// configuration's markup is in front of the text.
bool ParsesMarkup(const wchar_t* config) {
  while (*config == L' ' || *config == L'\t' || *config == L'\r' || *config == L'\n') ++config;
  return *config == L'<';
}
}  // namespace

int32_t SpeakThroughLexicon(SpeechVoice& voice, const char* text) {
  // The worker's, kept from line to line.
  static LexiconWork work{ProcessHeap, nullptr, 0, 0, nullptr, 0, nullptr, 0};
  if (!text) return voice.Speak(text);
  const LexiconEscape escape = ParsesMarkup(voice.config) ? LexiconEscape::All : LexiconEscape::None;
  // Without memory for the result, the text as the game gave it.
  if (!ApplyLexicon(SpeechLexicon, text, static_cast<size_t>(lstrlenA(text)), escape, work)) return voice.Speak(text);
  return voice.Speak(work.text);
}
