// Log entries in the host's profile file, and the thread that writes them.
#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <string>
#include <vector>

#include "plugin/frame/log.h"
#include "support/plugin_log.h"
#include "support/test_support.h"

extern "C" uint32_t __stdcall ModEventOnHostExit();

using testsupport::LogEntry;
using testsupport::ReadLogSection;
using testsupport::ScratchDir;
using testsupport::WrittenLogSection;

namespace {

struct LogTo {
  explicit LogTo(const std::string& path) { lstrcpynA(LogFilePath, path.c_str(), sizeof LogFilePath); }
  ~LogTo() { testsupport::CloseLog(); }
};

// <counter>_<day>.<month>.<year>_<hour>:<minute>:<second>:<ms>, no leading zeros
const std::regex KeyPattern(R"((\d+)_([1-9]\d?)\.([1-9]\d?)\.(\d{4})_([1-9]?\d):([1-9]?\d):([1-9]?\d):([1-9]?\d{1,2}))");

struct Key {
  uint32_t counter;
  SYSTEMTIME time;
};
bool ParseKey(const std::string& text, Key* key) {
  std::smatch m;
  if (!std::regex_match(text, m, KeyPattern)) return false;
  key->counter = static_cast<uint32_t>(std::stoul(m[1]));
  key->time = {};
  key->time.wDay = static_cast<WORD>(std::stoi(m[2]));
  key->time.wMonth = static_cast<WORD>(std::stoi(m[3]));
  key->time.wYear = static_cast<WORD>(std::stoi(m[4]));
  key->time.wHour = static_cast<WORD>(std::stoi(m[5]));
  key->time.wMinute = static_cast<WORD>(std::stoi(m[6]));
  key->time.wSecond = static_cast<WORD>(std::stoi(m[7]));
  key->time.wMilliseconds = static_cast<WORD>(std::stoi(m[8]));
  return true;
}

uint64_t Ticks(const SYSTEMTIME& t) {
  FILETIME f;
  SystemTimeToFileTime(&t, &f);
  return (static_cast<uint64_t>(f.dwHighDateTime) << 32) | f.dwLowDateTime;
}
uint64_t LocalNow() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  return Ticks(t);
}

TEST(Log, KeysCarryCounterAndLocalTime) {
  ScratchDir dir("log-keys");
  LogTo on(dir / "loader.log");
  const uint32_t first = LogLineCounter();
  LOG_LINE("DLLMAIN::Main EXE module loaded at %08X.", 0x400000u);
  LOG_LINE("second");
  auto entries = WrittenLogSection(dir / "loader.log");
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].value, "DLLMAIN::Main EXE module loaded at 00400000.");
  Key key;
  ASSERT_TRUE(ParseKey(entries[0].key, &key)) << entries[0].key;
  EXPECT_EQ(key.counter, first);
  ASSERT_TRUE(ParseKey(entries[1].key, &key)) << entries[1].key;
  EXPECT_EQ(key.counter, first + 1);  // same millisecond or not, keys differ
}

TEST(Log, KeysAreWrittenWithoutLeadingZeros) {
  const struct {
    uint32_t counter;
    SYSTEMTIME time;  // year, month, day of week, day, hour, minute, second, ms
    const char* key;
  } cases[] = {
      {0, {2009, 3, 4, 5, 14, 7, 9, 45}, "0_5.3.2009_14:7:9:45"},
      {17, {2024, 1, 1, 1, 0, 0, 0, 0}, "17_1.1.2024_0:0:0:0"},
      {4294967295u, {2099, 12, 4, 31, 23, 59, 59, 999}, "4294967295_31.12.2099_23:59:59:999"},
  };
  for (const auto& c : cases) {
    char key[64];
    EXPECT_STREQ(FormatLogKey(key, c.counter, c.time), c.key);
  }
}

