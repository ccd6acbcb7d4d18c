// Sethrim.exe itself, driven from outside as a player would: it opens on a
// prepared game folder, shows the file in its controls, takes key chords
// from the keyboard, switches language, and writes the file when it closes.
// Leaves a screenshot of each page in both languages in out/screens.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <map>

#include "common/speaker_voice.h"
#include "configurator/lexicon_file.h"
#include "configurator/resource.h"
#include "sapi_standin_control.h"
#include "screenshot.h"
#include "support/test_support.h"
#include "window_driver.h"

using namespace testsupport;
using namespace windowdriver;

namespace {

const std::vector<std::string> InstalledVoices = {"Quorrim Stand-in Male", "Quorrim Stand-in Female",
                                                  "Quorrim Stand-in Creature"};

class StandInVoices : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_TRUE(sapistandin::Register(RuntimeDir() + "\\" + sapistandin::DllName));
    sapistandin::SetVoices(InstalledVoices);
  }
};
const auto* const Voices = ::testing::AddGlobalTestEnvironment(new StandInVoices);

// A game folder with the configurator in a folder of its own below it:
//   <scratch>\Morrowind\Morrowind.ini
//   <scratch>\Morrowind\Data Files\Quorrim\Sethrim.exe (and LirraCfg.ini)
struct GameFolder {
  explicit GameFolder(const std::string& name, bool withGame = true) : dir(name) {
    game = dir.path() + "\\Morrowind\\";
    tool = game + "Data Files\\Quorrim\\";
    CreateDirectoryA(game.c_str(), nullptr);
    CreateDirectoryA((game + "Data Files\\").c_str(), nullptr);
    CreateDirectoryA(tool.c_str(), nullptr);
    if (withGame)
      Write(game + "Morrowind.ini",
            "[General]\r\nScreen Shot Enable=0\r\n[Level Up]\r\n"
            "Level2=Through discipline and training you have reached a new level.\r\n"
            "Level3=Your skills grow with every battle.\r\n");
    CopyFileA((RuntimeDir() + "\\Sethrim.exe").c_str(), (tool + "Sethrim.exe").c_str(), FALSE);
  }
  static void Write(const std::string& path, const std::string& text) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written;
    WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(f);
  }
  std::string Settings() const { return tool + "LirraCfg.ini"; }
  std::string Value(const char* section, const char* key) const {
    char value[512];
    GetPrivateProfileStringA(section, key, "<missing>", value, sizeof value, Settings().c_str());
    return value;
  }
  ScratchDir dir;
  std::string game, tool;
};

// The running configurator and its window, seen from outside.
class Configurator {
 public:
  explicit Configurator(const GameFolder& folder) : program_(folder.tool + "Sethrim.exe", folder.tool) {}

  bool started() const { return program_.started(); }
  HWND WaitForWindow(const char* className) const { return program_.WaitForWindow(className); }
  int WaitForExit(DWORD ms = 30000) const { return program_.WaitForExit(ms); }
  bool Open() {
    main = program_.WaitForWindow("TfmTCfgMain");
    if (main) controls_ = ControlsOf(main);
    return main != nullptr;
  }
  int Close() {
    PostMessageW(main, WM_CLOSE, 0, 0);
    return WaitForExit();
  }

  HWND operator[](int id) const { return controls_.at(id); }
  std::string Text(HWND window) const { return TextOf(window); }
  std::string Text(int id) const { return TextOf((*this)[id]); }
  int Slider(int id) const { return static_cast<int>(SendMessageW((*this)[id], TBM_GETPOS, 0, 0)); }
  int Count(int id) const { return static_cast<int>(SendMessageW((*this)[id], CB_GETCOUNT, 0, 0)); }
  std::string Item(int id, int index) const {
    wchar_t text[512] = {};
    SendMessageW((*this)[id], CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
    return Utf8(text);
  }
  std::string Selected(int id) const {
    return Item(id, static_cast<int>(SendMessageW((*this)[id], CB_GETCURSEL, 0, 0)));
  }
  bool Checked(int item) const {
    const LRESULT state = SendMessageW((*this)[IDC_clGlobalFlags], LVM_GETITEMSTATE, item, LVIS_STATEIMAGEMASK);
    return (state & LVIS_STATEIMAGEMASK) >> 12 == 2;
  }
  bool Down(int id) const { return SendMessageW((*this)[id], BM_GETCHECK, 0, 0) == BST_CHECKED; }
  // What the player sees of a control: its pixels on the screen, the top
  // `height` rows only when given.
  std::vector<uint8_t> Look(int id, int height = 0) const {
    RECT r;
    GetWindowRect((*this)[id], &r);
    if (height) r.bottom = r.top + height;
    return ScreenPixels(r);
  }
  HWND Focus() const { return FocusOf(main); }
  void ShowPage(int index) const {
    SendMessageW((*this)[IDC_pcMainPageCtrl], TCM_SETCURFOCUS, index, 0);
    RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_ERASE);
  }
  int Page() const { return static_cast<int>(SendMessageW((*this)[IDC_pcMainPageCtrl], TCM_GETCURSEL, 0, 0)); }
  void Foreground() const { BringToFront(main); }
  void Shoot(const std::string& name) const {
    Sleep(400);  // let the page finish painting on the display
    EXPECT_TRUE(SaveWindowPng(main, ScreensDir() + "\\" + name + ".png")) << name;
  }

  HWND main = nullptr;

 private:
  Program program_;
  std::map<int, HWND> controls_;
};

const char* const PageNames[] = {"voices", "filters", "parameters", "testing", "installing", "information", "names"};
constexpr int PageCount = 7;
constexpr int NamesPage = 6;

