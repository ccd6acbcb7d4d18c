#include "configurator/pages/testing_page.h"

#include <commctrl.h>

#include "configurator/main_window.h"
#include "configurator/resource.h"
#include "configurator/test_strings.h"
#include "configurator/voice_test.h"
#include "configurator/window_races.h"

namespace {

class TestingPage final : public ConfigPage {
 public:
  explicit TestingPage(TfmTCfgMain& window) : ConfigPage(window, "tsPageTest", IDD_tsPageTest) {}

  void Create() override {
    StretchToBottom(Item(IDC_meTestText));
    SendMessageW(Item(IDC_cbTestRaceType), CB_SETMINVISIBLE, 10, 0);
  }

  void ApplyLanguage(int lang) override {
    HWND voices = Item(IDC_cbTestVoice), races = Item(IDC_cbTestRaceType);
    FillList(voices, window.Localized(lang, "cbTestVoice"));
    FillList(races, window.Localized(lang, "cbTestRaceType"));
    SendMessageW(voices, CB_SETCURSEL, 0, 0);
    SendMessageW(races, CB_SETCURSEL, 0, 0);
    // Each item carries the pitch slider of its race on the FILTERS page.
    for (int i = 0; i < RaceCount; ++i) SendMessageW(races, CB_SETITEMDATA, i, WindowRaces[i].sliderId);
    cbTestVoiceChange();
  }

  // The first test text there is, and the device LISTEN plays through.
  void Start() override {
    gameIni_ = window.gameDir + "Morrowind.ini";
    ShowTestString(testStringIndex_);
    OpenTestSound(window.testSound, window.hwnd);
  }

  void Close() override { CloseTestSound(window.testSound); }

  INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM) override {
    if (message != WM_COMMAND) return FALSE;
    const int code = HIWORD(wParam);
    switch (LOWORD(wParam)) {
      case IDC_sbTstStrPrev:
        if (code == BN_CLICKED) ShowTestString(-testStringIndex_);
        break;
      case IDC_sbTstStrNext:
        if (code == BN_CLICKED) ShowTestString(testStringIndex_);
        break;
      case IDC_cbTestVoice:
        if (code == CBN_SELCHANGE) cbTestVoiceChange();
        break;
      case IDC_bHearTestVoice:
        if (code == BN_CLICKED) bHearTestVoiceClick();
        break;
    }
    return TRUE;
  }

 private:
  void ShowTestString(int step) {
    std::string text;
    testStringIndex_ = StepTestString(gameIni_, step, text);
    SetWindowTextA(Item(IDC_meTestText), text.c_str());
  }

  // The race matters to the two character voices only.
  void cbTestVoiceChange() {
    const LRESULT kind = SendMessageW(Item(IDC_cbTestVoice), CB_GETCURSEL, 0, 0);
    EnableWindow(Item(IDC_cbTestRaceType), kind == TestMale || kind == TestFemale);
  }

  // The memo's text as its lines joined by CR LF, in the system's code page
  // for SAPI.
  std::string TestText() const {
    HWND memo = Item(IDC_meTestText);
    std::string text(static_cast<size_t>(GetWindowTextLengthA(memo)) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(memo, text.data(), static_cast<int>(text.size()))));
    return text;
  }

  void bHearTestVoiceClick() {
    FormToSettings(window);
    const int voice = static_cast<int>(SendMessageW(Item(IDC_cbTestVoice), CB_GETCURSEL, 0, 0));
    const int race = static_cast<int>(SendMessageW(Item(IDC_cbTestRaceType), CB_GETCURSEL, 0, 0));
    const FileLexicon lexicon(window.lexicon);
    char id[SpeakerIdSize] = {};
    GetWindowTextA(Item(IDC_edTestSpeaker), id, sizeof id);
    HearTestVoice(window.TestVoice, window.testSound, window.settings, voice, race, TestText(), &lexicon.get(),
                  /*textIsMarkup=*/true, TestSpeaker{id, &window.installedVoices});
  }

  std::string gameIni_;      // gameDir + Morrowind.ini, source of the test texts
  int testStringIndex_ = 0;  // 1..20, 0 before the first
};

}  // namespace

std::unique_ptr<ConfigPage> MakeTestingPage(TfmTCfgMain& window) { return std::make_unique<TestingPage>(window); }