TEST(Log, MessagesAreCutAt1023Characters) {
  ScratchDir dir("log-long");
  LogTo on(dir / "loader.log");
  const std::string longText(1500, 'x');
  LOG_LINE("%s", longText.c_str());
  EXPECT_NE(ModWriteLogFile(longText.c_str()), 0);  // the host's own long line
  auto entries = WrittenLogSection(dir / "loader.log");
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].value, longText.substr(0, 1023));
  EXPECT_EQ(entries[1].value, longText.substr(0, 1023));
}

TEST(Log, OffWithoutHostPath) {
  LogFilePath[0] = 0;
  const uint32_t before = LogLineCounter();
  EXPECT_EQ(ModWriteLogFile("nothing"), 0);
  LOG_LINE("nothing either");
  EXPECT_EQ(LogLineCounter(), before);
}

// ---------------------------------------------------------------------------
// With the writer thread running, as in the game.  A log that has grown long
// makes every write slow, so the writer lags behind the lines logged.

class LogWriter : public ::testing::Test {
 protected:
  LogWriter() : dir_("log-writer"), path_(dir_ / "ModuleLoader.log"), on_(path_) {}
  void SetUp() override { ASSERT_TRUE(StartLogWriter()); }
  void TearDown() override { StopLogWriter(); }

  // What the host's log holds after an evening's play.
  void GrowLog(int lines) {
    std::string text = "[Quorrim]\r\n";
    for (int i = 0; i < lines; ++i) text += "old" + std::to_string(i) + "_1.1.2000_0:0:0:0=MORROWIND::earlier\r\n";
    dir_.Write("ModuleLoader.log", text);
  }
  // The plug-in's entries, after the grown log's.
  std::vector<LogEntry> Ours(std::vector<LogEntry> entries) {
    std::vector<LogEntry> ours;
    for (LogEntry& e : entries)
      if (e.key.rfind("old", 0) != 0) ours.push_back(std::move(e));
    return ours;
  }

  ScratchDir dir_;
  std::string path_;
  LogTo on_;
};

struct ThreadLines {
  int thread;
  int lines;
  bool host;      // through ModWriteLogFile, as the host writes
  HANDLE go;
  int failures;   // host writes that gave 0
};
DWORD WINAPI LogLines(void* p) {
  auto* t = static_cast<ThreadLines*>(p);
  WaitForSingleObject(t->go, INFINITE);
  for (int i = 0; i < t->lines; ++i) {
    if (t->host) {
      char text[64];
      wsprintfA(text, "thread %d line %d", t->thread, i);
      if (ModWriteLogFile(text) == 0) ++t->failures;
    } else {
      LOG_LINE("thread %d line %d", t->thread, i);
    }
  }
  return 0;
}

// Game threads queue, the host writes through; every line is there once, the
// keys' numbers rise by one in the file's order, and each thread's lines
// keep their order.
TEST_F(LogWriter, LinesOfManyThreadsAreAllWrittenInTheirNumbersOrder) {
  constexpr int Threads = 5, Lines = 300;
  HANDLE go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ThreadLines work[Threads];
  HANDLE threads[Threads];
  for (int i = 0; i < Threads; ++i) {
    work[i] = {i, i == Threads - 1 ? Lines / 6 : Lines, i == Threads - 1, go, 0};
    threads[i] = CreateThread(nullptr, 0, LogLines, &work[i], 0, nullptr);
    ASSERT_NE(threads[i], nullptr);
  }
  const uint32_t first = LogLineCounter();
  SetEvent(go);
  ASSERT_EQ(WaitForMultipleObjects(Threads, threads, TRUE, 120000), WAIT_OBJECT_0);
  for (HANDLE t : threads) CloseHandle(t);
  CloseHandle(go);
  EXPECT_EQ(work[Threads - 1].failures, 0);

  const auto entries = WrittenLogSection(path_, 120000);
  size_t expected = 0;
  for (const ThreadLines& t : work) expected += t.lines;
  ASSERT_EQ(entries.size(), expected);
  std::vector<int> next(Threads, 0);
  for (size_t i = 0; i < entries.size(); ++i) {
    Key key;
    ASSERT_TRUE(ParseKey(entries[i].key, &key)) << entries[i].key;
    ASSERT_EQ(key.counter, first + i) << "entry " << i << ": " << entries[i].value;
    int thread = -1, line = -1;
    ASSERT_EQ(sscanf(entries[i].value.c_str(), "thread %d line %d", &thread, &line), 2) << entries[i].value;
    ASSERT_TRUE(thread >= 0 && thread < Threads) << entries[i].value;
    EXPECT_EQ(line, next[thread]++) << "thread " << thread;
  }
  for (int i = 0; i < Threads; ++i) EXPECT_EQ(next[i], work[i].lines) << "thread " << i;
}

