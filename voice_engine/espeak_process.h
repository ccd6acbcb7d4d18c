// espeak-ng run as a Unix program from inside Wine.  Wine starts a Unix
// program through CreateProcess, but its process handle cannot be waited on
// and no standard handles reach it, so the text goes in a file and the wave
// comes back in one, read once espeak-ng has written its final sizes into
// the header.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct EspeakRequest {
  std::string program;  // Unix path
  std::string voice;    // espeak-ng's language file and variant: "gmw/en", "zle/ru+f3"
  std::string text;     // UTF-8
  long wordsPerMinute = 175;
  long pitch = 50;  // espeak-ng's 0..99
};

struct EspeakWave {
  uint32_t sampleRate = 0;
  std::vector<int16_t> samples;  // mono
};

// The first of `candidates` (Unix paths) that exists, seen through Wine's
// Z: drive; empty when none does.
std::string FindEspeak(const std::vector<std::string>& candidates);

// S_OK with the wave; EspeakNotStarted or EspeakNoWave (quorrim_voice.h).
HRESULT RunEspeak(const EspeakRequest& request, EspeakWave& wave);

// Z:\ + the Unix path with backslashes.
std::string UnixToWine(const std::string& unixPath);
