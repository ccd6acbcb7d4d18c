// QuorrimVoice's engine, called as SAPI calls it: SetObjectToken with a
// voice token, then Speak with a list of text fragments and a site that
// takes the wave.
#include "voice_engine/tts_engine.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <sapi.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "voice_engine/quorrim_voice.h"

namespace {

// The site SAPI would hand the engine: the rate and volume of the voice,
// the bytes written, and an abort once so many writes have been made.
class Site final : public ISpTTSEngineSite {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override { return *out = nullptr, E_NOINTERFACE; }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE AddEvents(const SPEVENT*, ULONG) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetEventInterest(ULONGLONG* interest) override { return *interest = 0, S_OK; }
  DWORD STDMETHODCALLTYPE GetActions() override { return writes >= abortAfterWrites ? EngineAbort : EngineContinue; }
  HRESULT STDMETHODCALLTYPE Write(const void* data, ULONG size, ULONG* written) override {
    const auto* b = static_cast<const uint8_t*>(data);
    bytes.insert(bytes.end(), b, b + size);
    ++writes;
    if (written) *written = size;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetRate(LONG* r) override { return *r = rate, S_OK; }
  HRESULT STDMETHODCALLTYPE GetVolume(USHORT* v) override { return *v = volume, S_OK; }
  HRESULT STDMETHODCALLTYPE GetSkipInfo(DWORD*, LONG* items) override { return *items = 0, S_OK; }
  HRESULT STDMETHODCALLTYPE CompleteSkip(LONG) override { return S_OK; }

  int16_t Peak() const {
    int16_t peak = 0;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
      int16_t s;
      std::memcpy(&s, &bytes[i], 2);
      if (s > peak) peak = s;
      if (-s > peak) peak = static_cast<int16_t>(-s);
    }
    return peak;
  }

