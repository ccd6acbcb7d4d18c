// QuorrimSapi.dll: an in-process COM server that stands in for SAPI 5 under
// Wine (whose SAPI cannot render).  It serves SpVoice, SpMemoryStream,
// SpFileStream and SpAudioFormat through the automation interfaces the
// product calls (by vtable; IDispatch is left minimal), with installed voices
// a test sets in the registry (sapi_standin_control.h), SAPI's pitch, rate
// and volume markup, and a deterministic synthesizer of its own:
//
//   every character of the plain text is one segment of
//     30 ms * 3^(-rate/10)                                 (rate -10..10)
//   a sine at  base(voice) * 2^(pitch/12) * (1 + (c % 8) / 8)
//     base(voice) = 110 + FNV-1a(description) % 110 Hz      (pitch -10..10)
//   with peak  12000 * volume / 100  (blanks are silent)    (volume 0..100)
//
// A voice registered as "Description=espeak:VOICE" speaks through the Unix
// program /usr/bin/espeak-ng instead (see SpeakWithEspeak).
#include <initguid.h>
#include <windows.h>
#include <mmsystem.h>
#include <sapi.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <cwctype>
#include <string>
#include <vector>

#include "sapi_standin_control.h"
#include "sapi_standin_refusals.h"
#include "sapi_standin_spvoice.h"

namespace {

HINSTANCE ThisModule;
std::atomic<long> LiveObjects{0};
std::atomic<long> SpeakSerial{0};

// Asked of our own streams so that the voice finds the object behind an
// ISpeechBaseStream pointer it is given.
// {6A1C4F0E-3B2D-4E8A-9C51-2F7D8E90A1B3}
DEFINE_GUID(IID_StandInStream, 0x6a1c4f0e, 0x3b2d, 0x4e8a, 0x9c, 0x51, 0x2f, 0x7d, 0x8e, 0x90, 0xa1, 0xb3);

std::wstring Widen(const std::string& s) {
  int n = MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, nullptr, 0);
  std::wstring w(n > 0 ? n - 1 : 0, L'\0');
  if (n > 1) MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, w.data(), n);
  return w;
}

std::string Narrow(const std::wstring& w, UINT cp = CP_ACP) {
  int n = WideCharToMultiByte(cp, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string s(n > 0 ? n - 1 : 0, '\0');
  if (n > 1) WideCharToMultiByte(cp, 0, w.c_str(), -1, s.data(), n, nullptr, nullptr);
  return s;
}

// ---- installed voices -------------------------------------------------------

struct InstalledVoice {
  std::wstring description;
  std::string espeakVoice;  // empty: our own synthesizer
  // The token's attributes (Gender, Age, Language, ...), in the order given.
  std::vector<std::pair<std::wstring, std::wstring>> attributes;
};

// "Name=Value;Name=Value" after the first ';' of an entry.
void ReadAttributes(std::wstring list, InstalledVoice& v) {
  while (!list.empty()) {
    const size_t end = list.find(L';');
    const std::wstring part = list.substr(0, end);
    const size_t eq = part.find(L'=');
    if (eq != std::wstring::npos && eq > 0) v.attributes.emplace_back(part.substr(0, eq), part.substr(eq + 1));
    if (end == std::wstring::npos) break;
    list.erase(0, end + 1);
  }
}

std::vector<InstalledVoice> ReadInstalledVoices() {
  std::vector<InstalledVoice> voices;
  HKEY key = sapistandin::OpenKey();
  std::vector<wchar_t> buffer(32768);
  DWORD size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t) - 4), type = 0;
  if (RegQueryValueExW(key, L"Voices", nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) ==
          ERROR_SUCCESS &&
      type == REG_MULTI_SZ) {
    for (const wchar_t* p = buffer.data(); *p; p += lstrlenW(p) + 1) {
      std::wstring entry = p;
      InstalledVoice v;
      if (const size_t semicolon = entry.find(L';'); semicolon != std::wstring::npos) {
        ReadAttributes(entry.substr(semicolon + 1), v);
        entry.resize(semicolon);
      }
      size_t eq = entry.find(L"=espeak:");
      if (eq == std::wstring::npos) {
        v.description = entry;
      } else {
        v.description = entry.substr(0, eq);
        v.espeakVoice = Narrow(entry.substr(eq + 8));
      }
      voices.push_back(v);
    }
  } else {
    const struct {
      const wchar_t* description;
      const wchar_t* gender;
    } standard[] = {{L"Quorrim Stand-in Male", L"Male"},
                    {L"Quorrim Stand-in Female", L"Female"},
                    {L"Quorrim Stand-in Creature", L"Neutral"}};
    for (const auto& d : standard)
      voices.push_back({d.description, "", {{L"Gender", d.gender}, {L"Age", L"Adult"}, {L"Language", L"409"}}});
  }
  RegCloseKey(key);
  return voices;
}

InstalledVoice DefaultVoice() {
  std::vector<InstalledVoice> voices = ReadInstalledVoices();
  std::wstring wanted = Widen(sapistandin::ReadString("DefaultVoice"));
  for (const InstalledVoice& v : voices)
    if (!wanted.empty() && v.description == wanted) return v;
  if (!voices.empty()) return voices.front();
  return {L"Quorrim Stand-in Default", "", {}};
}

