#include "configurator/lexicon_file.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "common/lexicon_codepage.h"

namespace {

const LexiconMemory Malloc{[](size_t n) { return std::malloc(n); }, [](void* p) { std::free(p); }};

constexpr size_t FormBufferSize = 4 * LexiconSpokenMax + 4;

std::string Trimmed(const std::string& s) {
  const size_t begin = s.find_first_not_of(" \t");
  if (begin == std::string::npos) return "";
  return s.substr(begin, s.find_last_not_of(" \t") - begin + 1);
}

// A form of the file in the code page; false when it has no place there.
bool FormInCodePage(const char* form, size_t length, bool utf8, std::string& out) {
  char buffer[FormBufferSize];
  if (length > 4 * LexiconSpokenMax) return false;
  const int n = LexiconFormToCodePage(form, length, utf8, buffer, sizeof buffer);
  if (n < 0) return false;
  out.assign(buffer, static_cast<size_t>(n));
  return true;
}

// Text of the code page in the file's encoding.
std::string InFileEncoding(const std::string& text, bool utf8) {
  if (!utf8 || text.empty() || GetACP() == CP_UTF8) return text;
  const int units = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(units), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), units);
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, out.data(), bytes, nullptr, nullptr);
  return out;
}

void ReadLine(LexiconFileLine& line, bool utf8) {
  const LexiconLine parsed = ParseLexiconLine(line.raw.data(), line.raw.size());
  if (parsed.kind != LexiconLineKind::Entry) return;
  std::string written, spoken;
  if (!FormInCodePage(parsed.written, parsed.writtenLength, utf8, written) ||
      !FormInCodePage(parsed.spoken, parsed.spokenLength, utf8, spoken) ||
      CheckLexiconEntry(written.data(), written.size(), spoken.data(), spoken.size()) != LexiconFault::None)
    return;
  line.entry = true;
  line.written = written;
  line.spoken = spoken;
  if (parsed.comment) line.comment.assign(parsed.comment, parsed.commentLength);
}

const LexiconAlphabet& Alphabet() {
  static const LexiconAlphabet alphabet = [] {
    LexiconAlphabet a;
    SystemLexiconAlphabet(a);
    return a;
  }();
  return alphabet;
}

// Checks the forms as an entry of the file that is not at `except`.
LexiconEditResult Check(const LexiconFile& file, const std::string& written, const std::string& spoken,
                        size_t except) {
  const LexiconFault fault = CheckLexiconEntry(written.data(), written.size(), spoken.data(), spoken.size());
  if (fault != LexiconFault::None) return {LexiconEdit::NotAnEntry, fault, 0};
  for (size_t i = 0; i < file.lines.size(); ++i) {
    const LexiconFileLine& l = file.lines[i];
    if (i != except && l.entry &&
        SameLexiconForm(l.written.data(), l.written.size(), written.data(), written.size(), Alphabet()))
      return {LexiconEdit::Repeated, LexiconFault::None, i};
  }
  return {LexiconEdit::Done, LexiconFault::None, except};
}

void Compose(LexiconFileLine& line, const std::string& written, const std::string& spoken, bool utf8) {
  line.entry = true;
  line.written = written;
  line.spoken = spoken;
  line.raw = InFileEncoding(written, utf8) + " = " + InFileEncoding(spoken, utf8);
  if (!line.comment.empty()) line.raw += " " + line.comment;
}

}  // namespace

LexiconFile ParseLexiconFile(const std::string& bytes) {
  LexiconFile file;
  const size_t bom = LexiconBomLength(bytes.data(), bytes.size());
  const char* text = bytes.data() + bom;
  const size_t size = bytes.size() - bom;
  file.bom = bom > 0;
  file.utf8 = LexiconTextIsUtf8(text, size);
  if (bytes.empty()) file.bom = true;  // an empty file is taken as a new one
  bool firstEnd = true;
  size_t at = 0, length = 0;
  while (at < size) {
    const size_t next = NextLexiconLine(text, size, at, &length);
    LexiconFileLine line;
    line.raw.assign(text + at, length);
    line.end.assign(text + at + length, next - at - length);
    if (firstEnd && !line.end.empty()) {
      file.lineEnd = line.end;
      firstEnd = false;
    }
    ReadLine(line, file.utf8);
    file.lines.push_back(std::move(line));
    at = next;
  }
  return file;
}

std::string SerializeLexiconFile(const LexiconFile& file) {
  std::string out = file.bom ? "\xEF\xBB\xBF" : "";
  for (const LexiconFileLine& l : file.lines) out += l.raw + l.end;
  return out;
}

LexiconFileRead LoadLexiconFile(const std::string& path, LexiconFile& file) {
  file = LexiconFile{};
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? LexiconFileRead::Missing
                                                                           : LexiconFileRead::Unreadable;
  }
  LARGE_INTEGER size{};
  std::string bytes;
  bool read = GetFileSizeEx(h, &size) && size.QuadPart <= LexiconFileMax;
  if (read) {
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    size_t done = 0;
    while (done < bytes.size() && ReadFile(h, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &got, nullptr) &&
           got > 0)
      done += got;
    read = done == bytes.size();
  }
  CloseHandle(h);
  if (!read) return LexiconFileRead::Unreadable;
  file = ParseLexiconFile(bytes);
  return LexiconFileRead::Read;
}

