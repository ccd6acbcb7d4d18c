// The second way to speak: Wine's own SAPI with the Quorrim voices
// (QuorrimVoice.dll over espeak-ng) instead of the stand-in.  Runs in the
// Wine 10 root (QUORRIM_WINE_ROOT, set by this test's CTest entry), whose
// SAPI has no memory-stream or audio-format class and reads no markup.
//
// The configurator's INSTALL registers the voices in the prefix and LISTEN
// is heard on the sound device; then the game double's scene speaks its
// dialogue lines and pages through the say routine and ProcessVoiceFile.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>
#include <objbase.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "configurator/resource.h"
#include "sapi_standin_control.h"
#include "support/test_support.h"
#include "window_driver.h"

using namespace testsupport;
using namespace windowdriver;

namespace {

const char VoiceTokens[] = "SOFTWARE\\Microsoft\\Speech\\Voices\\Tokens";
const char OwnTokens[][32] = {"QuorrimVoice-en-male", "QuorrimVoice-en-female", "QuorrimVoice-ru-male",
                              "QuorrimVoice-ru-female"};

bool TokenThere(const char* name) {
  HKEY key = nullptr;
  const bool there = RegOpenKeyExA(HKEY_LOCAL_MACHINE, (std::string(VoiceTokens) + "\\" + name).c_str(), 0, KEY_READ,
                                   &key) == ERROR_SUCCESS;
  if (there) RegCloseKey(key);
  return there;
}


// This is Wine's SAPI, not the stand-in: the voice class comes from Wine's
// sapi.dll.
TEST(WineSapi, ThePrefixHasWinesOwnSapi) {
  const CLSID spVoice = {0x96749377, 0x3391, 0x11D2, {0x9E, 0xE3, 0x00, 0xC0, 0x4F, 0x79, 0x73, 0x96}};
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  IUnknown* voice = nullptr;
  ASSERT_EQ(CoCreateInstance(spVoice, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(&voice)),
            S_OK);
  HMODULE owner = nullptr;
  char name[MAX_PATH] = {};
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     *reinterpret_cast<const char* const*>(voice), &owner);
  GetModuleFileNameA(owner, name, MAX_PATH);
  voice->Release();
  const std::string file = name;
  EXPECT_EQ(file.substr(file.find_last_of('\\') + 1), "sapi.dll");
  EXPECT_NE(GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version"), nullptr);
}

// What the default sound device plays, for a while, through the null
// sink's monitor (the root's PulseAudio records what it is given).
class Recording {
 public:
  explicit Recording(DWORD ms) : pcm_(44100 * ms / 1000) {
    WAVEFORMATEX format{WAVE_FORMAT_PCM, 1, 44100, 88200, 2, 16, 0};
    if (waveInOpen(&in_, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
      in_ = nullptr;
      return;
    }
    header_.lpData = reinterpret_cast<char*>(pcm_.data());
    header_.dwBufferLength = static_cast<DWORD>(pcm_.size() * 2);
    waveInPrepareHeader(in_, &header_, sizeof header_);
    waveInAddBuffer(in_, &header_, sizeof header_);
    waveInStart(in_);
  }
  ~Recording() { Stop(); }
  bool opened() const { return in_ != nullptr; }
  // Waits until the buffer is full, then the RMS of what was recorded.
  int Rms() {
    WaitFor([&] { return (header_.dwFlags & WHDR_DONE) != 0; }, 30000);
    Stop();
    const size_t samples = header_.dwBytesRecorded / 2;
    double sum = 0;
    for (size_t i = 0; i < samples; ++i) sum += double(pcm_[i]) * pcm_[i];
    return samples ? static_cast<int>(std::sqrt(sum / samples)) : 0;
  }

 private:
  void Stop() {
    if (!in_) return;
    waveInReset(in_);
    waveInUnprepareHeader(in_, &header_, sizeof header_);
    waveInClose(in_);
    in_ = nullptr;
  }
  HWAVEIN in_ = nullptr;
  WAVEHDR header_{};
  std::vector<int16_t> pcm_;
};

std::string InstallLogTail(HWND log) {
  std::string text = TextOf(log);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  const size_t start = text.rfind('\n');
  text = start == std::string::npos ? text : text.substr(start + 1);
  return text.size() > 11 && text[0] == '[' ? text.substr(11) : text;  // without "[hh:nn:ss] "
}

// A player on Linux: the prefix has no voice, so the configurator lists
// none.  INSTALL registers the Quorrim voices, the VOICES page lists them
// at once with the file's voice chosen, and LISTEN on the TESTING page is
// heard on the sound device.
TEST(WineSapi, InstallRegistersTheVoicesAndListenIsHeard) {
  for (const char* t : OwnTokens) RegDeleteTreeA(HKEY_LOCAL_MACHINE, (std::string(VoiceTokens) + "\\" + t).c_str());
  ScratchDir dir("wine-sapi-listen");
  const std::string game = dir.path() + "\\Morrowind\\", tool = game + "Data Files\\Quorrim\\";
  for (const std::string& d : {game, game + "Data Files\\", tool}) CreateDirectoryA(d.c_str(), nullptr);
  auto write = [](const std::string& path, const std::string& text) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written;
    WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(f);
  };
  write(game + "Morrowind.ini", "[General]\r\n");
  write(game + "ModuleLoader.ini", "[Parameters]\r\nTargetName=Morrowind.exe\r\n");
  write(tool + "LirraCfg.ini", "[BaseConfig]\r\nLangIndex=1\r\n[LirraDlg]\r\nVoiceFemaleName=Quorrim English Female\r\n");
  for (const char* f : {"Sethrim.exe", "QuorrimVoice.dll"})
    ASSERT_TRUE(CopyFileA((RuntimeDir() + "\\" + f).c_str(), (tool + f).c_str(), FALSE)) << f;

