// Lexicon benchmark (run by hand: cd build/run/bench && ../../../scripts/wine-run
// lexicon_bench.exe [entries]): what the lexicon adds to a line on the
// worker (the line through the lexicon, escaped for a voice that parses
// markup, as SpeakThroughLexicon does before Speak), with no Lexicon.txt,
// the release's and one of many entries; and reading Lexicon.txt at attach.
#include <windows.h>

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <string>

#include "bench_clock.h"
#include "configurator/lexicon_file.h"
#include "plugin/frame/plugin_state.h"
#include "plugin/speech/lexicon_speech.h"

namespace {

// 300 characters of a book page: names of the default lexicon, a phrase, a
// possessive, an ampersand and a '>'.
const std::string Line =
    "Welcome to Seyda Neen, outlander. The Hlaalu keep order in Balmora, the Redoran in Ald'ruhn, and "
    "the Telvanni & their n'wah servants in Sadrith Mora. Vivec's priests say Dagoth Ur sleeps beneath "
    "Red Mountain > all of Vvardenfell fears him. Guar and kwama feed the Dunmer; ask any Ashlander of "
    "Urshila";

// Names nobody has, each its own: two to four syllables and a number, one or
// two words.
std::string MadeUpName(unsigned n) {
  static const char* syllables[] = {"ka", "dro", "vel", "mi", "thu", "ran", "sel", "go", "nar", "ith",
                                    "ul", "bre", "os", "zan", "fy", "lor"};
  std::string name;
  unsigned x = n * 2654435761u + 12345;
  const int count = 2 + static_cast<int>(x % 3);
  for (int i = 0; i < count; ++i) {
    x = x * 1103515245u + 12345;
    name += syllables[(x >> 16) % 16];
  }
  name[0] = static_cast<char>(name[0] - 'a' + 'A');
  if (n % 5 == 0) name += " " + MadeUpName(n / 5 + 7919);
  return name + std::to_string(n);
}

std::string WriteBytes(const std::string& path, const std::string& bytes) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(h);
  return path;
}

const LexiconMemory Heap{[](size_t n) { return HeapAlloc(GetProcessHeap(), 0, n); },
                         [](void* p) { HeapFree(GetProcessHeap(), 0, p); }};

void Measure(const char* label, const std::string& path) {
  // Attach: read, convert, check, build (best of five).
  double load = 1e9;
  for (int i = 0; i < 5; ++i) {
    const double start = Now();
    if (path.empty())
      ReleaseSpeechLexicon();
    else
      LoadSpeechLexicon(path.c_str());
    load = std::min(load, Now() - start);
  }
  // The worker: one line through the lexicon, its buffers kept.
  LexiconWork work{};
  work.memory = Heap;
  ApplyLexicon(SpeechLexicon, Line.data(), Line.size(), LexiconEscape::All, work);
  const int rounds = 20000;
  const double start = Now();
  for (int i = 0; i < rounds; ++i) ApplyLexicon(SpeechLexicon, Line.data(), Line.size(), LexiconEscape::All, work);
  const double perLine = (Now() - start) / rounds;
  std::printf("%-30s %6u entries: attach %8.2f ms, a %zu-character line %6.2f us (%zu characters out)\n", label,
              SpeechLexicon.Count(), load * 1e3, Line.size(), perLine * 1e6, work.length);
  work.Release();
}

}  // namespace

int main(int argc, char** argv) {
  const unsigned many = argc > 1 ? static_cast<unsigned>(std::atoi(argv[1])) : 10000;
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  const std::string dir = std::string(temp) + "quorrim-lexicon-bench-" + std::to_string(GetCurrentProcessId()) + "\\";
  CreateDirectoryA(dir.c_str(), nullptr);
  LogFilePath[0] = 0;  // no log: its writes would be measured too

  const std::string release = WriteBytes(dir + "release.txt", std::string(DefaultLexicon, DefaultLexiconSize));
  std::string big(DefaultLexicon, DefaultLexiconSize);
  for (unsigned i = 0; i < many; ++i) big += MadeUpName(i) + " = " + MadeUpName(i + 1000003) + "\r\n";
  const std::string manyPath = WriteBytes(dir + "many.txt", big);

  std::printf("%zu-character line: \"%.60s...\"\n", Line.size(), Line.c_str());
  Measure("no Lexicon.txt (escaping only)", "");
  Measure("the release's Lexicon.txt", release);
  char label[64];
  std::snprintf(label, sizeof label, "release's + %u made-up", many);
  Measure(label, manyPath);
  std::printf("(%zu bytes of Lexicon.txt with the made-up entries)\n", big.size());
  ReleaseSpeechLexicon();
  DeleteFileA(release.c_str());
  DeleteFileA(manyPath.c_str());
  RemoveDirectoryA(dir.c_str());
  return 0;
}