// A file with every control away from its default, some values beyond what
// the controls can show.
const char PreparedSettings[] =
    "[BaseConfig]\r\nLangIndex=7\r\nSpeakKeyCode=1361015458\r\nSilenceKeyCode=29602\r\nVPBaseMale=-2500\r\n"
    "VPBaseFemale=3000\r\nVPBaseCreature=-6000\r\nVoiceFxByRace=1\r\nTTSBoundPitchDS=0\r\nStopSpkOnClose=0\r\n"
    "DlgSwitchToFP=1\r\nDlgEnableZoom=0\r\nAlwReadOpenJnl=1\r\nDocVoiceAsDlg=0\r\nMaxDialogueFOV=81\r\n"
    "ZoomDistNPC=90\r\nSpeakInPieces=0\r\n"
    "[PauseConfig]\r\nMPauseChargen=0\r\nMPauseDialogue=1\r\nMKeepAiJournal=1\r\nMKeepAiOptions=1\r\n"
    "[RaceConfig]\r\nVPOrc=-9000\r\nVPNord=-150\r\nVPDarkElf=2000\r\nVPHighElf=20000\r\n"
    "[LirraDlg]\r\nVoiceEnable=1\r\nAutoSpeak=0\r\nVoiceMaleName=quorrim stand-in creature\r\n"
    "VoiceFemaleName=Quorrim Stand-in Female\r\nVoiceCreatureName=Not Installed\r\n"
    "VoiceMaleConfig=<pitch absmiddle=\"-3\"><rate absspeed=\"2\"><volume level=\"70\">\r\n"
    "VoiceFemaleConfig=<PITCH ABSMIDDLE=\"12\">\r\n"
    "VoiceCreatureConfig=<pitch absmiddle=\"1\"><rate absspeed=\"-30\"><volume level=\"250\">\r\n"
    "[LirraDoc]\r\nVoiceEnable=0\r\nAutoSpeak=1\r\nVoiceName=Quorrim Stand-in Male\r\n"
    "[Players Notes]\r\nkeep=this\r\n";

// SpeakKeyCode 1361015458 = 0x511F72A2: LCONTROL, F3, MODECHANGE, Q.
constexpr int PreparedFlags[31] = {1, 0, 1, 0, 0, 1, 0, 0, 1, 1, 0,  //
                                   0, 1, 1, 1, 1, 0, 0, 1, 1, 1,     //
                                   0, 0, 0, 1, 0, 0, 0, 0, 0, 1};

