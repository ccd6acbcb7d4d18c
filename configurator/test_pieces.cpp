#include "configurator/test_pieces.h"

#include <mmsystem.h>
#include <dsound.h>

#include "common/sentence_split.h"

namespace {

// The test being said: the window's voice and sound, what is left of the
// text, and the next piece's buffer once it is made.
struct Pieces {
  SpeechVoice* voice = nullptr;
  TestSound* sound = nullptr;
  std::string text;
  SpokenForm spoken;
  uint32_t next = 0;
  int32_t frequencyOffset = 0;
  IDirectSoundBuffer* ready = nullptr;
  UINT_PTR timer = 0;
};
Pieces pieces;

constexpr UINT PollMs = 10;

// The piece [from, end) rendered into a new buffer, or null.
IDirectSoundBuffer* Render(uint32_t from, uint32_t end) {
  pieces.voice->Speak(pieces.spoken(pieces.text.substr(from, end - from)).c_str());
  const uint8_t* audio = nullptr;
  uint32_t size = 0;
  if (pieces.voice->GetAudio(&audio, &size) != 0) return nullptr;
  return PitchedTestBuffer(pieces.sound->device, *pieces.voice, audio, size, pieces.frequencyOffset);
}

bool Playing(IDirectSoundBuffer* buffer) {
  DWORD status = 0;
  return buffer && SUCCEEDED(buffer->GetStatus(&status)) && (status & DSBSTATUS_PLAYING);
}

void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
  const auto length = static_cast<uint32_t>(pieces.text.size());
  if (!pieces.ready && pieces.next < length) {
    const uint32_t end = SpeechPieceEnd(pieces.text.c_str(), length, pieces.next);
    pieces.ready = Render(pieces.next, end);
    pieces.next = end;
    if (!pieces.ready) return StopTestPieces();
  }
  TestSound& sound = *pieces.sound;
  if (Playing(sound.buffer)) return;
  if (!pieces.ready) return StopTestPieces();  // the last piece has played
  if (sound.buffer) sound.buffer->Release();
  sound.buffer = pieces.ready;
  pieces.ready = nullptr;
  sound.buffer->Play(0, 0, 0);
}

}  // namespace

bool StartTestPieces(SpeechVoice& voice, TestSound& sound, const std::string& text, const SpokenForm& spoken,
                     int32_t frequencyOffset) {
  const auto length = static_cast<uint32_t>(text.size());
  const uint32_t first = SpeechPieceEnd(text.c_str(), length, 0);
  if (first >= length || text.find('<') != std::string::npos) return false;
  StopTestPieces();
  // As with a whole text: without audio the test playing so far plays on;
  // a buffer that cannot be made leaves silence.
  voice.Speak(spoken(text.substr(0, first)).c_str());
  const uint8_t* audio = nullptr;
  uint32_t size = 0;
  if (voice.GetAudio(&audio, &size) != 0) return true;
  if (sound.buffer) {  // a test still playing stops before the next begins
    sound.buffer->Stop();
    sound.buffer->Release();
  }
  sound.buffer = PitchedTestBuffer(sound.device, voice, audio, size, frequencyOffset);
  if (!sound.buffer) return true;
  sound.buffer->Play(0, 0, 0);
  pieces.voice = &voice;
  pieces.sound = &sound;
  pieces.text = text;
  pieces.spoken = spoken;
  pieces.next = first;
  pieces.frequencyOffset = frequencyOffset;
  pieces.timer = SetTimer(nullptr, 0, PollMs, OnTimer);
  if (!pieces.timer) StopTestPieces();  // the first piece alone
  return true;
}

void StopTestPieces() {
  if (pieces.timer) KillTimer(nullptr, pieces.timer);
  if (pieces.ready) pieces.ready->Release();
  pieces = Pieces{};
}

bool TestPiecesGoOn() { return pieces.timer != 0; }
