// The configurator's reading of a hand-edited LirraCfg.ini: integer values
// (decimal or "0x"), voice tags inside a configuration, the search from the
// end of a path, and the key chords.  Input: 4 bytes (a number), 2 bytes (n
// and skip), then text.  Properties: a number written in either form reads
// back the same; a configuration the configurator writes gives back its
// three values; a position found holds the character looked for and lies in
// the text; a chord unpacked and packed again is the same chord.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "configurator/configurator_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 6) return 0;
  int32_t number;
  std::memcpy(&number, data, sizeof number);
  const int n = static_cast<int8_t>(data[4]);
  const int skip = static_cast<int8_t>(data[5]);
  const std::string text(reinterpret_cast<const char*>(data + 6), size - 6);

  ParseIntValue(text, 7);
  if (ParseIntValue(std::to_string(number), ~number) != number) std::abort();
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%X", static_cast<unsigned>(number));
  if (ParseIntValue(hex, ~number) != number) std::abort();

  ReadVoiceTag(text, text);
  ReadVoiceTag("PITCH ABSMIDDLE", text);
  const int pitch = static_cast<int8_t>(data[4]) % 11, rate = static_cast<int8_t>(data[5]) % 11;
  const std::string config = VoiceConfigText(pitch, rate, number & 0x7F);
  if (ReadVoiceTag("pitch absmiddle", config) != pitch || ReadVoiceTag("RATE ABSSPEED", config) != rate ||
      ReadVoiceTag("Volume Level", config) != (number & 0x7F))
    std::abort();

  const int at = FindCharFromEnd(text, '\\', n, skip);
  if (at != -1 && (at < 0 || at >= static_cast<int>(text.size()) || text[at] != '\\')) std::abort();

  const uint32_t chord = static_cast<uint32_t>(number);
  const uint8_t cells[4] = {ChordKey(chord, 0), ChordKey(chord, 1), ChordKey(chord, 2), ChordKey(chord, 3)};
  if (PackKeyChord(cells) != chord) std::abort();
  return 0;
}