TEST(ConfiguratorWindow, OpensWithTheFileShownAndWritesWhatItShows) {
  GameFolder folder("window-open");
  GameFolder::Write(folder.Settings(), PreparedSettings);
  Configurator app(folder);
  ASSERT_TRUE(app.started());
  ASSERT_TRUE(app.Open()) << "no window";

  // A language index of 7 has no texts of its own: the window shows English,
  // as its flag buttons do, and saves 1.
  EXPECT_EQ(app.Text(app.main), "Configure Quorrim");
  // The task bar shows the application's window, which owns the main one.
  HWND application = GetWindow(app.main, GW_OWNER);
  EXPECT_EQ(app.Text(application), "Quorrim");
  EXPECT_EQ(app.Page(), 4);  // INSTALLING
  EXPECT_TRUE(app.Down(IDC_sbLngEng));
  EXPECT_FALSE(app.Down(IDC_sbLngRus));
  EXPECT_FALSE(IsWindowEnabled(app[IDC_bInstall]) && IsWindowEnabled(app[IDC_bUnInstall]));

  // VOICES: every list holds the installed voices; names match in any case;
  // a name that is not installed selects the first voice.
  for (int list : {IDC_cbVDlgMale, IDC_cbVDlgFemale, IDC_cbVDlgCrea, IDC_cbVoiceDoc})
    EXPECT_EQ(app.Count(list), 3) << list;
  EXPECT_EQ(app.Selected(IDC_cbVDlgMale), "Quorrim Stand-in Creature");
  EXPECT_EQ(app.Selected(IDC_cbVDlgFemale), "Quorrim Stand-in Female");
  EXPECT_EQ(app.Selected(IDC_cbVDlgCrea), app.Item(IDC_cbVDlgCrea, 0));
  EXPECT_EQ(app.Selected(IDC_cbVoiceDoc), "Quorrim Stand-in Male");
  struct Slider {
    int id, position;
  } sliders[] = {
      {IDC_tbVDlgPitchMale, -3},   {IDC_tbVDlgRateMale, 2},     {IDC_tbVDlgVolumeMale, 70},
      {IDC_tbVDlgPitchFemale, 10}, {IDC_tbVDlgRateFemale, 0},   {IDC_tbVDlgVolumeFemale, 100},
      {IDC_tbVDlgPitchCrea, 1},    {IDC_tbVDlgRateCrea, -10},   {IDC_tbVDlgVolumeCrea, 100},
      {IDC_tbVDocPitch, 0},        {IDC_tbVDocRate, 0},         {IDC_tbVDocVolume, 100},
      {IDC_tbBasePitchMale, -25},  {IDC_tbBasePitchFemale, 30}, {IDC_tbBasePitchCreature, -60},
      {IDC_tbVPOrc, -90},          {IDC_tbVPNord, -1},          {IDC_tbVPDarkElf, 20},
      {IDC_tbVPHighElf, 100},      {IDC_tbVPBreton, -20},       {IDC_tbVPWoodElf, 80},
  };
  for (const Slider& s : sliders) EXPECT_EQ(app.Slider(s.id), s.position) << "slider " << s.id;

  // PARAMETERS
  const char* keys[8] = {"LCONTROL", "F3", "MODECHANGE", "Q", "LCONTROL", "F4", "", ""};
  const int cells[8] = {IDC_edKeyA_BS, IDC_edKeyB_BS, IDC_edKeyC_BS, IDC_edKeyD_BS,
                        IDC_edKeyA_ES, IDC_edKeyB_ES, IDC_edKeyC_ES, IDC_edKeyD_ES};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(app.Text(cells[i]), keys[i]) << "key cell " << i;
  for (int i = 0; i < 31; ++i) EXPECT_EQ(app.Checked(i), PreparedFlags[i] != 0) << "flag item " << i;

  // TESTING: the first level-up text there is, English lists.
  EXPECT_EQ(app.Text(IDC_meTestText), "Through discipline and training you have reached a new level.");
  // Level2 and Level3 are the only texts: the arrows step between them.
  SendMessageW(app[IDC_sbTstStrNext], BM_CLICK, 0, 0);
  EXPECT_EQ(app.Text(IDC_meTestText), "Your skills grow with every battle.");
  SendMessageW(app[IDC_sbTstStrNext], BM_CLICK, 0, 0);
  EXPECT_EQ(app.Text(IDC_meTestText), "Through discipline and training you have reached a new level.");
  SendMessageW(app[IDC_sbTstStrPrev], BM_CLICK, 0, 0);
  EXPECT_EQ(app.Text(IDC_meTestText), "Your skills grow with every battle.");
  EXPECT_EQ(app.Count(IDC_cbTestRaceType), 10);
  EXPECT_EQ(app.Selected(IDC_cbTestRaceType), "Orc");
  EXPECT_EQ(app.Count(IDC_cbTestVoice), 4);
  EXPECT_EQ(app.Selected(IDC_cbTestVoice), "Male character");
  // INFORMATION: the English help.
  EXPECT_NE(app.Text(IDC_reHelpInfo).find("Requirements"), std::string::npos);

  app.Foreground();
  for (int page = 0; page < PageCount; ++page) {
    app.ShowPage(page);
    app.Shoot(std::string("en-") + PageNames[page]);
  }

  // Minimised, the program goes to the task bar as a whole, and comes back.
  SendMessageW(app.main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_TRUE(WaitFor([&] { return IsIconic(application) && !IsWindowVisible(app.main); }, 5000));
  ShowWindow(application, SW_RESTORE);
  EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(app.main); }, 5000));

  const std::string firstVoice = app.Item(IDC_cbVDlgCrea, 0);
  ASSERT_EQ(app.Close(), 0);
  // What was shown is what is written; what the configurator does not know
  // stays.
  struct Key {
    const char* section;
    const char* key;
    const char* value;
  } written[] = {
      {"BaseConfig", "LangIndex", "1"},
      {"BaseConfig", "SpeakKeyCode", "1361015458"},
      {"BaseConfig", "VPBaseMale", "-2500"},
      {"BaseConfig", "MaxDialogueFOV", "81"},
      {"BaseConfig", "MinDialogueFOV", "20"},
      {"BaseConfig", "ZoomDistNPC", "90"},
      {"BaseConfig", "SpeakInPieces", "0"},
      {"BaseConfig", "ConfigAppName", "Sethrim.exe"},
      {"BaseConfig", "GameInstDir", folder.game.c_str()},
      {"BaseConfig", "TTSBoundPitchDS", "0"},
      {"PauseConfig", "MKeepAiOptions", "1"},
      {"RaceConfig", "VPNord", "-100"},
      {"RaceConfig", "VPHighElf", "10000"},
      {"LirraDlg", "VoiceMaleName", "Quorrim Stand-in Creature"},
      {"LirraDlg", "VoiceCreatureName", firstVoice.c_str()},
      {"LirraDlg", "VoiceFemaleConfig", "<pitch absmiddle=\"10\"><rate absspeed=\"0\"><volume level=\"100\">"},
      {"LirraDlg", "VoiceCreatureConfig", "<pitch absmiddle=\"1\"><rate absspeed=\"-10\"><volume level=\"100\">"},
      {"LirraDoc", "VoiceEnable", "0"},
      {"LirraDoc", "VoiceConfig", "<pitch absmiddle=\"0\"><rate absspeed=\"0\"><volume level=\"100\">"},
      {"Players Notes", "keep", "this"},
  };
  for (const Key& k : written) EXPECT_EQ(folder.Value(k.section, k.key), k.value) << k.section << " " << k.key;
}

