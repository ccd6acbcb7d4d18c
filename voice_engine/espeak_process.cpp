#include "voice_engine/espeak_process.h"

#include <cstring>

#include "voice_engine/quorrim_voice.h"

namespace {

LONG Serial = 0;

bool WriteWhole(const std::string& path, const std::string& bytes) {
  HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok =
      WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
  CloseHandle(f);
  return ok;
}

// The wave file once it is complete: espeak-ng writes placeholder sizes
// first and the real ones when it closes the file.
bool ReadCompleteWave(const std::string& path, std::vector<uint8_t>& wave) {
  HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  const DWORD size = GetFileSize(f, nullptr);
  DWORD got = 0;
  wave.assign(size == INVALID_FILE_SIZE ? 0 : size, 0);
  if (size >= 44 && size != INVALID_FILE_SIZE) ReadFile(f, wave.data(), size, &got, nullptr);
  CloseHandle(f);
  if (got < 44 || got != size) return false;
  uint32_t riff = 0, data = 0;
  std::memcpy(&riff, &wave[4], 4);
  std::memcpy(&data, &wave[40], 4);
  return riff + 8 == size && data + 44 == size;
}

}  // namespace

std::string UnixToWine(const std::string& unixPath) {
  std::string p = "Z:" + unixPath;
  for (char& c : p)
    if (c == '/') c = '\\';
  return p;
}

std::string FindEspeak(const std::vector<std::string>& candidates) {
  for (const std::string& c : candidates)
    if (!c.empty() && c[0] == '/' && GetFileAttributesA(UnixToWine(c).c_str()) != INVALID_FILE_ATTRIBUTES) return c;
  return "";
}

HRESULT RunEspeak(const EspeakRequest& request, EspeakWave& wave) {
  char stem[128];
  wsprintfA(stem, "/tmp/quorrim-voice-%lu-%lu-%ld", GetCurrentProcessId(), GetCurrentThreadId(),
            InterlockedIncrement(&Serial));
  const std::string unixText = std::string(stem) + ".txt", unixWave = std::string(stem) + ".wav";
  const std::string text = UnixToWine(unixText), waveFile = UnixToWine(unixWave);
  if (!WriteWhole(text, request.text)) return EspeakNotStarted;
  DeleteFileA(waveFile.c_str());

  // The text is read from its file as UTF-8 (-b 1): quotes and letters of
  // any script never pass through a command line.
  std::string command = request.program + " -b 1 -v " + request.voice + " -s " +
                        std::to_string(request.wordsPerMinute) + " -p " + std::to_string(request.pitch) +
                        " -a 100 -w " + unixWave + " -f " + unixText;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    DeleteFileA(text.c_str());
    return EspeakNotStarted;
  }
  if (pi.hProcess) CloseHandle(pi.hProcess);
  if (pi.hThread) CloseHandle(pi.hThread);

  // Generous: under an emulated Wine espeak-ng starts slowly.  A text of
  // many pages is still bounded.
  const DWORD limit = 20000 + 40 * static_cast<DWORD>(request.text.size() < 100000 ? request.text.size() : 100000);
  std::vector<uint8_t> bytes;
  bool complete = false;
  const DWORD start = GetTickCount();
  while (!complete && GetTickCount() - start < limit) {
    Sleep(15);
    complete = ReadCompleteWave(waveFile, bytes);
  }
  DeleteFileA(text.c_str());
  DeleteFileA(waveFile.c_str());
  if (!complete) return EspeakNoWave;
  uint16_t channels = 0, bits = 0;
  std::memcpy(&channels, &bytes[22], 2);
  std::memcpy(&wave.sampleRate, &bytes[24], 4);
  std::memcpy(&bits, &bytes[34], 2);
  if (channels != 1 || bits != 16 || wave.sampleRate == 0) return EspeakNoWave;
  wave.samples.resize((bytes.size() - 44) / 2);
  if (!wave.samples.empty()) std::memcpy(wave.samples.data(), &bytes[44], wave.samples.size() * 2);
  return S_OK;
}