  LONG rate = 0;
  USHORT volume = 100;
  int abortAfterWrites = 1 << 30;
  int writes = 0;
  std::vector<uint8_t> bytes;
};

// A voice token that answers string values from a table and nothing else.
class Token final : public ISpObjectToken {
 public:
  explicit Token(std::map<std::wstring, std::wstring> values) : values_(std::move(values)) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override { return *out = nullptr, E_NOINTERFACE; }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetStringValue(LPCWSTR name, LPWSTR* value) override {
    auto it = values_.find(name ? name : L"");
    if (it == values_.end()) return static_cast<HRESULT>(0x8004503A);  // SPERR_NOT_FOUND
    const size_t bytes = (it->second.size() + 1) * sizeof(wchar_t);
    *value = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
    std::memcpy(*value, it->second.c_str(), bytes);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetData(LPCWSTR, ULONG, const BYTE*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetData(LPCWSTR, ULONG*, BYTE*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetStringValue(LPCWSTR, LPCWSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetDWORD(LPCWSTR, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetDWORD(LPCWSTR, DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OpenKey(LPCWSTR, ISpDataKey**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CreateKey(LPCWSTR, ISpDataKey**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DeleteKey(LPCWSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DeleteValue(LPCWSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumKeys(ULONG, LPWSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumValues(ULONG, LPWSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetId(LPCWSTR, LPCWSTR, WINBOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetId(LPWSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetCategory(ISpObjectTokenCategory**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, DWORD, REFIID, void**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetStorageFileName(REFCLSID, LPCWSTR, LPCWSTR, ULONG, LPWSTR*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE RemoveStorageFileName(REFCLSID, LPCWSTR, WINBOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Remove(const CLSID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE IsUISupported(LPCWSTR, void*, ULONG, IUnknown*, WINBOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DisplayUI(HWND, LPCWSTR, LPCWSTR, void*, ULONG, IUnknown*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE MatchesAttributes(LPCWSTR, WINBOOL*) override { return E_NOTIMPL; }

 private:
  std::map<std::wstring, std::wstring> values_;
};

SPVTEXTFRAG Fragment(const wchar_t* text, LONG rateAdj = 0, ULONG volume = 100) {
  SPVTEXTFRAG f{};
  f.State.eAction = SPVA_Speak;
  f.State.Volume = volume;
  f.State.RateAdj = rateAdj;
  f.pTextStart = text;
  f.ulTextLen = static_cast<ULONG>(lstrlenW(text));
  return f;
}

const WAVEFORMATEX Cd44{WAVE_FORMAT_PCM, 1, 44100, 88200, 2, 16, 0};
const GUID WaveFormatExId = {0xc31adbae, 0x527f, 0x4ff5, {0xa2, 0x30, 0xf6, 0x2b, 0xb6, 0x1f, 0xf7, 0x0c}};

struct EngineFixture : ::testing::Test {
  void SetUp() override {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    IUnknown* unknown = CreateQuorrimVoiceEngine();
    ASSERT_NE(unknown, nullptr);
    ASSERT_EQ(unknown->QueryInterface(IID_ISpTTSEngineOwn, reinterpret_cast<void**>(&engine)), S_OK);
    ASSERT_EQ(unknown->QueryInterface(IID_ISpObjectWithToken, reinterpret_cast<void**>(&withToken)), S_OK);
    unknown->Release();
  }
  void TearDown() override {
    if (withToken) withToken->Release();
    if (engine) engine->Release();
    EXPECT_EQ(LiveQuorrimVoiceEngines(), 0);
  }
  HRESULT Say(Site& site, const SPVTEXTFRAG& first, const WAVEFORMATEX& format = Cd44) {
    return engine->Speak(0, WaveFormatExId, &format, &first, &site);
  }
  void Use(std::map<std::wstring, std::wstring> values) {
    token = std::make_unique<Token>(std::move(values));
    ASSERT_EQ(withToken->SetObjectToken(token.get()), S_OK);
  }
  ISpTTSEngine* engine = nullptr;
  ISpObjectWithToken* withToken = nullptr;
  std::unique_ptr<Token> token;
};

// SAPI asks for a format; the engine takes 16-bit mono at any usual rate,
// and otherwise offers its own 22 050 Hz.
TEST_F(EngineFixture, OffersTheFormatAskedForWhenItIsSixteenBitMono) {
  const struct {
    WAVEFORMATEX target;
    DWORD rate;
  } cases[] = {
      {Cd44, 44100},
      {{WAVE_FORMAT_PCM, 1, 16000, 32000, 2, 16, 0}, 16000},
      {{WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0}, 22050},
      {{WAVE_FORMAT_PCM, 1, 44100, 44100, 1, 8, 0}, 22050},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.target.nSamplesPerSec);
    GUID id{};
    WAVEFORMATEX* offered = nullptr;
    ASSERT_EQ(engine->GetOutputFormat(&WaveFormatExId, &c.target, &id, &offered), S_OK);
    ASSERT_NE(offered, nullptr);
    EXPECT_EQ(id, WaveFormatExId);
    EXPECT_EQ(offered->wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(offered->nChannels, 1);
    EXPECT_EQ(offered->wBitsPerSample, 16);
    EXPECT_EQ(offered->nSamplesPerSec, c.rate);
    EXPECT_EQ(offered->nAvgBytesPerSec, c.rate * 2);
    CoTaskMemFree(offered);
  }
}

// Speech in the format asked for: a short line is some tenths of a second
// to a few seconds of 16-bit samples at 44 100 Hz, and the same line at
// 22 050 Hz is half as many bytes.
TEST_F(EngineFixture, WritesSixteenBitMonoAtTheRateAskedFor) {
  Use({{EspeakVoiceValue, L"gmw/en"}});
  Site at44, at22;
  ASSERT_EQ(Say(at44, Fragment(L"Good day, outlander.")), S_OK);
  ASSERT_EQ(Say(at22, Fragment(L"Good day, outlander."), {WAVE_FORMAT_PCM, 1, 22050, 44100, 2, 16, 0}), S_OK);
  EXPECT_EQ(at44.bytes.size() % 2, 0u);
  EXPECT_GT(at44.bytes.size(), 44100u * 2 * 3 / 10);
  EXPECT_LT(at44.bytes.size(), 44100u * 2 * 5);
  EXPECT_NEAR(static_cast<double>(at22.bytes.size()) * 2, static_cast<double>(at44.bytes.size()), 8.0);
  EXPECT_GT(at44.Peak(), 1000);
}

// The voice's rate (the site's) and the text's (the fragment's) add up; the
// voice's volume and the text's scale the samples.
TEST_F(EngineFixture, HonoursRateAndVolumeOfTheVoiceAndOfTheText) {
  Use({{EspeakVoiceValue, L"gmw/en"}});
  Site normal;
  ASSERT_EQ(Say(normal, Fragment(L"Strength is the only thing an orc respects.")), S_OK);
  const struct {
    LONG siteRate;
    LONG fragmentRate;
    USHORT siteVolume;
    ULONG fragmentVolume;
    int lengthSign;  // against the normal rendering
    double peakRatio;
  } cases[] = {
      {5, 0, 100, 100, -1, 1.0}, {0, 5, 100, 100, -1, 1.0}, {-5, 0, 100, 100, 1, 1.0},
      {0, 0, 25, 100, 0, 0.25},  {0, 0, 100, 50, 0, 0.5},   {0, 0, 50, 50, 0, 0.25},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.siteRate << " " << c.fragmentRate << " " << c.siteVolume << " "
                                    << c.fragmentVolume);
    Site site;
    site.rate = c.siteRate;
    site.volume = c.siteVolume;
    ASSERT_EQ(Say(site, Fragment(L"Strength is the only thing an orc respects.", c.fragmentRate, c.fragmentVolume)),
              S_OK);
    if (c.lengthSign < 0) {
      EXPECT_LT(site.bytes.size(), normal.bytes.size() * 9 / 10);
    } else if (c.lengthSign > 0) {
      EXPECT_GT(site.bytes.size(), normal.bytes.size() * 11 / 10);
    } else {
      EXPECT_EQ(site.bytes.size(), normal.bytes.size());
      EXPECT_NEAR(site.Peak(), normal.Peak() * c.peakRatio, 2.0);
    }
  }
}

// Quotes, apostrophes, ampersands, angle brackets and letters beyond ASCII
// never pass through a command line, so none of them cuts or breaks the
// text: the Russian voice says a Cyrillic line, and a line with quotes is
// said to its end (longer than its first words alone).
TEST_F(EngineFixture, SaysTextWithQuotesAndLettersBeyondAscii) {
  const struct {
    const wchar_t* voice;
    const wchar_t* text;
    const wchar_t* firstWords;
  } cases[] = {
      {L"gmw/en", L"He said \"run\" & 'hide' <now>, then he ran away from the guards.", L"He said"},
      {L"zle/ru",
       L"\x041F\x0440\x0438\x0432\x0435\x0442, \x00AB\x0447\x0443\x0436\x0435\x0437\x0435\x043C\x0435\x0446\x00BB, "
       L"\x0434\x043E\x0431\x0440\x043E \x043F\x043E\x0436\x0430\x043B\x043E\x0432\x0430\x0442\x044C.",
       L"\x041F\x0440\x0438\x0432\x0435\x0442"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.voice);
    Use({{EspeakVoiceValue, c.voice}});
    Site whole, start;
    ASSERT_EQ(Say(whole, Fragment(c.text)), S_OK);
    ASSERT_EQ(Say(start, Fragment(c.firstWords)), S_OK);
    EXPECT_GT(start.bytes.size(), 0u);
    EXPECT_GT(whole.bytes.size(), start.bytes.size() * 3);
  }
}

// Fragments are said in order, each with its own state; what is not to be
// spoken (silence, bookmarks) or holds only blanks adds nothing.
TEST_F(EngineFixture, SaysEachSpokenFragmentInOrder) {
  Use({{EspeakVoiceValue, L"gmw/en"}});
  Site first, second, both;
  ASSERT_EQ(Say(first, Fragment(L"Balmora.")), S_OK);
  ASSERT_EQ(Say(second, Fragment(L"Vivec.")), S_OK);
  SPVTEXTFRAG a = Fragment(L"Balmora."), blank = Fragment(L"   "), bookmark = Fragment(L"mark"),
              b = Fragment(L"Vivec.");
  bookmark.State.eAction = SPVA_Bookmark;
  a.pNext = &blank;
  blank.pNext = &bookmark;
  bookmark.pNext = &b;
  ASSERT_EQ(Say(both, a), S_OK);
  std::vector<uint8_t> joined = first.bytes;
  joined.insert(joined.end(), second.bytes.begin(), second.bytes.end());
  EXPECT_EQ(both.bytes, joined);
}

// SAPI's abort (a purge, or the voice released) stops the writing at the
// next chunk; the call still succeeds.
TEST_F(EngineFixture, StopsWritingWhenSapiAborts) {
  Use({{EspeakVoiceValue, L"gmw/en"}});
  Site site;
  site.abortAfterWrites = 1;
  ASSERT_EQ(Say(site, Fragment(L"A long line that makes many chunks of sound, far more than one.")), S_OK);
  EXPECT_EQ(site.writes, 1);
}

// Without espeak-ng where the voice looks for it, Speak answers at once
// with an error SAPI passes on, and writes nothing.
TEST_F(EngineFixture, WithoutEspeakAnswersFileNotFound) {
  const wchar_t* const programs[] = {L"/nonexistent/bin/espeak-ng", L"espeak-ng", L""};
  for (const wchar_t* program : programs) {
    SCOPED_TRACE(testing::Message() << "program " << std::wstring(program).size());
    Use({{EspeakVoiceValue, L"gmw/en"}, {EspeakProgramValue, program}});
    Site site;
    EXPECT_EQ(Say(site, Fragment(L"Hello.")), std::wstring(program).empty() ? S_OK : EspeakNotFound);
    if (!std::wstring(program).empty()) {
      EXPECT_TRUE(site.bytes.empty());
    }
  }
}

TEST_F(EngineFixture, RefusesAFormatItNeverOffers) {
  Site site;
  const WAVEFORMATEX stereo{WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0};
  EXPECT_EQ(Say(site, Fragment(L"Hello."), stereo), E_INVALIDARG);
  EXPECT_EQ(engine->Speak(0, WaveFormatExId, &Cd44, nullptr, nullptr), E_INVALIDARG);
  EXPECT_TRUE(site.bytes.empty());
}

}  // namespace