TEST(ConfiguratorWindow, KeyCellsRaceListAndHelpViewUnderMouseAndKeyboard) {
  GameFolder folder("window-keys");
  Configurator app(folder);
  ASSERT_TRUE(app.Open()) << "no window";
  EXPECT_EQ(app.Text(app.main), "Настройка Quorrim");  // no file: Russian
  EXPECT_TRUE(app.Down(IDC_sbLngRus));
  app.Foreground();
  app.ShowPage(2);

  // The generic Control and Alt codes are never stored: the cell takes the
  // side that was pressed.
  auto clickInto = [&](int cell, int times = 1) { return ClickInto(app[cell], times); };
  ASSERT_TRUE(clickInto(IDC_edKeyC_BS));
  PressKey(VK_LCONTROL);
  EXPECT_TRUE(WaitFor([&] { return app.Text(IDC_edKeyC_BS) == "LCONTROL"; })) << app.Text(IDC_edKeyC_BS);
  ASSERT_TRUE(clickInto(IDC_edKeyD_BS));
  PressKey(VK_RMENU, /*extended=*/true);
  EXPECT_TRUE(WaitFor([&] { return app.Text(IDC_edKeyD_BS) == "RALT"; })) << app.Text(IDC_edKeyD_BS);
  // Tab is captured too, and does not move on.
  ASSERT_TRUE(clickInto(IDC_edKeyD_ES));
  PressKey(VK_TAB);
  EXPECT_TRUE(WaitFor([&] { return app.Text(IDC_edKeyD_ES) == "TAB"; })) << app.Text(IDC_edKeyD_ES);
  EXPECT_EQ(app.Focus(), app[IDC_edKeyD_ES]);
  // A double click empties a cell.
  clickInto(IDC_edKeyA_BS, 2);
  EXPECT_TRUE(WaitFor([&] { return app.Text(IDC_edKeyA_BS).empty(); })) << app.Text(IDC_edKeyA_BS);
  EXPECT_EQ(app.Text(IDC_edKeyB_BS), "F3");

  // The race list serves the two character voices only.
  app.ShowPage(3);
  EXPECT_TRUE(IsWindowEnabled(app[IDC_cbTestRaceType]));
  ASSERT_TRUE(clickInto(IDC_cbTestVoice));
  for (WORD key : {VK_DOWN, VK_DOWN, VK_RETURN}) PressKey(key);
  EXPECT_TRUE(WaitFor([&] { return !IsWindowEnabled(app[IDC_cbTestRaceType]); }, 5000))
      << app.Selected(IDC_cbTestVoice);
  EXPECT_EQ(app.Selected(IDC_cbTestVoice), "Голос существ");
  for (WORD key : {VK_UP, VK_RETURN}) PressKey(key);
  EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(app[IDC_cbTestRaceType]); }, 5000))
      << app.Selected(IDC_cbTestVoice);

  // Clicks into the help view put the caret at the start and select nothing.
  app.ShowPage(5);
  HWND help = app[IDC_reHelpInfo];
  for (int kind = 0; kind < 3; ++kind) {
    SendMessageW(help, EM_SETSEL, 10, 40);
    Click(help, kind == 1 ? 2 : 1, kind == 2);
    EXPECT_TRUE(WaitFor([&] { return SendMessageW(help, EM_GETSEL, 0, 0) == 0; }))
        << "click kind " << kind << ": " << std::hex << SendMessageW(help, EM_GETSEL, 0, 0);
  }

  ASSERT_EQ(app.Close(), 0);
  // Cells A..D: empty, F3, LCONTROL, RALT; 0xA5A27200 written signed.
  EXPECT_EQ(folder.Value("BaseConfig", "SpeakKeyCode"), std::to_string(static_cast<int32_t>(0xA5A27200u)));
  EXPECT_EQ(folder.Value("BaseConfig", "SilenceKeyCode"), std::to_string(0x090073A2));
  EXPECT_EQ(folder.Value("BaseConfig", "LangIndex"), "0");
}

TEST(ConfiguratorWindow, LanguageSwitchKeepsEverySetting) {
  GameFolder folder("window-language");
  std::string russian = PreparedSettings;
  russian.replace(russian.find("LangIndex=7"), 11, "LangIndex=0");
  GameFolder::Write(folder.Settings(), russian);
  Configurator app(folder);
  ASSERT_TRUE(app.Open()) << "no window";
  EXPECT_EQ(app.Text(app.main), "Настройка Quorrim");
  EXPECT_EQ(app.Text(IDC_stLblVPitchNord), "НОРДЛИНГ :");
  EXPECT_EQ(app.Item(IDC_cbTestRaceType, 9), "Высокий Эльф");
  app.Foreground();
  for (int page = 0; page < PageCount; ++page) {
    app.ShowPage(page);
    app.Shoot(std::string("ru-") + PageNames[page]);
  }
  // Tab captions and the items of the flags list live in their controls
  // only: the test compares what they look like before and after.
  constexpr int TabStrip = 18;
  auto looks = [&] {
    std::vector<std::vector<uint8_t>> seen;
    app.ShowPage(0);
    Sleep(300);
    seen.push_back(app.Look(IDC_pcMainPageCtrl, TabStrip));
    seen.push_back(app.Look(IDC_pcVDlgGenderPageCtrl, TabStrip));
    app.ShowPage(2);
    Sleep(300);
    seen.push_back(app.Look(IDC_clGlobalFlags));
    return seen;
  };
  const auto russianLooks = looks();
  for (const auto& look : russianLooks) ASSERT_FALSE(look.empty());

  app.ShowPage(4);
  SendMessageW(app[IDC_sbLngEng], BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return app.Text(app.main) == "Configure Quorrim"; }));
  EXPECT_TRUE(app.Down(IDC_sbLngEng));
  EXPECT_FALSE(app.Down(IDC_sbLngRus));
  const auto englishLooks = looks();
  const char* what[3] = {"page tabs", "voice tabs", "flags list"};
  for (int i = 0; i < 3; ++i) EXPECT_NE(englishLooks[i], russianLooks[i]) << what[i] << " look the same";
  EXPECT_EQ(app.Text(IDC_stLblVDlgMalePitch), "PITCH :");
  EXPECT_EQ(app.Text(IDC_stLblVPitchNord), "NORD :");
  EXPECT_EQ(app.Text(IDC_stLblKeyStop), "STOP SPEAKING :");
  EXPECT_EQ(app.Text(IDC_bUnInstall), "UNINSTALL");
  EXPECT_EQ(app.Text(IDC_bHearTestVoice), "LISTEN");
  EXPECT_EQ(app.Item(IDC_cbTestRaceType, 9), "High Elf");
  EXPECT_EQ(app.Item(IDC_cbTestVoice, 3), "Document`s speaking");
  EXPECT_NE(app.Text(IDC_reHelpInfo).find("Requirements"), std::string::npos);
  // Nothing the player set is lost on the way.
  for (int i = 0; i < 31; ++i) EXPECT_EQ(app.Checked(i), PreparedFlags[i] != 0) << "flag item " << i;
  EXPECT_EQ(app.Slider(IDC_tbVDlgPitchMale), -3);
  EXPECT_EQ(app.Slider(IDC_tbVDlgVolumeMale), 70);
  EXPECT_EQ(app.Slider(IDC_tbVPOrc), -90);
  EXPECT_EQ(app.Slider(IDC_tbBasePitchCreature), -60);
  EXPECT_EQ(app.Text(IDC_edKeyD_BS), "Q");
  EXPECT_EQ(app.Selected(IDC_cbVDlgMale), "Quorrim Stand-in Creature");

  ASSERT_EQ(app.Close(), 0);
  EXPECT_EQ(folder.Value("BaseConfig", "LangIndex"), "1");
  EXPECT_EQ(folder.Value("RaceConfig", "VPOrc"), "-9000");
  EXPECT_EQ(folder.Value("PauseConfig", "MKeepAiJournal"), "1");
}

