#include "plugin/frame/log.h"

#include <cstdarg>
#include <cstring>

namespace {

constexpr int MaxMessage = 1023;   // what wsprintfA produces at most
constexpr DWORD WriterRoundMs = 10;
constexpr int SlotsPerBlock = 64;  // lines the pool grows by

// One line, from the moment it is logged until it is in the file.
struct Line {
  Line* next;
  uint32_t counter;
  FILETIME time;  // of the moment it was logged, UTC: the local time is worked out when it is written
  bool pooled;    // a slot of the pool, which takes it back once written (else on its writer's stack)
  char text[MaxMessage + 1];
};

struct Section : CRITICAL_SECTION {
  Section() { InitializeCriticalSection(this); }
};
// The queue, the pool of free slots and the counter.  Held for a few
// instructions only: a line takes its number and its place in the queue
// together, so the queue is always in the order of the numbers.
Section queueSection;
// Held by whichever thread writes the queue into the file, so that one
// thread at a time writes, from the oldest line on.
Section fileSection;

Line* oldest;
Line* newest;
// Slots come from the process heap in blocks and are never given back: a
// game thread that logs takes one here instead of calling the heap, whose
// lock the writer's profile calls hold half the time.
Line* freeSlots;
volatile uint32_t lineCounter;  // changed under queueSection only
volatile LONG writerRunning;    // changed under fileSection once the writer runs
HMODULE writerModule;           // the writer's reference to the library
volatile LONG lastThread;

// Takes the section, unless the process is ending: then this thread is the
// only one left, and the others may have been stopped while holding it.
class Hold {
 public:
  explicit Hold(CRITICAL_SECTION& s) : section_(lastThread ? nullptr : &s) {
    if (section_) EnterCriticalSection(section_);
  }
  ~Hold() {
    if (section_) LeaveCriticalSection(section_);
  }
  Hold(const Hold&) = delete;
  Hold& operator=(const Hold&) = delete;

 private:
  CRITICAL_SECTION* section_;
};

// A new block of slots, all but `keep` of them free.  False without memory.
bool AddSlots(Line** keep) {
  if (lastThread) return false;  // the heap's lock may be held by a stopped thread
  auto* block = static_cast<Line*>(HeapAlloc(GetProcessHeap(), 0, sizeof(Line) * SlotsPerBlock));
  if (!block) return false;
  for (int i = 0; i < SlotsPerBlock; ++i) block[i].pooled = true;
  int first = 0;
  if (keep) *keep = &block[first++];
  Hold hold(queueSection);
  for (int i = first; i < SlotsPerBlock; ++i) {
    block[i].next = freeSlots;
    freeSlots = &block[i];
  }
  return true;
}

// A free slot, or null when there is none and no memory for more.
Line* TakeSlot() {
  {
    Hold hold(queueSection);
    if (Line* slot = freeSlots) {
      freeSlots = slot->next;
      return slot;
    }
  }
  Line* slot = nullptr;
  return AddSlots(&slot) ? slot : nullptr;
}

// The text, cut as wsprintfA would cut it.
void Fill(Line* line, const char* text) {
  const size_t length = strnlen(text, MaxMessage);
  std::memcpy(line->text, text, length);
  line->text[length] = 0;
}

// The line's number and time are those of this moment, whenever it gets
// written.
void Enqueue(Line* line) {
  line->next = nullptr;
  GetSystemTimeAsFileTime(&line->time);
  Hold hold(queueSection);
  line->counter = lineCounter;
  lineCounter = line->counter + 1;
  if (newest) newest->next = line;
  else oldest = line;
  newest = line;
}

int Write(const Line& line) {
  if (!LoggingOn()) return 0;  // turned off again (only tests do that)
  FILETIME local;
  SYSTEMTIME t;
  FileTimeToLocalFileTime(&line.time, &local);
  FileTimeToSystemTime(&local, &t);
  char key[64];
  FormatLogKey(key, line.counter, t);
  return WritePrivateProfileStringA(ProductName, key, line.text, LogFilePath);
}

// Writes the oldest waiting line and takes it out of the queue; the caller
// holds fileSection.  A line leaves the queue only once it is written: a
// thread stopped in the middle of a write (at process exit) leaves it to the
// last thread, which writes it again under the same key.
struct Written {
  bool any;
  bool last;   // it was the line asked for
  int result;  // the profile function's
};
Written WriteOldest(const Line* last) {
  Line* line;
  {
    Hold hold(queueSection);
    line = oldest;
  }
  if (!line) return {false, false, 0};
  const int result = Write(*line);
  const bool isLast = line == last;
  Hold hold(queueSection);
  oldest = line->next;
  if (!oldest) newest = nullptr;
  if (line->pooled) {
    line->next = freeSlots;
    freeSlots = line;
  }
  return {true, isLast, result};
}

// Writes the queue through `last` (to its end when null), giving the result
// for the last line written; the caller holds fileSection.
int WriteQueue(const Line* last) {
  int result = 0;
  for (;;) {
    const Written w = WriteOldest(last);
    if (!w.any) return result;
    result = w.result;
    if (w.last) return result;
  }
}

// Writes what is waiting and then this line, on the calling thread.  Without
// a slot the line lives on this stack: it is out of the queue again before
// this returns.
int WriteNow(const char* text) {
  Line own;
  own.pooled = false;
  Line* line = TakeSlot();
  if (!line) line = &own;
  Fill(line, text);
  Hold hold(fileSection);
  Enqueue(line);
  return WriteQueue(line);
}

// Polls rather than being woken: a game thread that logs pays for no call
// into the system.  The file is let go between two lines, so that a host
// writing its own line takes over the queue at once, at its own priority,
// and so that StopLogWriter finds the writer between two lines.
DWORD WINAPI WriterProc(void*) {
  for (;;) {
    bool more;
    {
      Hold hold(fileSection);
      if (!writerRunning) break;
      more = WriteOldest(nullptr).any;
    }
    if (!more) Sleep(WriterRoundMs);
  }
  FreeLibraryAndExitThread(writerModule, 0);
}
}  // namespace