void RecordString(HKEY key, const wchar_t* name, const std::wstring& value) {
  RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}
void RecordNumber(HKEY key, const wchar_t* name, long value) {
  DWORD v = static_cast<DWORD>(value);
  RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
}

// ---- audio formats ----------------------------------------------------------

struct PcmFormat {
  int rate = 22050, bits = 16, channels = 1;
};

// SpeechAudioFormatType 4..39: nine rates, each 8-bit mono, 8-bit stereo,
// 16-bit mono, 16-bit stereo.
PcmFormat FormatOfType(int type) {
  static const int rates[] = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
  PcmFormat f;
  if (type >= 4 && type <= 39) {
    int i = type - 4;
    f.rate = rates[i / 4];
    f.bits = (i % 4) < 2 ? 8 : 16;
    f.channels = (i % 2) ? 2 : 1;
  }
  return f;
}

// Appends mono samples (-32768..32767) in format f.
void AppendSamples(std::vector<uint8_t>& out, const std::vector<int16_t>& mono, const PcmFormat& f) {
  out.reserve(out.size() + mono.size() * f.channels * f.bits / 8);
  for (int16_t s : mono)
    for (int c = 0; c < f.channels; ++c) {
      if (f.bits == 8) {
        out.push_back(static_cast<uint8_t>((s >> 8) + 128));
      } else {
        out.push_back(static_cast<uint8_t>(s & 0xFF));
        out.push_back(static_cast<uint8_t>((s >> 8) & 0xFF));
      }
    }
}

// ---- markup -----------------------------------------------------------------

struct Prosody {
  long pitch = 0, rate = 0, volume = 100;
};

struct Segment {  // a run of plain text spoken with one prosody
  std::wstring text;
  Prosody prosody;
};

long AttributeValue(const std::wstring& tag, const wchar_t* name, long fallback) {
  size_t at = tag.find(name);
  if (at == std::wstring::npos) return fallback;
  at = tag.find_first_of(L"\"'", at);
  if (at == std::wstring::npos) return fallback;
  return wcstol(tag.c_str() + at + 1, nullptr, 10);
}

long Clamp(long v, long lo, long hi) { return v < lo ? lo : v > hi ? hi : v; }

// SAPI's error for markup its parser cannot read.
constexpr HRESULT XmlBadSyntax = static_cast<HRESULT>(0x80045042);  // SPERR_XML_BAD_SYNTAX

// The character a reference at text[at] ('&' ... ';') stands for, or 0 when
// it is none XML knows; *length is the reference's length.
wchar_t Reference(const std::wstring& text, size_t at, size_t* length) {
  const size_t end = text.find(L';', at);
  if (end == std::wstring::npos || end - at > 12) return 0;
  const std::wstring name = text.substr(at + 1, end - at - 1);
  *length = end - at + 1;
  static const struct { const wchar_t* name; wchar_t c; } named[] = {
      {L"amp", L'&'}, {L"lt", L'<'}, {L"gt", L'>'}, {L"quot", L'"'}, {L"apos", L'\''}};
  for (const auto& n : named)
    if (name == n.name) return n.c;
  if (name.size() < 2 || name[0] != L'#') return 0;
  const bool hex = name[1] == L'x';
  const std::wstring digits = name.substr(hex ? 2 : 1);
  if (digits.empty() || digits.find_first_not_of(hex ? L"0123456789abcdefABCDEF" : L"0123456789") != std::wstring::npos)
    return 0;
  const unsigned long value = wcstoul(digits.c_str(), nullptr, hex ? 16 : 10);
  return value > 0 && value < 0xFFFE ? static_cast<wchar_t>(value) : 0;
}

// SAPI treats a string that begins with '<' as XML (SVSFIsXML and
// SVSFIsNotXML decide instead when given).  Open pitch, rate and volume tags
// change the prosody for the rest of the text; every other tag (closing tags
// included) is dropped; references stand for their characters.  Markup its
// parser cannot read fails the whole call, as SAPI's does: a '&' that begins
// no reference, a '<' whose tag is never closed or has no name.
HRESULT ParseMarkup(const std::wstring& text, Prosody prosody, long flags, std::vector<Segment>& segments) {
  size_t start = text.find_first_not_of(L" \t\r\n");
  bool xml = start != std::wstring::npos && text[start] == L'<';
  if (flags & SVSFIsXML) xml = true;
  if (flags & SVSFIsNotXML) xml = false;
  if (!xml) {
    segments.push_back({text, prosody});
    return S_OK;
  }
  Segment current{L"", prosody};
  for (size_t i = 0; i < text.size();) {
    if (text[i] == L'&') {
      size_t length = 0;
      const wchar_t c = Reference(text, i, &length);
      if (c == 0) return XmlBadSyntax;
      current.text += c;
      i += length;
    } else if (text[i] == L'<') {
      size_t end = text.find(L'>', i);
      if (end == std::wstring::npos) return XmlBadSyntax;
      const wchar_t first = i + 1 < text.size() ? text[i + 1] : 0;
      if (!(iswalpha(first) || first == L'/' || first == L'?' || first == L'!')) return XmlBadSyntax;
      std::wstring tag = text.substr(i, end - i + 1);
      i = end + 1;
      Prosody next = current.prosody;
      if (tag.rfind(L"<pitch", 0) == 0) next.pitch = Clamp(AttributeValue(tag, L"absmiddle", next.pitch), -10, 10);
      else if (tag.rfind(L"<rate", 0) == 0) next.rate = Clamp(AttributeValue(tag, L"absspeed", next.rate), -10, 10);
      else if (tag.rfind(L"<volume", 0) == 0) next.volume = Clamp(AttributeValue(tag, L"level", next.volume), 0, 100);
      if (next.pitch != current.prosody.pitch || next.rate != current.prosody.rate ||
          next.volume != current.prosody.volume) {
        if (!current.text.empty()) segments.push_back(current);
        current = {L"", next};
      }
    } else {
      current.text += text[i++];
    }
  }
  segments.push_back(current);
  return S_OK;
}

