// INSTALL and UNINSTALL of the Quorrim voices, as the INSTALLING page calls
// them, in this Wine prefix: what is registered, when, and what each says
// into the install log in both languages.  Every case leaves the prefix as
// it found it (no Quorrim voices, no test token).
#include "configurator/wine_voices.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <objbase.h>

#include <optional>
#include <string>
#include <vector>

#include "configurator/localize.h"
#include "support/test_support.h"
#include "voice_engine/quorrim_voice.h"

namespace {

using Lines = std::vector<std::string>;

Lines Keys(const std::vector<const char*>& keys) { return Lines(keys.begin(), keys.end()); }

std::wstring TokenKey(const wchar_t* name) { return std::wstring(VoiceTokensKey) + L"\\" + name; }

std::wstring ReadValue(HKEY root, const std::wstring& key, const wchar_t* name) {
  wchar_t value[MAX_PATH] = {};
  DWORD size = sizeof value - sizeof(wchar_t);
  if (RegGetValueW(root, key.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) return L"";
  return value;
}

std::wstring Clsid(const CLSID& clsid) {
  wchar_t text[64];
  StringFromGUID2(clsid, text, 64);
  return text;
}

// A voice token of another engine; with a class, one that is registered in
// this prefix (the test's own engine stands in for it).
struct OtherToken {
  explicit OtherToken(bool withClass) {
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, TokenKey(L"Quorrim Test Other Voice").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                    nullptr, &key, nullptr);
    const std::wstring clsid = Clsid(CLSID_QuorrimVoice);
    if (withClass)
      RegSetValueExW(key, L"CLSID", 0, REG_SZ, reinterpret_cast<const BYTE*>(clsid.c_str()),
                     static_cast<DWORD>((clsid.size() + 1) * 2));
    RegCloseKey(key);
  }
  ~OtherToken() { RegDeleteTreeW(HKEY_LOCAL_MACHINE, TokenKey(L"Quorrim Test Other Voice").c_str()); }
};

class WineVoices : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(RunningUnderWine());
    RemoveWineVoices();
    ASSERT_FALSE(QuorrimVoicesRegistered());
  }
  void TearDown() override {
    RemoveWineVoices();
    EXPECT_FALSE(QuorrimVoicesRegistered());
  }
  const std::string exeDir = testsupport::RuntimeDir() + "\\";  // where QuorrimVoice.dll is built
};

TEST_F(WineVoices, InstallRegistersFourTokensWithTheirAttributesAndUninstallRemovesThem) {
  ASSERT_TRUE(EspeakInstalled());  // the Wine root has it
  EXPECT_EQ(Keys(InstallWineVoices(exeDir)), Lines{"WINEVOICESADDED"});
  ASSERT_TRUE(QuorrimVoicesRegistered());
  for (const QuorrimVoiceToken& t : QuorrimVoiceTokens) {
    SCOPED_TRACE(testing::Message() << std::string(t.key, t.key + lstrlenW(t.key)));
    const std::wstring key = TokenKey(t.key), attributes = key + L"\\Attributes";
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, key, nullptr), t.description);
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, key, L"CLSID"), Clsid(CLSID_QuorrimVoice));
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, key, EspeakVoiceValue), t.espeakVoice);
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, attributes, L"Gender"), t.gender);
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, attributes, L"Language"), t.language);
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, attributes, L"Age"), t.age);
  }
  // The class is the DLL that was registered, wherever it lies.
  const std::wstring server =
      ReadValue(HKEY_CLASSES_ROOT, L"CLSID\\" + Clsid(CLSID_QuorrimVoice) + L"\\InprocServer32", nullptr);
  EXPECT_NE(GetFileAttributesW(server.c_str()), INVALID_FILE_ATTRIBUTES) << std::string(server.begin(), server.end());

  // Our own voices are no "other voice": INSTALL again registers them again.
  EXPECT_EQ(Keys(InstallWineVoices(exeDir)), Lines{"WINEVOICESADDED"});

  EXPECT_EQ(Keys(RemoveWineVoices()), Lines{"WINEVOICESREMOVED"});
  EXPECT_FALSE(QuorrimVoicesRegistered());
  EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, L"CLSID\\" + Clsid(CLSID_QuorrimVoice) + L"\\InprocServer32", nullptr), L"");
  EXPECT_TRUE(RemoveWineVoices().empty());  // nothing left to remove, nothing said
}

TEST_F(WineVoices, WhatTheInstallDoesDependsOnThePrefix) {
  const struct {
    const char* name;
    int otherToken;  // 0 none, 1 without an engine class, 2 with a registered one
    bool dllThere;
    Lines said;
    bool registered;
  } cases[] = {
      {"no voice at all", 0, true, {"WINEVOICESADDED"}, true},
      {"a token without an engine, as Wine's default one", 1, true, {"WINEVOICESADDED"}, true},
      {"a voice of another engine", 2, true, {"WINEHASVOICE"}, false},
      {"no QuorrimVoice.dll beside the configurator", 0, false, {}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.otherToken == 2) {  // the other engine's class must be registered: ours stands in for it
      InstallWineVoices(exeDir);
      for (const QuorrimVoiceToken& t : QuorrimVoiceTokens) RegDeleteTreeW(HKEY_LOCAL_MACHINE, TokenKey(t.key).c_str());
    }
    {
      std::optional<OtherToken> other;
      if (c.otherToken != 0) other.emplace(c.otherToken == 2);
      EXPECT_EQ(Keys(InstallWineVoices(c.dllThere ? exeDir : testsupport::RuntimeDir() + "\\nowhere\\")), c.said);
      EXPECT_EQ(QuorrimVoicesRegistered(), c.registered);
    }
    RemoveWineVoices();
    RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"CLSID\\" + Clsid(CLSID_QuorrimVoice)).c_str());
  }
}

TEST(WineVoiceTexts, EveryLineIsInBothLanguages) {
  const LocalizeTable table = LoadLocalizeTable(GetModuleHandleA(nullptr));
  for (const char* key :
       {"WINEHASVOICE", "WINEVOICESADDED", "WINEVOICESFAILED", "WINENOESPEAK", "WINEVOICESREMOVED", "WINEVOICESKEPT"})
    for (int lang : {LangRussian, LangEnglish}) {
      SCOPED_TRACE(testing::Message() << key << " " << lang);
      const std::string text = GetLocalizedText(table, lang, key);
      EXPECT_FALSE(text.empty());
      EXPECT_NE(text, key);
      EXPECT_NE(GetLocalizedText(table, LangRussian, key), GetLocalizedText(table, LangEnglish, key));
    }
}

}  // namespace