struct Moment {
  uint64_t before, after;
};
DWORD WINAPI LogTheMoment(void* p) {
  auto* m = static_cast<Moment*>(p);
  m->before = LocalNow();
  LOG_LINE("MORROWIND::the moment");
  m->after = LocalNow();
  return 0;
}

// The key's time is that of the LOG_LINE call on the game's thread, not of
// the write, which comes when the writer is through the lines before it.
TEST_F(LogWriter, ALineCarriesTheTimeItWasLogged) {
  GrowLog(2000);
  for (int i = 0; i < 40; ++i) LOG_LINE("MORROWIND::ahead %d", i);
  Moment moment{};
  HANDLE t = CreateThread(nullptr, 0, LogTheMoment, &moment, 0, nullptr);
  ASSERT_NE(t, nullptr);
  WaitForSingleObject(t, INFINITE);
  CloseHandle(t);
  const auto entries = Ours(WrittenLogSection(path_, 120000));
  ASSERT_EQ(entries.size(), 41u);
  EXPECT_EQ(entries.back().value, "MORROWIND::the moment");
  Key key;
  ASSERT_TRUE(ParseKey(entries.back().key, &key)) << entries.back().key;
  const uint64_t logged = Ticks(key.time);
  EXPECT_GE(logged, moment.before) << entries.back().key;
  EXPECT_LE(logged, moment.after) << entries.back().key;
}

// The host may end the process right after its exit event: what was still
// queued is in the file when the event returns, "Unloading..." after it; and
// lines logged later are written at once by their own threads.
TEST_F(LogWriter, TheHostsExitWritesWhatIsWaiting) {
  GrowLog(2000);
  for (int i = 0; i < 30; ++i) LOG_LINE("MORROWIND::waiting %d", i);
  EXPECT_EQ(ModEventOnHostExit(), 0u);
  auto entries = Ours(ReadLogSection(path_));  // no waiting here
  ASSERT_EQ(entries.size(), 31u);
  for (int i = 0; i < 30; ++i) EXPECT_EQ(entries[i].value, "MORROWIND::waiting " + std::to_string(i));
  EXPECT_EQ(entries[30].value, "Unloading...");
  LOG_LINE("MORROWIND::after the exit");
  entries = Ours(ReadLogSection(path_));
  ASSERT_EQ(entries.size(), 32u);
  EXPECT_EQ(entries.back().value, "MORROWIND::after the exit");
}

// The host's own line answers with the profile function's result: written
// (after every line queued before it) when it returns, or 0 when the file
// cannot be written.
TEST_F(LogWriter, TheHostsLineGivesTheProfileFunctionsResult) {
  GrowLog(1000);
  for (int i = 0; i < 20; ++i) LOG_LINE("MORROWIND::queued %d", i);
  EXPECT_NE(ModWriteLogFile("host line"), 0);
  const auto entries = Ours(ReadLogSection(path_));  // no waiting here
  ASSERT_EQ(entries.size(), 21u);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(entries[i].value, "MORROWIND::queued " + std::to_string(i));
  EXPECT_EQ(entries[20].value, "host line");

  lstrcpynA(LogFilePath, (dir_ / "no such folder\\ModuleLoader.log").c_str(), sizeof LogFilePath);
  EXPECT_EQ(ModWriteLogFile("lost with its file"), 0);
  lstrcpynA(LogFilePath, path_.c_str(), sizeof LogFilePath);
}

}  // namespace