bool SaveLexiconFile(const std::string& path, const LexiconFile& file) {
  const std::string bytes = SerializeLexiconFile(file);
  const std::string beside = path + ".new";
  HANDLE h = CreateFileA(beside.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool whole = bytes.empty() || (WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                                       written == bytes.size());
  const bool closed = CloseHandle(h) != 0;
  if (whole && closed && MoveFileExA(beside.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  DeleteFileA(beside.c_str());
  return false;
}

std::vector<size_t> LexiconEntryLines(const LexiconFile& file) {
  std::vector<size_t> entries;
  for (size_t i = 0; i < file.lines.size(); ++i)
    if (file.lines[i].entry) entries.push_back(i);
  return entries;
}

LexiconEditResult AddLexiconEntry(LexiconFile& file, const std::string& written, const std::string& spoken) {
  const std::string w = Trimmed(written), s = Trimmed(spoken);
  LexiconEditResult result = Check(file, w, s, file.lines.size());
  if (result.edit != LexiconEdit::Done) return result;
  // Behind the last line, which gets a line end if it had none.
  if (!file.lines.empty() && file.lines.back().end.empty()) file.lines.back().end = file.lineEnd;
  LexiconFileLine line;
  line.end = file.lineEnd;
  Compose(line, w, s, file.utf8);
  file.lines.push_back(std::move(line));
  result.line = file.lines.size() - 1;
  return result;
}

LexiconEditResult ChangeLexiconEntry(LexiconFile& file, size_t line, const std::string& written,
                                     const std::string& spoken) {
  if (line >= file.lines.size() || !file.lines[line].entry) return {LexiconEdit::NoSuchEntry, LexiconFault::None, line};
  const std::string w = Trimmed(written), s = Trimmed(spoken);
  const LexiconEditResult result = Check(file, w, s, line);
  if (result.edit == LexiconEdit::Done) Compose(file.lines[line], w, s, file.utf8);
  return result;
}

bool RemoveLexiconEntry(LexiconFile& file, size_t line) {
  if (line >= file.lines.size() || !file.lines[line].entry) return false;
  // The last line's missing line end stays missing.
  if (line + 1 == file.lines.size() && line > 0 && file.lines[line].end.empty()) file.lines[line - 1].end.clear();
  file.lines.erase(file.lines.begin() + static_cast<std::ptrdiff_t>(line));
  return true;
}

DefaultLexiconResult WriteDefaultLexicon(const std::string& dir) {
  const std::string path = dir + LexiconFileName;
  if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return DefaultLexiconResult::Kept;
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return DefaultLexiconResult::NotWritten;
  DWORD written = 0;
  const bool whole = WriteFile(h, DefaultLexicon, static_cast<DWORD>(DefaultLexiconSize), &written, nullptr) &&
                     written == DefaultLexiconSize;
  const bool closed = CloseHandle(h) != 0;
  if (whole && closed) return DefaultLexiconResult::Written;
  // A lexicon cut short is worse than none: the next start writes it again.
  DeleteFileA(path.c_str());
  return DefaultLexiconResult::NotWritten;
}

DefaultLexiconResult WriteDefaultLexiconBesideProgram() {
  char module[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, module, sizeof module);
  if (length == 0 || length >= sizeof module) return DefaultLexiconResult::NotWritten;
  std::string dir = module;
  dir.erase(dir.find_last_of("\\:") + 1);
  return WriteDefaultLexicon(dir);
}

FileLexicon::FileLexicon(const LexiconFile& file) {
  std::vector<LexiconEntry> entries;
  for (const LexiconFileLine& l : file.lines)
    if (l.entry)
      entries.push_back({l.written.data(), static_cast<uint32_t>(l.written.size()), l.spoken.data(),
                         static_cast<uint32_t>(l.spoken.size())});
  lexicon_.Build(entries.data(), static_cast<uint32_t>(entries.size()), Alphabet(), Malloc);
}

FileLexicon::~FileLexicon() { lexicon_.Release(); }

std::string ThroughLexicon(const Lexicon& lexicon, const std::string& text, const std::string& config,
                           bool textIsMarkup) {
  const std::string whole = config + text;
  const size_t first = whole.find_first_not_of(" \t\r\n");
  const bool markup = first != std::string::npos && whole[first] == '<';
  const LexiconEscape escape = !markup ? LexiconEscape::None : textIsMarkup ? LexiconEscape::KeepMarkup : LexiconEscape::All;
  LexiconWork work{};
  work.memory = Malloc;
  std::string out = ApplyLexicon(lexicon, text.data(), text.size(), escape, work) ? std::string(work.text, work.length)
                                                                                   : text;
  work.Release();
  return out;
}
