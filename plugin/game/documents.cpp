#include "plugin/game/documents.h"

#include "plugin/frame/plugin_state.h"
#include "plugin/game/captured_text.h"
#include "plugin/game/dialogue_capture.h"
#include "plugin/game/game_routines.h"

namespace {
using OneArgRoutine = uint32_t(__cdecl*)(uint32_t);
using TwoArgRoutine = uint32_t(__cdecl*)(uint32_t, uint32_t);
using PageCallback = uint32_t(__cdecl*)(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t);

uint32_t SpeakAroundCallback(uint32_t offset, uint32_t a1, uint32_t a2, uint32_t a3, uint32_t a4, uint32_t a5) {
  ClearCapturedText();
  const uint32_t result = game::At<PageCallback>(offset)(a1, a2, a3, a4, a5);
  SpeakCapturedText();
  return result;
}
}  // namespace

void AppendTextLine(const char*) {}

uint32_t __cdecl CaptureAndSpeakDocument(uint32_t a1, uint32_t a2) {
  ClearCapturedText();
  const uint32_t result = game::At<TwoArgRoutine>(game_offsets::OpenDocument)(a1, a2);
  SpeakCapturedText();
  return result;
}

uint32_t __cdecl CaptureAndSpeakBook(uint32_t a1) {
  ClearCapturedText();
  const uint32_t result = game::At<OneArgRoutine>(game_offsets::OpenBook)(a1);
  SpeakCapturedText();
  return result;
}

uint32_t __cdecl CaptureAndSpeakPageA(uint32_t a1, uint32_t a2, uint32_t a3, uint32_t a4, uint32_t a5) {
  return SpeakAroundCallback(game_offsets::BookPageCallbackA, a1, a2, a3, a4, a5);
}

uint32_t __cdecl CaptureAndSpeakPageB(uint32_t a1, uint32_t a2, uint32_t a3, uint32_t a4, uint32_t a5) {
  return SpeakAroundCallback(game_offsets::BookPageCallbackB, a1, a2, a3, a4, a5);
}

uint32_t __cdecl CaptureJournalPage(uint32_t a1, uint32_t a2, uint32_t a3, uint32_t a4, uint32_t a5) {
  ClearCapturedText();
  return game::At<PageCallback>(game_offsets::JournalPageCallback)(a1, a2, a3, a4, a5);
}
