// Reading back what the plug-in linked into a test has logged.  Its lines
// reach the file in the order they were logged, but once its writer runs
// they get there later, from a thread of its own.  So a reader logs a marker
// line the same way and waits (bounded) until the marker is in the file:
// every line logged before it is written then.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugin/frame/log.h"
#include "support/test_support.h"

namespace testsupport {

inline constexpr char WrittenMarker[] = "TEST::written up to here #";

// The entries of the log at `path` (which must be LogFilePath), markers left
// out, once every line logged before this call is in it.
inline std::vector<LogEntry> WrittenLogSection(const std::string& path, DWORD timeoutMs = 30000) {
  std::vector<LogEntry> entries;
  auto withoutMarkers = [&entries] {
    std::vector<LogEntry> kept;
    for (LogEntry& e : entries)
      if (e.value.rfind(WrittenMarker, 0) != 0) kept.push_back(std::move(e));
    return kept;
  };
  if (lstrcmpiA(LogFilePath, path.c_str()) != 0) {
    ADD_FAILURE() << "the plug-in logs into \"" << LogFilePath << "\", not into " << path;
    entries = ReadLogSection(path);
    return withoutMarkers();
  }
  static volatile LONG markers = 0;
  const std::string marker = WrittenMarker + std::to_string(InterlockedIncrement(&markers));
  LOG_LINE("%s", marker.c_str());
  const DWORD start = GetTickCount();
  for (;;) {
    entries = ReadLogSection(path);
    for (size_t i = 0; i < entries.size(); ++i)
      if (entries[i].value == marker) {
        entries.resize(i);
        return withoutMarkers();
      }
    if (GetTickCount() - start > timeoutMs) break;
    Sleep(10);
  }
  ADD_FAILURE() << "the line logged " << timeoutMs << " ms ago is still not in " << path
                << ": the log's lines are not written (" << entries.size() << " entries there)";
  return withoutMarkers();
}

inline std::vector<std::string> WrittenLog(const std::string& path, DWORD timeoutMs = 30000) {
  std::vector<std::string> values;
  for (LogEntry& e : WrittenLogSection(path, timeoutMs)) values.push_back(std::move(e.value));
  return values;
}

// Turns the plug-in's log off once every line logged so far is written, so
// that no line of one test lands in the next one's file.
inline void CloseLog() {
  if (LogFilePath[0] == 0) return;
  WrittenLogSection(LogFilePath);
  LogFilePath[0] = 0;
}

}  // namespace testsupport