char* FormatLogKey(char* buffer, uint32_t counter, const SYSTEMTIME& t) {
  wsprintfA(buffer, "%u_%u.%u.%u_%u:%u:%u:%u", static_cast<unsigned>(counter), t.wDay, t.wMonth, t.wYear, t.wHour,
            t.wMinute, t.wSecond, t.wMilliseconds);
  return buffer;
}

uint32_t LogLineCounter() { return lineCounter; }

extern "C" int __stdcall ModWriteLogFile(const char* text) {
  if (!LoggingOn() || text == nullptr) return 0;
  return WriteNow(text);
}

int __stdcall QueueLogLine(const char* text) {
  if (!LoggingOn() || text == nullptr) return 0;
  if (!writerRunning || lastThread) return WriteNow(text);
  Line* line = TakeSlot();
  if (!line) return WriteNow(text);  // written here and now rather than lost
  Fill(line, text);
  Enqueue(line);
  // The writer was stopped in the meantime (the host's exit): no one else
  // will write this line.
  if (!writerRunning) {
    Hold hold(fileSection);
    WriteQueue(nullptr);
  }
  return 1;
}

bool StartLogWriter() {
  if (writerRunning) return true;
  if (!LoggingOn()) return false;
  if (!freeSlots) AddSlots(nullptr);  // for the lines of the game's first minutes
  // A reference of the writer's own keeps the library mapped while it runs,
  // however the host unloads it.
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(&WriterProc),
                          &writerModule))
    return false;
  HANDLE thread = CreateThread(nullptr, 0, WriterProc, nullptr, CREATE_SUSPENDED, nullptr);
  if (!thread) {
    FreeLibrary(writerModule);
    return false;
  }
  // The game's threads come first; the writer has the time they leave.
  SetThreadPriority(thread, THREAD_PRIORITY_BELOW_NORMAL);
  writerRunning = 1;
  ResumeThread(thread);
  CloseHandle(thread);
  return true;
}

// Taking the file means the writer is between two lines; once it sees the
// flag down it leaves without writing again.  Nothing here waits for the
// thread itself, which may need the loader lock to end.
void StopLogWriter() {
  Hold hold(fileSection);
  writerRunning = 0;
  WriteQueue(nullptr);
}

void LogFromTheLastThread() { lastThread = 1; }

void LogLine(const char* format, LogSink sink, ...) {
  char buffer[2048];
  va_list args;
  va_start(args, sink);
  wvsprintfA(buffer, format, args);
  va_end(args);
  buffer[MaxMessage] = 0;
  sink(buffer);
}