TEST(ConfiguratorWindow, EveryInstalledVoiceIsListedHoweverLongTheList) {
  std::vector<std::string> many;
  for (int i = 0; i < 40; ++i) many.push_back("Quorrim Stand-in Voice With A Long Description " + std::to_string(i));
  sapistandin::SetVoices(many);  // about 2000 bytes of descriptions
  GameFolder folder("window-voices");
  Configurator app(folder);
  const bool open = app.Open();
  sapistandin::SetVoices(InstalledVoices);
  ASSERT_TRUE(open) << "no window";
  for (int list : {IDC_cbVDlgMale, IDC_cbVDlgFemale, IDC_cbVDlgCrea, IDC_cbVoiceDoc}) {
    EXPECT_EQ(app.Count(list), 40) << list;
    EXPECT_EQ(app.Item(list, 39), many[0]) << list;  // listed last enumerated first
  }
  ASSERT_EQ(app.Close(), 0);
}

TEST(ConfiguratorWindow, AFileThatCannotBeWrittenKeepsTheWindowOpen) {
  GameFolder folder("window-locked");
  GameFolder::Write(folder.Settings(), "[BaseConfig]\r\nLangIndex=1\r\nZoomDistNPC=90\r\n");
  Configurator app(folder);
  ASSERT_TRUE(app.Open()) << "no window";
  HANDLE lock = CreateFileA(folder.Settings().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  PostMessageW(app.main, WM_CLOSE, 0, 0);
  HWND box = app.WaitForWindow("#32770");
  ASSERT_TRUE(box) << "no message";
  struct Visit {
    static BOOL CALLBACK Child(HWND child, LPARAM out) {
      wchar_t text[512] = {};
      GetWindowTextW(child, text, 512);
      if (wcsstr(text, L"Unable to write to")) *reinterpret_cast<std::string*>(out) = Utf8(text);
      return TRUE;
    }
  };
  std::string message;
  EnumChildWindows(box, Visit::Child, reinterpret_cast<LPARAM>(&message));
  EXPECT_EQ(message, "Unable to write to " + folder.Settings());
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(app.WaitForExit(1500), -1) << "the window must stay open";
  EXPECT_TRUE(IsWindow(app.main));
  CloseHandle(lock);

  ASSERT_EQ(app.Close(), 0);
  EXPECT_EQ(folder.Value("BaseConfig", "ZoomDistNPC"), "90");
  EXPECT_EQ(folder.Value("BaseConfig", "ConfigAppName"), "Sethrim.exe");
}

// The install log's lines without their "[hh:nn:ss] " stamps (each checked).
std::vector<std::string> InstallLog(const Configurator& app) {
  std::vector<std::string> lines;
  std::string text = app.Text(IDC_meInstMessages) + "\r\n";
  for (size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2) {
    const std::string line = text.substr(at, end - at);
    if (line.empty()) continue;
    const bool stamped = line.size() > 11 && line[0] == '[' && line[3] == ':' && line[6] == ':' && line[9] == ']';
    EXPECT_TRUE(stamped) << line;
    lines.push_back(stamped ? line.substr(11) : line);
  }
  return lines;
}

bool Enabled(const Configurator& app, int id) { return IsWindowEnabled(app[id]) != FALSE; }

// A player with a module loader: INSTALL writes the entry for the folder the
// configurator is in and swaps the buttons, UNINSTALL takes it out again,
// LISTEN speaks the test text, and nothing is copied into the game folder.
TEST(ConfiguratorWindow, InstallUninstallAndListen) {
  GameFolder folder("window-install");
  GameFolder::Write(folder.Settings(), "[BaseConfig]\r\nLangIndex=1\r\n");
  const std::string loaderIni = folder.game + "ModuleLoader.ini";
  GameFolder::Write(loaderIni, "[Parameters]\r\nTargetName=Morrowind.exe\r\n[ModulesList]\r\nOther.dll=1<>other\r\n");
  auto entry = [&] {
    char value[256];
    GetPrivateProfileStringA("ModulesList", "Vandrel.dll", "<none>", value, sizeof value, loaderIni.c_str());
    return std::string(value);
  };
  GameFolder::Write(folder.tool + "Lexicon.txt", "Vivec = mine\r\n");  // the player's own: left alone
  Configurator app(folder);
  ASSERT_TRUE(app.Open()) << "no window";
  EXPECT_TRUE(Enabled(app, IDC_bInstall));
  EXPECT_FALSE(Enabled(app, IDC_bUnInstall));
  EXPECT_EQ(InstallLog(app), std::vector<std::string>{"Quorrim is not installed"});

  SendMessageW(app[IDC_bInstall], BM_CLICK, 0, 0);
  EXPECT_EQ(entry(), "1<Data Files\\Quorrim\\>Speaks all dialogues and a documents using TTS engine.");
  EXPECT_FALSE(Enabled(app, IDC_bInstall));
  EXPECT_TRUE(Enabled(app, IDC_bUnInstall));
  EXPECT_EQ(InstallLog(app), (std::vector<std::string>{"Quorrim is not installed",
                                                       "Quorrim is installed into ModuleLoader"}));

  SendMessageW(app[IDC_bUnInstall], BM_CLICK, 0, 0);
  EXPECT_EQ(entry(), "<none>");
  EXPECT_TRUE(Enabled(app, IDC_bInstall));
  EXPECT_EQ(InstallLog(app).back(), "Quorrim is not installed");
  SendMessageW(app[IDC_bInstall], BM_CLICK, 0, 0);

  app.ShowPage(3);
  const long spoken = sapistandin::SpeakCount();
  // Through the player's lexicon, the memo's markup kept.
  SetWindowTextW(app[IDC_meTestText], L"A test of the <emph>voice</emph> of Vivec.");
  SendMessageW(app[IDC_bHearTestVoice], BM_CLICK, 0, 0);
  EXPECT_EQ(sapistandin::SpeakCount(), spoken + 1);
  EXPECT_EQ(sapistandin::ReadString("LastPlain"), "A test of the voice of mine.");

  ASSERT_EQ(app.Close(), 0);
  EXPECT_EQ(entry(), "1<Data Files\\Quorrim\\>Speaks all dialogues and a documents using TTS engine.");
  char other[64];
  GetPrivateProfileStringA("ModulesList", "Other.dll", "", other, sizeof other, loaderIni.c_str());
  EXPECT_STREQ(other, "1<>other");
  EXPECT_FALSE(FileExists(folder.game + "LirraCfg.ini"));
  EXPECT_EQ(ReadFile(folder.tool + "Lexicon.txt"), "Vivec = mine\r\n");
}

// A player with three men's and three women's voices starts the
// configurator on a new file: each pool holds the voices of its gender, the
// variety is 5.  He takes one voice out of the men's pool with the keyboard,
// LISTENs to what Fargoth would say, and closes: the men's pool is written as
// the two voices left, the others as every voice of the gender.
TEST(ConfiguratorWindow, PoolsByGenderAndListenForASpeaker) {
  using sapistandin::VoiceEntry;
  sapistandin::SetVoices({VoiceEntry("Quorrim Arden", "Male"), VoiceEntry("Quorrim Bryn", "Female"),
                          VoiceEntry("Quorrim Corin", "Male", "Senior"), VoiceEntry("Quorrim Dace", "Female", "Senior"),
                          VoiceEntry("Quorrim Edric", "Male", "Child"), VoiceEntry("Quorrim Fenna", "Female", "Child"),
                          VoiceEntry("Quorrim Grub", "Neutral")});
  GameFolder folder("window-pools");
  Configurator app(folder);
  ASSERT_TRUE(app.Open()) << "no window";
  auto checked = [&](int list) {
    std::vector<bool> checks;
    for (int i = 0; i < 7; ++i)
      checks.push_back((SendMessageW(app[list], LVM_GETITEMSTATE, i, LVIS_STATEIMAGEMASK) & LVIS_STATEIMAGEMASK) >>
                           12 == 2);
    return checks;
  };
  EXPECT_EQ(checked(IDC_clVDlgPoolMale), (std::vector<bool>{true, false, true, false, true, false, false}));
  EXPECT_EQ(checked(IDC_clVDlgPoolFemale), (std::vector<bool>{false, true, false, true, false, true, false}));
  EXPECT_EQ(checked(IDC_clVDlgPoolCrea), (std::vector<bool>{false, false, false, false, false, false, true}));
  EXPECT_EQ(app.Slider(IDC_tbVDlgVarietyMale), 5);

  // A click on the first row's check box, just below the column's head.
  app.ShowPage(0);
  app.Foreground();
  app.Shoot("ru-voices-pools");  // a new file: Russian
  RECT list, head;
  GetWindowRect(app[IDC_clVDlgPoolMale], &list);
  GetWindowRect(reinterpret_cast<HWND>(SendMessageW(app[IDC_clVDlgPoolMale], LVM_GETHEADER, 0, 0)), &head);
  SetCursorPos(list.left + 10, head.bottom + 8);
  INPUT press[2] = {};
  press[0].type = press[1].type = INPUT_MOUSE;
  press[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  press[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, press, sizeof(INPUT));  // Quorrim Arden out
  ASSERT_TRUE(WaitFor([&] { return !checked(IDC_clVDlgPoolMale)[0]; }, 5000));
  EXPECT_EQ(checked(IDC_clVDlgPoolMale), (std::vector<bool>{false, false, true, false, true, false, false}));

  app.ShowPage(3);
  SetWindowTextW(app[IDC_edTestSpeaker], L"Fargoth");
  const long spoken = sapistandin::SpeakCount();
  SendMessageW(app[IDC_bHearTestVoice], BM_CLICK, 0, 0);
  ASSERT_EQ(sapistandin::SpeakCount(), spoken + 1);
  const std::string_view pool[] = {"Quorrim Corin", "Quorrim Edric"};
  const SpeakerVoice fargoth = ChooseSpeakerVoice("fargoth", pool, 2, 5);
  EXPECT_EQ(sapistandin::ReadString("LastVoice"), pool[fargoth.poolIndex]);
  // The Orc's race step (the configurator's -8000: the lowest pitch), then
  // Fargoth's own on top, kept within the scale.
  EXPECT_EQ(sapistandin::ReadNumber("LastPitch"), std::max(-10, -10 + fargoth.timbre.voicePitch));
  EXPECT_EQ(sapistandin::ReadNumber("LastRate"), fargoth.timbre.voiceRate);

  ASSERT_EQ(app.Close(), 0);
  EXPECT_EQ(folder.Value("LirraDlg", "VoiceMalePool"), "Quorrim Corin|Quorrim Edric");
  EXPECT_EQ(folder.Value("LirraDlg", "VoiceFemalePool"), "*");
  EXPECT_EQ(folder.Value("LirraDlg", "VoiceCreaturePool"), "*");
  EXPECT_EQ(folder.Value("LirraDlg", "VoiceMaleVariety"), "5");
  sapistandin::SetVoices(InstalledVoices);
}

// Under Wine, in a prefix without a voice of its own (this one has only the
// stand-in, which brings no voice tokens), INSTALL with the release's
// QuorrimVoice.dll beside the configurator registers the Quorrim voices and
// says so after the loader's lines, in the window's language; UNINSTALL
// removes them and says that.
TEST(ConfiguratorWindow, UnderWineInstallRegistersTheVoicesAndUninstallRemovesThem) {
  const struct {
    int langIndex;
    const char* added;
    const char* removed;
  } cases[] = {
      {1, "Wine: the prefix had no voice, the Quorrim voices (espeak-ng) are installed",
       "Wine: the Quorrim voices are removed"},
      {0, "Wine: в префиксе не было голоса, установлены голоса Quorrim (espeak-ng)",
       "Wine: голоса Quorrim удалены"},
  };
  const std::string token = "SOFTWARE\\Microsoft\\Speech\\Voices\\Tokens\\QuorrimVoice-ru-female";
  auto registered = [&] {
    HKEY key = nullptr;
    const bool there = RegOpenKeyExA(HKEY_LOCAL_MACHINE, token.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS;
    if (there) RegCloseKey(key);
    return there;
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.langIndex);
    GameFolder folder("window-wine-voices");
    GameFolder::Write(folder.Settings(), "[BaseConfig]\r\nLangIndex=" + std::to_string(c.langIndex) + "\r\n");
    GameFolder::Write(folder.game + "ModuleLoader.ini", "[Parameters]\r\nTargetName=Morrowind.exe\r\n");
    ASSERT_TRUE(CopyFileA((RuntimeDir() + "\\QuorrimVoice.dll").c_str(), (folder.tool + "QuorrimVoice.dll").c_str(),
                          FALSE));
    ASSERT_FALSE(registered());
    Configurator app(folder);
    ASSERT_TRUE(app.Open()) << "no window";
    const size_t before = InstallLog(app).size();
    SendMessageW(app[IDC_bInstall], BM_CLICK, 0, 0);
    std::vector<std::string> log = InstallLog(app);
    ASSERT_EQ(log.size(), before + 2);  // the loader's line, then the voices'
    EXPECT_EQ(log.back(), c.added);
    EXPECT_TRUE(registered());

    SendMessageW(app[IDC_bUnInstall], BM_CLICK, 0, 0);
    log = InstallLog(app);
    EXPECT_EQ(log.back(), c.removed);
    EXPECT_FALSE(registered());
    ASSERT_EQ(app.Close(), 0);
  }
}

// Without a module loader: two lines in the log, UNINSTALL is the enabled
// button, and closing copies the plug-in, its settings and the lexicon the
// configurator wrote at its start (there was none) into the game.
TEST(ConfiguratorWindow, WithoutALoaderTheCloseCopiesThePluginIntoTheGame) {
  GameFolder folder("window-noloader");
  GameFolder::Write(folder.Settings(), "[BaseConfig]\r\nLangIndex=1\r\n");
  GameFolder::Write(folder.tool + "Vandrel.dll", "the plug-in");
  Configurator app(folder);
  ASSERT_TRUE(app.Open()) << "no window";
  EXPECT_EQ(InstallLog(app), (std::vector<std::string>{"ModuleLoader not found!", "ModuleLoader is not installed"}));
  EXPECT_FALSE(Enabled(app, IDC_bInstall));
  EXPECT_TRUE(Enabled(app, IDC_bUnInstall));
  ASSERT_EQ(app.Close(), 0);
  EXPECT_EQ(ReadFile(folder.game + "Vandrel.dll"), "the plug-in");
  EXPECT_EQ(ReadFile(folder.game + "LirraCfg.ini"), ReadFile(folder.Settings()));
  const std::string lexicon = ReadFile(folder.tool + "Lexicon.txt");
  EXPECT_EQ(lexicon.substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_NE(lexicon.find("Seyda Neen"), std::string::npos);
  EXPECT_EQ(ReadFile(folder.game + "Lexicon.txt"), lexicon);
}

// A player's whole road: the release unpacked into a folder of the game
// (the doubles' game, with its module loader), INSTALL and LISTEN in the
// configurator, the window closed; then the game starts, its loader takes the
// plug-in from the entry the configurator wrote, and the first line is heard.
TEST(ConfiguratorWindow, FromTheReleaseToTheFirstLineHeard) {
  const std::string unpacked = RuntimeDir() + "\\tests\\release-unpacked\\";
  // ctest's release_unpacked lays it out for this program (fixture "release").
  ASSERT_TRUE(FileExists(unpacked + "Sethrim.exe")) << "no release unpacked in " << unpacked;
  GameFolder folder("window-release");
  for (const char* f :
       {"Vandrel.dll", "Sethrim.exe", "LirraCfg.ini", "Lexicon.txt", "ReadMe-English.txt", "ReadMe-Russian.txt"})
    ASSERT_TRUE(CopyFileA((unpacked + f).c_str(), (folder.tool + f).c_str(), FALSE)) << f;
  for (const char* f : {"Morrowind.exe", "MLDRLib.dll"})
    ASSERT_TRUE(CopyFileA((RuntimeDir() + "\\" + f).c_str(), (folder.game + f).c_str(), FALSE)) << f;
  GameFolder::Write(folder.game + "ModuleLoader.ini", "[Parameters]\r\nTargetName=Morrowind.exe\r\n");

  {
    Configurator app(folder);
    ASSERT_TRUE(app.Open()) << "no window";
    SendMessageW(app[IDC_bInstall], BM_CLICK, 0, 0);
    app.ShowPage(3);
    const long spoken = sapistandin::SpeakCount();
    SendMessageW(app[IDC_bHearTestVoice], BM_CLICK, 0, 0);
    EXPECT_EQ(sapistandin::SpeakCount(), spoken + 1);
    ASSERT_EQ(app.Close(), 0);
  }

  const std::string report = folder.game + "report.txt";
  ASSERT_EQ(RunProgram("\"" + folder.game + "Morrowind.exe\" --report \"" + report +
                           "\" --wait-log \"WRKTHREAD::Entering message loop.\" --first-line",
                       folder.game, 120000),
            0);
  const std::string seen = ReadFile(report);
  EXPECT_EQ(ReportValue(seen, "module"), folder.tool + "Vandrel.dll");
  EXPECT_EQ(ReportValue(seen, "load"), "ok");
  EXPECT_EQ(ReportValue(seen, "line.0.said"), "1");
  EXPECT_EQ(ReportValue(seen, "say.0.played"), "1");
}

// NAMES: the release's lexicon (written at start) listed in the order of
// the file; CHANGE, ADD and REMOVE from the list's chosen row, refused edits
// said on the page; LISTEN speaks the written form through the lexicon; at
// close the file is what the model makes of the same edits, every comment
// and the order kept.
TEST(ConfiguratorWindow, NamesPageEditsTheLexiconKeepingItsComments) {
  GameFolder folder("window-names");
  GameFolder::Write(folder.Settings(), "[BaseConfig]\r\nLangIndex=1\r\n");
  Configurator app(folder);
  ASSERT_TRUE(app.Open()) << "no window";
  const std::string path = folder.tool + "Lexicon.txt";
  LexiconFile expected = ParseLexiconFile(ReadFile(path));
  std::vector<size_t> rows = LexiconEntryLines(expected);
  ASSERT_GT(rows.size(), 3u);
  app.Foreground();
  app.ShowPage(NamesPage);

  HWND list = app[IDC_lvLexEntries];
  auto count = [&] { return static_cast<size_t>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); };
  EXPECT_EQ(count(), rows.size());
  EXPECT_EQ(app.Text(IDC_bLexChange), "CHANGE");
  // The list's rows as the player goes through them: the chosen row's forms
  // fill the two fields.
  auto choose = [&](std::initializer_list<WORD> keys, size_t line) {
    EXPECT_TRUE(ClickInto(list));
    for (WORD key : keys) PressKey(key);
    const LexiconFileLine& entry = expected.lines[line];
    EXPECT_TRUE(WaitFor(
        [&] { return app.Text(IDC_edLexWritten) == entry.written && app.Text(IDC_edLexSpoken) == entry.spoken; },
        5000))
        << entry.written << " / " << app.Text(IDC_edLexWritten);
  };
  auto edit = [&](int button, const char* written, const char* spoken) {
    SetWindowTextA(app[IDC_edLexWritten], written);
    SetWindowTextA(app[IDC_edLexSpoken], spoken);
    SendMessageW(app[button], BM_CLICK, 0, 0);
  };
  choose({VK_END}, rows.back());
  choose({VK_HOME}, rows[0]);

  edit(IDC_bLexChange, "  Vvardenfell ", "Vvar-den-fell");
  ASSERT_EQ(ChangeLexiconEntry(expected, rows[0], "Vvardenfell", "Vvar-den-fell").edit, LexiconEdit::Done);
  EXPECT_EQ(app.Text(IDC_stLblLexStatus), "");
  edit(IDC_bLexAdd, "Sethrim", "SETH-rim");
  ASSERT_EQ(AddLexiconEntry(expected, "Sethrim", "SETH-rim").edit, LexiconEdit::Done);
  EXPECT_EQ(count(), rows.size() + 1);

  // Refused: nothing changes, the page says why.
  struct Refused {
    const char* written;
    const char* spoken;
    const char* message;
  } refused[] = {
      {"balmora", "again", "This written form is in the list already"},
      {"Bal=mora", "x", "Both forms are needed, the written one without '=' or ';'"},
      {"Qwxz", "", "Both forms are needed, the written one without '=' or ';'"},
  };
  for (const Refused& r : refused) {
    edit(IDC_bLexAdd, r.written, r.spoken);
    EXPECT_EQ(app.Text(IDC_stLblLexStatus), r.message) << r.written;
    EXPECT_EQ(count(), rows.size() + 1) << r.written;
  }

  choose({VK_HOME, VK_DOWN}, rows[1]);
  SendMessageW(app[IDC_bLexRemove], BM_CLICK, 0, 0);
  ASSERT_TRUE(RemoveLexiconEntry(expected, rows[1]));
  EXPECT_EQ(count(), rows.size());
  rows = LexiconEntryLines(expected);

  choose({VK_HOME}, rows[0]);
  const long spoken = sapistandin::SpeakCount();
  SendMessageW(app[IDC_bLexListen], BM_CLICK, 0, 0);
  EXPECT_EQ(sapistandin::SpeakCount(), spoken + 1);
  EXPECT_EQ(sapistandin::ReadString("LastPlain"), "Vvar-den-fell");
  EXPECT_EQ(sapistandin::ReadString("LastVoice"), app.Selected(IDC_cbVDlgMale));

  ASSERT_EQ(app.Close(), 0);
  const std::string written = ReadFile(path);
  EXPECT_EQ(written, SerializeLexiconFile(expected));
  EXPECT_NE(written.find("; Places"), std::string::npos);
  EXPECT_EQ(written.find("Balmora"), std::string::npos);
}

TEST(ConfiguratorWindow, CancellingTheGameSearchEndsWithNothingWritten) {
  GameFolder folder("window-nogame", /*withGame=*/false);
  Configurator app(folder);
  HWND dialog = app.WaitForWindow("#32770");
  ASSERT_TRUE(dialog) << "no directory dialog";
  EXPECT_EQ(app.Text(dialog), "Нужен каталог с установленной игрой");
  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  EXPECT_EQ(app.WaitForExit(), 0);
  EXPECT_FALSE(FileExists(folder.Settings()));
}

}  // namespace