// While a test asks for it, each Speak call is added to the "Spoken" list:
// "pitch rate volume|plain text".
void AppendSpoken(HKEY key, const Prosody& end, const std::wstring& plain) {
  DWORD on = 0, size = sizeof on;
  if (RegQueryValueExW(key, L"RecordSpoken", nullptr, nullptr, reinterpret_cast<BYTE*>(&on), &size) != ERROR_SUCCESS ||
      !on)
    return;
  std::vector<wchar_t> list;
  DWORD bytes = 0, type = 0;
  if (RegQueryValueExW(key, L"Spoken", nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS && type == REG_MULTI_SZ) {
    list.assign(bytes / sizeof(wchar_t) + 2, L'\0');
    RegQueryValueExW(key, L"Spoken", nullptr, &type, reinterpret_cast<BYTE*>(list.data()), &bytes);
    list.resize(bytes / sizeof(wchar_t));
  }
  // Drop the list's closing terminators; each entry keeps its own.
  while (!list.empty() && list.back() == L'\0') list.pop_back();
  if (!list.empty()) list.push_back(L'\0');
  wchar_t head[64];
  wsprintfW(head, L"%ld %ld %ld|", end.pitch, end.rate, end.volume);
  // A text with a terminator inside would end its entry there.
  const std::wstring entry = head + std::wstring(plain.c_str());
  list.insert(list.end(), entry.begin(), entry.end());
  list.push_back(L'\0');
  list.push_back(L'\0');
  RegSetValueExW(key, L"Spoken", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(list.data()),
                 static_cast<DWORD>(list.size() * sizeof(wchar_t)));
}

// ---- synthesis --------------------------------------------------------------

uint32_t Fnv1a(const std::wstring& s) {
  uint32_t h = 2166136261u;
  for (wchar_t c : s) {
    h ^= static_cast<uint32_t>(c);
    h *= 16777619u;
  }
  return h;
}

void SynthesizeOwn(const std::wstring& voice, const Segment& seg, int sampleRate, std::vector<int16_t>& out) {
  const double base = 110.0 + Fnv1a(voice) % 110;
  const double pitchFactor = std::pow(2.0, seg.prosody.pitch / 12.0);
  const size_t perChar = static_cast<size_t>(std::lround(sampleRate * 0.030 * std::pow(3.0, -seg.prosody.rate / 10.0)));
  const double peak = 12000.0 * seg.prosody.volume / 100.0;
  double phase = 0;
  for (wchar_t c : seg.text) {
    const bool silent = c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
    const double freq = base * pitchFactor * (1.0 + (c % 8) / 8.0);
    const double step = 2 * 3.14159265358979323846 * freq / sampleRate;
    for (size_t i = 0; i < perChar; ++i) {
      out.push_back(silent ? 0 : static_cast<int16_t>(std::lround(peak * std::sin(phase))));
      phase += step;
    }
  }
}

// espeak-ng as a Unix program: Wine starts it through CreateProcessA (the
// handle cannot be waited on and standard handles are not passed), so the
// text goes in a file and the wave comes back in a file, read once espeak-ng
// has patched the sizes into its header.  Converted from its 22 050 Hz to
// sampleRate.  False when espeak-ng did not deliver.
bool SpeakWithEspeak(const std::string& espeakVoice, const Segment& seg, int sampleRate, std::vector<int16_t>& out) {
  if (GetFileAttributesA("Z:\\usr\\bin\\espeak-ng") == INVALID_FILE_ATTRIBUTES) return false;
  const long serial = ++SpeakSerial;
  char stem[128];
  wsprintfA(stem, "/tmp/quorrim-sapi-%lu-%lu-%ld", GetCurrentProcessId(), GetCurrentThreadId(), serial);
  std::string unixText = std::string(stem) + ".txt", unixWave = std::string(stem) + ".wav";
  auto dos = [](std::string p) {
    for (char& c : p)
      if (c == '/') c = '\\';
    return "Z:" + p;
  };
  std::string text = Narrow(seg.text, CP_UTF8);
  HANDLE f = CreateFileA(dos(unixText).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD written;
  WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(f);
  DeleteFileA(dos(unixWave).c_str());

  char command[1024];
  wsprintfA(command, "/usr/bin/espeak-ng -v %s -p %ld -s %ld -a %ld -w %s -f %s", espeakVoice.c_str(),
            50 + seg.prosody.pitch * 4, std::lround(175 * std::pow(3.0, seg.prosody.rate / 10.0)),
            seg.prosody.volume, unixWave.c_str(), unixText.c_str());
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    DeleteFileA(dos(unixText).c_str());
    return false;
  }
  if (pi.hProcess) CloseHandle(pi.hProcess);
  if (pi.hThread) CloseHandle(pi.hThread);

  // espeak-ng writes a header with placeholder sizes and fixes them on close.
  std::vector<uint8_t> wave;
  bool complete = false;
  for (int waited = 0; waited < 15000 && !complete; waited += 20) {
    Sleep(20);
    HANDLE w = CreateFileA(dos(unixWave).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    if (w == INVALID_HANDLE_VALUE) continue;
    DWORD size = GetFileSize(w, nullptr), got = 0;
    wave.assign(size, 0);
    if (size >= 44) ReadFile(w, wave.data(), size, &got, nullptr);
    CloseHandle(w);
    if (got < 44 || got != size) continue;
    uint32_t riff, data;
    std::memcpy(&riff, &wave[4], 4);
    std::memcpy(&data, &wave[40], 4);
    complete = riff + 8 == size && data + 44 == size;
  }
  DeleteFileA(dos(unixText).c_str());
  DeleteFileA(dos(unixWave).c_str());
  if (!complete) return false;

  uint32_t srcRate;
  std::memcpy(&srcRate, &wave[24], 4);
  const size_t count = (wave.size() - 44) / 2;
  const int16_t* src = reinterpret_cast<const int16_t*>(&wave[44]);
  if (count == 0 || srcRate == 0) return true;
  const size_t n = static_cast<size_t>(static_cast<double>(count) * sampleRate / srcRate);
  for (size_t i = 0; i < n; ++i) {  // linear interpolation
    double pos = static_cast<double>(i) * srcRate / sampleRate;
    size_t a = static_cast<size_t>(pos);
    size_t b = a + 1 < count ? a + 1 : a;
    double t = pos - a;
    out.push_back(static_cast<int16_t>(std::lround(src[a] * (1 - t) + src[b] * t)));
  }
  return true;
}

// ---- COM plumbing -----------------------------------------------------------

template <class Interface>
class Dispatch : public Interface {
 public:
  Dispatch() { ++LiveObjects; }
  virtual ~Dispatch() { --LiveObjects; }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    long r = --refs_;
    if (r == 0) delete this;
    return r;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    if (n) *n = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }

 protected:
  HRESULT Answer(void** out) {
    *out = static_cast<Interface*>(this);
    AddRef();
    return S_OK;
  }

 private:
  std::atomic<long> refs_{1};
};

class AudioFormat : public Dispatch<ISpeechAudioFormat> {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_ISpeechAudioFormat) return Answer(out);
    *out = nullptr;
    return E_NOINTERFACE;
  }
  HRESULT STDMETHODCALLTYPE get_Type(SpeechAudioFormatType* t) override {
    *t = type;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_Type(SpeechAudioFormatType t) override {
    type = t;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_Guid(BSTR* g) override {
    *g = SysAllocString(L"{C31ADBAE-527F-4FF5-A230-F62BB61FF70C}");  // SPDFID_WaveFormatEx
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_Guid(BSTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetWaveFormatEx(ISpeechWaveFormatEx**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetWaveFormatEx(ISpeechWaveFormatEx*) override { return E_NOTIMPL; }

  SpeechAudioFormatType type = SAFT22kHz16BitMono;
};

// What the voice writes into: memory and file streams share it.
struct StreamCore {
  std::vector<uint8_t> bytes;
  size_t position = 0;
  SpeechAudioFormatType type = SAFT22kHz16BitMono;
  void Write(const std::vector<uint8_t>& data) {
    if (bytes.size() < position + data.size()) bytes.resize(position + data.size());
    std::memcpy(bytes.data() + position, data.data(), data.size());
    position += data.size();
  }
};

template <class Interface>
class Stream : public Dispatch<Interface> {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_StandInStream) {
      *out = &core;
      return S_OK;  // no reference: only used while the caller holds one
    }
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_ISpeechBaseStream || iid == OwnIid())
      return this->Answer(out);
    *out = nullptr;
    return E_NOINTERFACE;
  }
  virtual const IID& OwnIid() const = 0;
  HRESULT STDMETHODCALLTYPE get_Format(ISpeechAudioFormat** f) override {
    auto* format = new AudioFormat;
    format->type = core.type;
    *f = format;
    return S_OK;
  }
  // The stream takes the format's type as it is now.
  HRESULT STDMETHODCALLTYPE putref_Format(ISpeechAudioFormat* f) override {
    if (!f) return E_INVALIDARG;
    return f->get_Type(&core.type);
  }
  HRESULT STDMETHODCALLTYPE Read(VARIANT*, LONG, LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Write(VARIANT, LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Seek(VARIANT position, SpeechStreamSeekPositionType origin, VARIANT* newPosition) override {
    VARIANT v;
    VariantInit(&v);
    if (FAILED(VariantChangeType(&v, &position, 0, VT_I4))) return E_INVALIDARG;
    long long base = origin == SSSPTRelativeToStart ? 0
                     : origin == SSSPTRelativeToCurrentPosition ? static_cast<long long>(core.position)
                                                                : static_cast<long long>(core.bytes.size());
    long long to = base + v.lVal;
    if (to < 0) return E_INVALIDARG;
    core.position = static_cast<size_t>(to);
    if (newPosition) {
      VariantInit(newPosition);
      newPosition->vt = VT_I4;
      newPosition->lVal = static_cast<LONG>(to);
    }
    return S_OK;
  }
  StreamCore core;
};

class MemoryStreamObject : public Stream<ISpeechMemoryStream> {
 public:
  const IID& OwnIid() const override { return IID_ISpeechMemoryStream; }
  HRESULT STDMETHODCALLTYPE SetData(VARIANT data) override {
    if (!(data.vt & VT_ARRAY) || !data.parray) return E_INVALIDARG;
    LONG lo = 0, hi = -1;
    SafeArrayGetLBound(data.parray, 1, &lo);
    SafeArrayGetUBound(data.parray, 1, &hi);
    core.bytes.assign(static_cast<const uint8_t*>(data.parray->pvData),
                      static_cast<const uint8_t*>(data.parray->pvData) + (hi - lo + 1));
    core.position = 0;
    return S_OK;
  }
  // The whole buffer, whatever the position.
  HRESULT STDMETHODCALLTYPE GetData(VARIANT* out) override {
    if (!out) return E_POINTER;
    VariantInit(out);
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(core.bytes.size()));
    if (!array) return E_OUTOFMEMORY;
    if (!core.bytes.empty()) std::memcpy(array->pvData, core.bytes.data(), core.bytes.size());
    out->vt = VT_ARRAY | VT_UI1;
    out->parray = array;
    return S_OK;
  }
};

class FileStreamObject : public Stream<ISpeechFileStream> {
 public:
  ~FileStreamObject() override { Close(); }
  const IID& OwnIid() const override { return IID_ISpeechFileStream; }
  HRESULT STDMETHODCALLTYPE Open(BSTR fileName, SpeechStreamFileMode mode, VARIANT_BOOL) override {
    if (!fileName) return E_INVALIDARG;
    path_ = fileName;
    core.bytes.clear();
    core.position = 0;
    writing_ = mode == SSFMCreateForWrite || mode == SSFMCreate;
    if (!writing_) {
      HANDLE f = CreateFileW(fileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
      if (f == INVALID_HANDLE_VALUE) return HRESULT_FROM_WIN32(GetLastError());
      CloseHandle(f);
    }
    open_ = true;
    return S_OK;
  }
  // Writes the wave file: RIFF header in the stream's format, then the bytes.
  HRESULT STDMETHODCALLTYPE Close() override {
    if (!open_) return S_OK;
    open_ = false;
    if (!writing_) return S_OK;
    PcmFormat f = FormatOfType(core.type);
    const uint32_t data = static_cast<uint32_t>(core.bytes.size());
    const uint16_t block = static_cast<uint16_t>(f.channels * f.bits / 8);
    std::vector<uint8_t> header(44);
    auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&header[at], &v, 4); };
    auto put16 = [&](size_t at, uint16_t v) { std::memcpy(&header[at], &v, 2); };
    std::memcpy(&header[0], "RIFF", 4);
    put32(4, 36 + data);
    std::memcpy(&header[8], "WAVEfmt ", 8);
    put32(16, 16);
    put16(20, 1);
    put16(22, static_cast<uint16_t>(f.channels));
    put32(24, static_cast<uint32_t>(f.rate));
    put32(28, static_cast<uint32_t>(f.rate) * block);
    put16(32, block);
    put16(34, static_cast<uint16_t>(f.bits));
    std::memcpy(&header[36], "data", 4);
    put32(40, data);
    HANDLE file = CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return HRESULT_FROM_WIN32(GetLastError());
    DWORD written;
    WriteFile(file, header.data(), 44, &written, nullptr);
    if (data) WriteFile(file, core.bytes.data(), data, &written, nullptr);
    CloseHandle(file);
    return S_OK;
  }

 private:
  std::wstring path_;
  bool open_ = false, writing_ = false;
};

class Token : public Dispatch<ISpeechObjectToken> {
 public:
  explicit Token(InstalledVoice v) : voice(std::move(v)) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_ISpeechObjectToken) return Answer(out);
    *out = nullptr;
    return E_NOINTERFACE;
  }
  HRESULT STDMETHODCALLTYPE get_Id(BSTR* id) override {
    std::wstring s = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Speech\\Voices\\Tokens\\" + voice.description;
    *id = SysAllocString(s.c_str());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_DataKey(ISpeechDataKey**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Category(ISpeechObjectTokenCategory**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetDescription(LONG, BSTR* description) override {
    if (!description) return E_POINTER;
    *description = SysAllocString(voice.description.c_str());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetId(BSTR, BSTR, VARIANT_BOOL) override { return E_NOTIMPL; }
  // Names compare without regard to case, as SAPI's do; a missing one is
  // SAPI's SPERR_NOT_FOUND.
  HRESULT STDMETHODCALLTYPE GetAttribute(BSTR name, BSTR* value) override {
    if (!value) return E_POINTER;
    *value = nullptr;
    for (const auto& [key, text] : voice.attributes)
      if (name && lstrcmpiW(key.c_str(), name) == 0) {
        *value = SysAllocString(text.c_str());
        return S_OK;
      }
    return static_cast<HRESULT>(0x8004503A);
  }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, SpeechTokenContext, IUnknown**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Remove(BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetStorageFileName(BSTR, BSTR, BSTR, SpeechTokenShellFolder, BSTR*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE RemoveStorageFileName(BSTR, BSTR, VARIANT_BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE IsUISupported(const BSTR, const VARIANT*, IUnknown*, VARIANT_BOOL* s) override {
    if (s) *s = VARIANT_FALSE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DisplayUI(LONG, BSTR, const BSTR, const VARIANT*, IUnknown*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE MatchesAttributes(BSTR, VARIANT_BOOL* m) override {
    if (m) *m = VARIANT_TRUE;
    return S_OK;
  }

  InstalledVoice voice;
};

class Tokens : public Dispatch<ISpeechObjectTokens> {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_ISpeechObjectTokens) return Answer(out);
    *out = nullptr;
    return E_NOINTERFACE;
  }
  HRESULT STDMETHODCALLTYPE get_Count(LONG* n) override {
    if (!n) return E_POINTER;
    *n = static_cast<LONG>(voices.size());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Item(LONG index, ISpeechObjectToken** token) override {
    if (!token) return E_POINTER;
    *token = nullptr;
    if (index < 0 || index >= static_cast<LONG>(voices.size())) return E_INVALIDARG;
    *token = new Token(voices[index]);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown**) override { return E_NOTIMPL; }

  std::vector<InstalledVoice> voices;
};

// Plays 16-bit mono PCM through waveOut (Wine: PulseAudio).  Synchronous
// unless async; a purge cuts what is still playing.
class Speaker {
 public:
  ~Speaker() { Stop(); }
  void Play(std::vector<uint8_t> pcm, const PcmFormat& f, bool async) {
    Stop();
    WAVEFORMATEX wf{};
    wf.wFormatTag = WAVE_FORMAT_PCM;
    wf.nChannels = static_cast<WORD>(f.channels);
    wf.nSamplesPerSec = static_cast<DWORD>(f.rate);
    wf.wBitsPerSample = static_cast<WORD>(f.bits);
    wf.nBlockAlign = static_cast<WORD>(f.channels * f.bits / 8);
    wf.nAvgBytesPerSec = wf.nSamplesPerSec * wf.nBlockAlign;
    if (pcm.empty() || waveOutOpen(&out_, WAVE_MAPPER, &wf, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
      out_ = nullptr;
      return;
    }
    pcm_ = std::move(pcm);
    header_ = {};
    header_.lpData = reinterpret_cast<LPSTR>(pcm_.data());
    header_.dwBufferLength = static_cast<DWORD>(pcm_.size());
    waveOutPrepareHeader(out_, &header_, sizeof header_);
    waveOutWrite(out_, &header_, sizeof header_);
    if (!async) {
      const DWORD limit = GetTickCount() + 2000 + static_cast<DWORD>(pcm_.size() * 1000ull / wf.nAvgBytesPerSec);
      while (!(header_.dwFlags & WHDR_DONE) && static_cast<LONG>(limit - GetTickCount()) > 0) Sleep(10);
      Stop();
    }
  }
  void Stop() {
    if (!out_) return;
    waveOutReset(out_);
    waveOutUnprepareHeader(out_, &header_, sizeof header_);
    waveOutClose(out_);
    out_ = nullptr;
  }

 private:
  HWAVEOUT out_ = nullptr;
  WAVEHDR header_{};
  std::vector<uint8_t> pcm_;
};

class Voice : public Dispatch<ISpeechVoice> {
 public:
  Voice() : voice_(DefaultVoice()) {}
  ~Voice() override {
    if (output_) output_->Release();
  }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_ISpeechVoice) return Answer(out);
    if (iid == IID_ISpVoice) return (*out = MakeSpVoiceOver(this)) ? S_OK : E_OUTOFMEMORY;
    *out = nullptr;
    return E_NOINTERFACE;
  }
  HRESULT STDMETHODCALLTYPE get_Status(ISpeechVoiceStatus**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Voice(ISpeechObjectToken** t) override {
    *t = new Token(voice_);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE putref_Voice(ISpeechObjectToken* t) override {
    if (!t) return E_INVALIDARG;
    BSTR d = nullptr;
    if (FAILED(t->GetDescription(0, &d))) return E_INVALIDARG;
    InstalledVoice chosen{d ? d : L"", "", {}};
    SysFreeString(d);
    for (const InstalledVoice& v : ReadInstalledVoices())
      if (v.description == chosen.description) chosen = v;
    voice_ = chosen;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_AudioOutput(ISpeechObjectToken**) override { return E_NOTIMPL; }
  // Null: the default device; it also ends output into a stream.
  HRESULT STDMETHODCALLTYPE putref_AudioOutput(ISpeechObjectToken*) override {
    SetOutput(nullptr);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_AudioOutputStream(ISpeechBaseStream** s) override {
    *s = output_;
    if (output_) output_->AddRef();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE putref_AudioOutputStream(ISpeechBaseStream* s) override {
    if (s) {
      void* core = nullptr;
      if (FAILED(s->QueryInterface(IID_StandInStream, &core)) && !sapistandin::TakesForeign(s)) return E_INVALIDARG;
    }
    SetOutput(s);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_Rate(LONG* r) override {
    *r = rate_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_Rate(LONG r) override {
    rate_ = Clamp(r, -10, 10);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_Volume(LONG* v) override {
    *v = volume_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_Volume(LONG v) override {
    volume_ = Clamp(v, 0, 100);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_AllowAudioOutputFormatChangesOnNextSet(VARIANT_BOOL a) override {
    allowFormatChanges_ = a;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_AllowAudioOutputFormatChangesOnNextSet(VARIANT_BOOL* a) override {
    *a = allowFormatChanges_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_EventInterests(SpeechVoiceEvents* e) override {
    *e = static_cast<SpeechVoiceEvents>(0);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_EventInterests(SpeechVoiceEvents) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE put_Priority(SpeechVoicePriority) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE get_Priority(SpeechVoicePriority* p) override {
    *p = SVPNormal;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_AlertBoundary(SpeechVoiceEvents) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE get_AlertBoundary(SpeechVoiceEvents* b) override {
    *b = SVEPhoneme;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_SynchronousSpeakTimeout(LONG) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE get_SynchronousSpeakTimeout(LONG* t) override {
    *t = 10000;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE Speak(BSTR text, SpeechVoiceSpeakFlags flags, LONG* streamNumber) override {
    std::wstring whole = text ? std::wstring(text, SysStringLen(text)) : std::wstring();
    // A BSTR may carry a terminator inside its length when built from a buffer.
    whole = whole.c_str();
    if (flags & SVSFPurgeBeforeSpeak) speaker_.Stop();
    StreamCore* core = nullptr;
    if (output_) output_->QueryInterface(IID_StandInStream, reinterpret_cast<void**>(&core));
    PcmFormat format = core ? FormatOfType(core->type) : FormatOfType(SAFT44kHz16BitMono);
    ISpStreamFormat* foreign = core ? nullptr : sapistandin::ForeignStream(output_);
    if (foreign) format = sapistandin::ForeignFormat(foreign, format);

    Prosody start;
    start.rate = rate_;
    start.volume = volume_;
    std::vector<Segment> segments;
    const HRESULT parsed =
        sapistandin::MarkupRefused(whole, flags) ? E_NOTIMPL
                                                 : ParseMarkup(whole, start, sapistandin::ParseFlags(flags), segments);
    if (FAILED(parsed)) segments.assign(1, Segment{L"", start});  // nothing is spoken
    std::vector<int16_t> mono;
    std::wstring plain;
    for (const Segment& s : segments) {
      plain += s.text;
      if (s.text.empty()) continue;
      if (voice_.espeakVoice.empty() || !SpeakWithEspeak(voice_.espeakVoice, s, format.rate, mono))
        SynthesizeOwn(voice_.description, s, format.rate, mono);
    }
    std::vector<uint8_t> pcm;
    AppendSamples(pcm, mono, format);
    const wchar_t* where = L"speakers";
    if (FAILED(parsed)) {
      where = L"none";
    } else if (foreign) {
      ULONG written = 0;
      foreign->Write(pcm.data(), static_cast<ULONG>(pcm.size()), &written);
      where = L"memory";
    } else if (core) {
      core->Write(pcm);
      FileStreamObject* file = nullptr;
      where = SUCCEEDED(output_->QueryInterface(IID_ISpeechFileStream, reinterpret_cast<void**>(&file))) ? L"file"
                                                                                                          : L"memory";
      if (file) file->Release();
    } else {
      const size_t bytes = pcm.size();
      speaker_.Play(std::move(pcm), format, (flags & SVSFlagsAsync) != 0);
      pcm.assign(bytes, 0);  // only its size is recorded
    }

    HKEY key = sapistandin::OpenKey();
    const Prosody& end = segments.back().prosody;
    RecordString(key, L"LastText", whole);
    RecordString(key, L"LastPlain", plain);
    RecordString(key, L"LastVoice", voice_.description);
    RecordString(key, L"LastOutput", where);
    RecordNumber(key, L"LastPitch", end.pitch);
    RecordNumber(key, L"LastRate", end.rate);
    RecordNumber(key, L"LastVolume", end.volume);
    RecordNumber(key, L"LastBytes", static_cast<long>(pcm.size()));
    RecordNumber(key, L"LastFlags", flags);
    RecordNumber(key, L"LastResult", parsed);
    if (foreign) foreign->Release();
    DWORD count = 0, size = sizeof count;
    RegQueryValueExW(key, L"SpeakCount", nullptr, nullptr, reinterpret_cast<BYTE*>(&count), &size);
    RecordNumber(key, L"SpeakCount", static_cast<long>(count + 1));
    AppendSpoken(key, end, plain);
    RegCloseKey(key);
    if (FAILED(parsed)) return parsed;
    if (streamNumber) *streamNumber = 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SpeakStream(ISpeechBaseStream*, SpeechVoiceSpeakFlags, LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Pause() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Resume() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Skip(const BSTR, LONG, LONG* n) override {
    if (n) *n = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetVoices(BSTR, BSTR, ISpeechObjectTokens** tokens) override {
    if (!tokens) return E_POINTER;
    auto* t = new Tokens;
    t->voices = ReadInstalledVoices();
    *tokens = t;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetAudioOutputs(BSTR, BSTR, ISpeechObjectTokens** tokens) override {
    *tokens = new Tokens;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE WaitUntilDone(LONG, VARIANT_BOOL* done) override {
    if (done) *done = VARIANT_TRUE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SpeakCompleteEvent(LONG* h) override {
    *h = 0;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE IsUISupported(const BSTR, const VARIANT*, VARIANT_BOOL* s) override {
    if (s) *s = VARIANT_FALSE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DisplayUI(LONG, BSTR, const BSTR, const VARIANT*) override { return E_NOTIMPL; }

 private:
  void SetOutput(ISpeechBaseStream* s) {
    if (s) s->AddRef();
    if (output_) output_->Release();
    output_ = s;
  }
  InstalledVoice voice_;
  ISpeechBaseStream* output_ = nullptr;
  LONG rate_ = 0, volume_ = 100;
  VARIANT_BOOL allowFormatChanges_ = 0;
  Speaker speaker_;
};

// ---- class factory and registration -----------------------------------------

using Creator = IUnknown* (*)();

struct ClassEntry {
  const CLSID* clsid;
  const wchar_t* name;
  Creator create;
};

const ClassEntry Classes[] = {
    {&CLSID_SpVoice, L"SpVoice (Quorrim stand-in)", [] { return static_cast<IUnknown*>(new Voice); }},
    {&CLSID_SpMemoryStream, L"SpMemoryStream (Quorrim stand-in)",
     [] { return static_cast<IUnknown*>(new MemoryStreamObject); }},
    {&CLSID_SpFileStream, L"SpFileStream (Quorrim stand-in)",
     [] { return static_cast<IUnknown*>(new FileStreamObject); }},
    {&CLSID_SpAudioFormat, L"SpAudioFormat (Quorrim stand-in)", [] { return static_cast<IUnknown*>(new AudioFormat); }},
};

class Factory : public IClassFactory {
 public:
  explicit Factory(Creator c) : create_(c) { ++LiveObjects; }
  virtual ~Factory() { --LiveObjects; }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
      *out = this;
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    long r = --refs_;
    if (r == 0) delete this;
    return r;
  }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (!create_) return CLASS_E_CLASSNOTAVAILABLE;
    IUnknown* object = create_();
    HRESULT hr = object->QueryInterface(iid, out);
    object->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    lock ? ++LiveObjects : --LiveObjects;
    return S_OK;
  }

 private:
  Creator create_;
  std::atomic<long> refs_{1};
};

std::wstring ClsidKey(const CLSID& clsid) {
  wchar_t text[64];
  StringFromGUID2(clsid, text, 64);
  return std::wstring(L"CLSID\\") + text;
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
  if (reason == DLL_PROCESS_ATTACH) {
    ThisModule = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  for (const ClassEntry& c : Classes)
    if (clsid == *c.clsid) {
      // A refused class gets a factory that makes nothing.  Failing here, or
      // answering "not registered", sends Wine's COM on to a surrogate
      // process (dllhost.exe) that never ends.
      auto* f = new Factory(sapistandin::ClassRefused(clsid) ? nullptr : c.create);
      HRESULT hr = f->QueryInterface(iid, out);
      f->Release();
      return hr;
    }
  return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT WINAPI DllCanUnloadNow() { return LiveObjects == 0 ? S_OK : S_FALSE; }

// InprocServer32 = this very file, wherever the clone lies.
HRESULT WINAPI DllRegisterServer() {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(ThisModule, path, MAX_PATH);
  for (const ClassEntry& c : Classes) {
    HKEY key, server;
    std::wstring k = ClsidKey(*c.clsid);
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, k.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr))
      return E_FAIL;
    RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(c.name),
                   static_cast<DWORD>((lstrlenW(c.name) + 1) * sizeof(wchar_t)));
    if (RegCreateKeyExW(key, L"InprocServer32", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &server, nullptr)) {
      RegCloseKey(key);
      return E_FAIL;
    }
    RegSetValueExW(server, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(path),
                   static_cast<DWORD>((lstrlenW(path) + 1) * sizeof(wchar_t)));
    RegSetValueExW(server, L"ThreadingModel", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"Both"), 10);
    RegCloseKey(server);
    RegCloseKey(key);
  }
  return S_OK;
}

HRESULT WINAPI DllUnregisterServer() {
  for (const ClassEntry& c : Classes) RegDeleteTreeW(HKEY_CLASSES_ROOT, ClsidKey(*c.clsid).c_str());
  return S_OK;
}

}  // extern "C"
