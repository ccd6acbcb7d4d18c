// The plug-in's trace: one entry per line in the host's log file (a profile
// file), section "Quorrim", key "<counter>_<d>.<m>.<y>_<h>:<m>:<s>:<ms>".
//
// Each profile write reads and rewrites the whole file, so it costs more the
// longer the game has run.  The game's threads therefore never write: a line
// is made where it is logged (its number and local time taken there and
// then) and queued, and the log's writer thread writes the queue in the
// order of the numbers.  Where no writer runs (during attach, in loader
// mode, after the host's exit) and for the host's own lines, the caller
// writes the queue itself, up to and including its line.
#pragma once
#include <windows.h>
#include <cstdint>
#include "plugin/frame/plugin_state.h"

using LogSink = int(__stdcall*)(const char* text);

// The host's entry: writes what is waiting, then this line; the profile
// function's result for this line (0 when logging is off).
extern "C" int __stdcall ModWriteLogFile(const char* text);

// The plug-in's own lines: queued for the writer when it runs, else written
// at once.  Non-zero when the line is queued or written.
int __stdcall QueueLogLine(const char* text);

// Formats the key of line number `counter` logged at local time `time` into
// buffer (64 bytes).
char* FormatLogKey(char* buffer, uint32_t counter, const SYSTEMTIME& time);

// Formats by the wsprintfA rules (at most 1023 characters) and hands the text
// to sink.
void LogLine(const char* format, LogSink sink, ...);

// Starts the thread that writes the queued lines (once; attach, with
// logging on).  False when it cannot run: lines are then written by the
// threads that log them.
bool StartLogWriter();

// The host's exit (or detach): the writer stops once it is between two
// lines, and every line still waiting is written on the calling thread, as
// are all lines after it.  No thread is left writing when the process ends.
void StopLogWriter();

// The process is ending and this is its last thread (detach at process
// exit): the others were stopped wherever they were, so the log takes no
// lock and no heap block any more, and every line is written at once.
void LogFromTheLastThread();

// The number the next line will get.
uint32_t LogLineCounter();

inline bool LoggingOn() { return LogFilePath[0] != 0; }

// Logs one formatted line when logging is on; costs one byte test when off.
#define PLUGIN_LOG(...)                                   \
  do {                                                    \
    if (LoggingOn()) LogLine(__VA_ARGS__);                \
  } while (0)
#define LOG_LINE(format, ...) PLUGIN_LOG(format, QueueLogLine __VA_OPT__(, ) __VA_ARGS__)