  Program sethrim(tool + "Sethrim.exe", tool);
  const HWND main = sethrim.WaitForWindow("TfmTCfgMain");
  ASSERT_NE(main, nullptr) << "no window";
  const std::map<int, HWND> controls = ControlsOf(main);
  const HWND women = controls.at(IDC_cbVDlgFemale);
  EXPECT_EQ(SendMessageW(women, CB_GETCOUNT, 0, 0), 0);
  SendMessageW(controls.at(IDC_bInstall), BM_CLICK, 0, 0);
  EXPECT_EQ(InstallLogTail(controls.at(IDC_meInstMessages)),
            "Wine: the prefix had no voice, the Quorrim voices (espeak-ng) are installed");
  for (const char* t : OwnTokens) EXPECT_TRUE(TokenThere(t)) << t;
  EXPECT_EQ(SendMessageW(women, CB_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(TextOf(women), "Quorrim English Female");

  SendMessageW(controls.at(IDC_cbTestVoice), CB_SETCURSEL, 1, 0);  // the women's voice
  SetWindowTextW(controls.at(IDC_meTestText), L"Welcome to Seyda Neen, outlander.");
  Recording quiet(1000);
  ASSERT_TRUE(quiet.opened()) << "no recording device";
  const int silence = quiet.Rms();
  Recording heard(4000);
  SendMessageW(controls.at(IDC_bHearTestVoice), BM_CLICK, 0, 0);
  const int rms = heard.Rms();
  EXPECT_LT(silence, 50);
  EXPECT_GT(rms, 300) << "LISTEN was not heard";
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(sethrim.WaitForExit(), 0);
}

// Pitch offsets chosen so that every sum is distinct, as in the stand-in's
// scene: the race and base pitches reach the buffer on this route too.
const char Settings[] =
    "[BaseConfig]\r\nVoiceFxByRace=1\r\nVPBaseMale=-300\r\nVPBaseFemale=2000\r\nVPBaseCreature=700\r\n"
    "[RaceConfig]\r\nVPDarkElf=1000\r\nVPOrc=-4000\r\n"
    "[LirraDlg]\r\nVoiceEnable=1\r\nAutoSpeak=1\r\nVoiceMaleName=Quorrim English Male\r\n"
    "VoiceFemaleName=Quorrim English Female\r\nVoiceCreatureName=Quorrim English Male\r\n"
    "[LirraDoc]\r\nVoiceEnable=1\r\nVoiceName=Quorrim English Female\r\n";

struct Scene {
  Scene() : dir("wine-sapi-scene") {
    for (const char* f : {"Morrowind.exe", "Vandrel.dll", "MLDRLib.dll"}) dir.CopyFromRuntime(f);
    dir.Write("LirraCfg.ini", Settings);
    exitCode = RunProgram("\"" + (dir / "Morrowind.exe") + "\" --report \"" + (dir / "report.txt") +
                              "\" --wait-log \"WRKTHREAD::Entering message loop.\" --scene --record heard.wav",
                          dir.path(), 270000);  // below ctest's limit, so this test reports it
    report = ReadFile(dir / "report.txt");
    log = LogValues(dir / "ModuleLoader.log");
  }
  std::string Value(const std::string& name) const { return ReportValue(report, name); }
  ScratchDir dir;
  int exitCode;
  std::string report;
  std::vector<std::string> log;
};

Scene& TheScene() {
  static Scene* scene = nullptr;
  if (!scene) {
    // From the build, whatever INSTALL registered before.
    EXPECT_TRUE(sapistandin::Register(RuntimeDir() + "\\QuorrimVoice.dll"));  // its DllRegisterServer
    scene = new Scene;
  }
  return *scene;
}

// Each channel decides its route once, and the log says which.
TEST(WineSapiScene, EachChannelSpeaksThroughItsOwnStreamInPlainText) {
  const Scene& s = TheScene();
  EXPECT_EQ(s.exitCode, 0);
  EXPECT_EQ(s.Value("scene.done"), "1");
  for (const char* channel : {"VoiceMaleDlg", "VoiceFemaleDlg", "VoiceCreatureDlg"}) {
    const std::string line = std::string("WRKTHREAD::'") + channel +
                             "' speaks through ISpVoice into a memory stream of its own, plain text with the voice's "
                             "rate and volume, pitch by the sound's frequency.";
    EXPECT_EQ(std::count(s.log.begin(), s.log.end(), line), 1) << channel;
  }
}

// The three dialogue lines come to the say routine with sound of their own
// length and at the speaker's pitch; the pages are read and the long line
// is said in pieces; the recording of what the player heard holds sound.
TEST(WineSapiScene, LinesAndPagesAreHeardAtTheSpeakersPitch) {
  const Scene& s = TheScene();
  const struct {
    const char* speaker;
    int frequency;  // 44 100 Hz and the base and race pitches
  } lines[] = {{"Dralasa Nerethi", 44100 + 2000 + 1000}, {"Gharz gro-Shagdul", 44100 - 300 - 4000},
               {"Mudcrab", 44100 + 700}};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(lines[i].speaker);
    const std::string say = "say." + std::to_string(i) + ".";
    EXPECT_EQ(s.Value("line." + std::to_string(i) + ".said"), "1");
    EXPECT_EQ(s.Value(say + "speaker"), lines[i].speaker);
    EXPECT_EQ(s.Value(say + "frequency"), std::to_string(lines[i].frequency));
    EXPECT_GT(std::atoi(s.Value(say + "bytes").c_str()), 88200) << "under a second of speech";
  }
  EXPECT_EQ(s.Value("long_line.said"), "1");
  EXPECT_GE(std::atoi(s.Value("long_line.says").c_str()), 2);
  EXPECT_EQ(s.Value("long_line.pieces_alike"), "1");
  EXPECT_EQ(s.Value("long_page.said"), "1");
  int pages = 0;
  for (const std::string& l : s.log) pages += l.rfind("MORROWIND::Preparing document text", 0) == 0;
  EXPECT_GE(pages, 5);
  EXPECT_GT(std::atoi(s.Value("recording.rms").c_str()), 200);
}

}  // namespace

// Wine 10 under qemu faults in its sound driver's threads as a process that
// used the sound device ends, and the exit code would be lost: the result
// is handed over before that.
int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  std::fflush(stdout);
  TerminateProcess(GetCurrentProcess(), static_cast<UINT>(result));
  return result;
}
