#include "plugin/game/documents.h"

#include <windows.h>

#include <cstring>

#include "plugin/frame/plugin_state.h"
#include "plugin/frame/settings.h"
#include "plugin/game/captured_text.h"
#include "plugin/game/dialogue_capture.h"
#include "plugin/game/game_routines.h"
#include "plugin/game/game_state.h"

namespace {
using OneArgRoutine = uint32_t(__cdecl*)(uint32_t);
using TwoArgRoutine = uint32_t(__cdecl*)(uint32_t, uint32_t);
using PageCallback = uint32_t(__cdecl*)(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t);

// How many page wrappers are running on the game's thread.  Only the
// outermost empties the buffer and speaks: a page built inside another is
// part of it, and no line is handed to the voice twice.
uint32_t pageDepth = 0;

// Journal.lastText keeps the journal text spoken last: the checksum alone
// takes two pages with the same words in another order for one, so a page
// counts as heard only when its text is this one.
void ForgetJournalText() {
  if (Journal.lastText) HeapFree(GetProcessHeap(), 0, Journal.lastText);
  Journal.lastText = nullptr;
  Journal.lastLength = 0;
}

// Without memory for the copy the page is simply not known as heard: it is
// read again next time rather than another page being kept silent.
void RememberJournalText(const char* text, uint32_t length) {
  ForgetJournalText();
  Journal.lastText = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, length + 1));
  if (!Journal.lastText) return;
  std::memcpy(Journal.lastText, text, length + 1);
  Journal.lastLength = length;
}

bool HeardLast(const char* text, uint32_t length, uint32_t checksum) {
  return checksum == Journal.lastChecksum && Journal.lastText && length == Journal.lastLength &&
         std::memcmp(text, Journal.lastText, length) == 0;
}

bool PageOpen() { return pageDepth > 0; }

void BeginPage() {
  if (pageDepth++ == 0) ClearCapturedText();
}

// The page is handed over and leaves the buffer.
void EndPage() {
  if (--pageDepth > 0) return;
  SpeakCapturedText();
  ClearCapturedText();
}

uint32_t SpeakAroundCallback(uint32_t offset, uint32_t a1, uint32_t a2, uint32_t a3, uint32_t a4, uint32_t a5) {
  BeginPage();
  const uint32_t result = game::At<PageCallback>(offset)(a1, a2, a3, a4, a5);
  EndPage();
  return result;
}
}  // namespace

void AppendTextLine(const char* line) {
  if (!line) return;
  const int length = lstrlenA(line);
  AppendCapturedText(line, line[length + 3] == '>' ? ". " : "  ");
}

uint32_t __cdecl CaptureAndSpeakDocument(uint32_t a1, uint32_t a2) {
  BeginPage();
  const uint32_t result = game::At<TwoArgRoutine>(game_offsets::OpenDocument)(a1, a2);
  EndPage();
  return result;
}

uint32_t __cdecl CaptureAndSpeakBook(uint32_t a1) {
  BeginPage();
  const uint32_t result = game::At<OneArgRoutine>(game_offsets::OpenBook)(a1);
  EndPage();
  return result;
}

uint32_t __cdecl CaptureAndSpeakPageA(uint32_t a1, uint32_t a2, uint32_t a3, uint32_t a4, uint32_t a5) {
  return SpeakAroundCallback(game_offsets::BookPageCallbackA, a1, a2, a3, a4, a5);
}

uint32_t __cdecl CaptureAndSpeakPageB(uint32_t a1, uint32_t a2, uint32_t a3, uint32_t a4, uint32_t a5) {
  return SpeakAroundCallback(game_offsets::BookPageCallbackB, a1, a2, a3, a4, a5);
}

uint32_t __cdecl CaptureJournalPage(uint32_t a1, uint32_t a2, uint32_t a3, uint32_t a4, uint32_t a5) {
  const auto callback = game::At<PageCallback>(game_offsets::JournalPageCallback);
  if (PageOpen()) {  // inside another page: its entries are part of that page
    ++pageDepth;
    const uint32_t result = callback(a1, a2, a3, a4, a5);
    --pageDepth;
    return result;
  }
  ++pageDepth;
  ClearCapturedText();
  const uint32_t result = callback(a1, a2, a3, a4, a5);
  --pageDepth;
  if (CapturedText && CapturedText[0]) {
    const uint32_t length = static_cast<uint32_t>(lstrlenA(CapturedText));
    const uint32_t checksum = TextChecksum(CapturedText, length);
    if (!HeardLast(CapturedText, length, checksum)) {
      Journal.lastChecksum = checksum;
      RememberJournalText(CapturedText, length);
      SpeakCapturedText();
    }
  } else if (Settings.AlwReadOpenJnl) {
    Journal.lastChecksum = 0;
    ForgetJournalText();
  }
  ClearCapturedText();
  return result;
}
