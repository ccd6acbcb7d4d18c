#include "game/scene.h"

#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "game/documents_double.h"

#include "game/camera_double.h"
#include "game/camera_trace.h"
#include "game/frame_loop.h"
#include "game/game_double.h"
#include "host/host_driver.h"
#include "sapi_standin_control.h"

namespace scene {
namespace {

using game_double::At;
using game_double::Base;
using game_double::Cpu;

uint32_t Addr(const void* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }
template <typename T>
void Put(uint8_t* object, uint32_t offset, T value) {
  std::memcpy(object + offset, &value, sizeof value);
}
uint8_t* Block(uint32_t bytes) {
  return static_cast<uint8_t*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes));
}

struct Actor {
  const char* name;
  const char* id;    // the second text the game hands the plug-in
  const char* race;  // null for a creature
  bool female;
  bool creature;
  uint8_t* mobile;
  uint8_t* ref;
};

// The actor's record, data and race as the game keeps them; `mobile` and
// `ref` may be the double's own (the player's).
void Build(Actor& a, float x) {
  if (!a.mobile) a.mobile = Block(0x600);
  if (!a.ref) {
    a.ref = Block(0x80);
    std::memcpy(a.ref, game_double::Objects().playerRef, 4);  // the references' table
  }
  uint8_t* record = Block(0x80);
  uint8_t* data = Block(0xC0);
  uint8_t* height = Block(0x20);
  Put(height, 0x14, 128.0f);
  Put(record, 0x04, a.creature ? 0x41455243u : 0x5F43504Eu);  // "CREA" / "NPC_"
  Put(record, 0x18, Addr(a.ref));
  Put(record, 0x28, Addr(height));
  Put(record, 0x6C, Addr(data));
  Put(data, 0x2C, Addr(a.id));
  Put(data, 0x34, a.female ? 1u : 0u);
  Put(data, 0x70, Addr(a.name));
  if (a.race) {
    uint8_t* race = Block(0x40);
    lstrcpynA(reinterpret_cast<char*>(race + 0x10), a.race, 0x30);
    Put(data, 0xB0, Addr(race));
  }
  Put(a.ref, 0x28, Addr(record));
  Put(a.ref, 0x38, x);
  Put(a.ref, 0x3C, 64.0f);
  Put(a.ref, 0x40, 0.0f);
  Put(a.mobile, 0x14, Addr(a.ref));
}

Actor player{"Indoril Veth", "player", "Imperial", false, false, nullptr, nullptr};
Actor cast[] = {
    {"Dralasa Nerethi", "dralasa nerethi", "Dark Elf", true, false, nullptr, nullptr},
    {"Gharz gro-Shagdul", "gharz gro-shagdul", "Orc", false, false, nullptr, nullptr},
    {"Mudcrab", "mudcrab", nullptr, false, true, nullptr, nullptr},
};
const char* const Lines[] = {
    "Welcome to Seyda Neen, outlander. The guards of Vivec do not like strangers.",
    "Strength is the only thing an orc respects. Show me yours.",
    "Click, click. The sand is warm and the water is cold.",
};
const char JournalEntry[] = "I met a Dark Elf named Dralasa Nerethi in Balmora.";
const char ToneFile[] = "Vo\\scene\\tone.wav";

using game_double::SceneBook;
using game_double::SceneJournal;
const char* const SceneJournalReordered[] = {SceneJournal[1], SceneJournal[0]};

// The partner of the dialogue camera scene.
Actor host{"Selvil Sareloth", "selvil sareloth", "Dark Elf", false, false, nullptr, nullptr};

// The crowd: one sex and one race, so that only each one's own voice and
// timbre tell them apart.
Actor crowd[] = {
    {"Drarayne Thelas", "drarayne thelas", "Dark Elf", false, false, nullptr, nullptr},
    {"Fenas Madach", "fenas madach", "Dark Elf", false, false, nullptr, nullptr},
    {"Galos Mathendis", "galos mathendis", "Dark Elf", false, false, nullptr, nullptr},
    {"Nilos Darys", "nilos darys", "Dark Elf", false, false, nullptr, nullptr},
    {"Tendris Vedran", "tendris vedran", "Dark Elf", false, false, nullptr, nullptr},
};

const char* SpeakerName(uint32_t ref) {
  if (ref == Addr(player.ref)) return player.name;
  if (ref == Addr(host.ref)) return host.name;
  for (const Actor& a : cast)
    if (Addr(a.ref) == ref) return a.name;
  for (const Actor& a : crowd)
    if (Addr(a.ref) == ref) return a.name;
  return "?";
}

alignas(16) uint32_t gameStack[4096];
uint8_t dialogueObject[0x100];

// The dialogue-begin place with the partner in esi.
void BeginDialogue(const Actor& partner) {
  Cpu in{}, out{};
  in.eflags = 0x202;
  in.esi = Addr(partner.mobile);
  in.esp = Addr(&gameStack[2048]);
  game_double::RunPlace(Base() + 0x12935A, in, out);
}

// The call of the dialogue routine (six arguments, owner second, text sixth)
// and the game's `pop edi; pop esi; ret 0x2C` after it.
void DialogueText(const Actor& owner, const char* text) {
  std::memset(gameStack, 0, sizeof gameStack);
  uint32_t* s = &gameStack[2048];
  const uint32_t frame[] = {1, Addr(owner.mobile), 3, 4, 5, Addr(text), 0xED1, 0xE51,
                            static_cast<uint32_t>(game_double::FallExitAddress())};
  std::memcpy(s, frame, sizeof frame);
  Cpu in{}, out{};
  in.eflags = 0x202;
  in.ecx = Addr(dialogueObject);
  in.esp = Addr(s);
  game_double::RunPlace(Base() + 0x00BE32, in, out);
}

bool WaitForSay(uint32_t count, DWORD timeoutMs) {
  for (DWORD start = GetTickCount(); game_double::SayCount() < count;) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(20);
  }
  return true;
}

// Until the buffer stopped, or a little longer than it lasts.  Reports how
// far it was seen to play and where it stopped: a buffer that played to its
// end has its play cursor back at 0, one stopped early keeps the cursor
// where the stop found it.
void WaitPlayed(const game_double::SayEntry& e, uint32_t index) {
  auto* buffer = reinterpret_cast<IDirectSoundBuffer*>(e.buffer);
  if (!buffer || !e.frequency) return;
  const DWORD lasts = static_cast<DWORD>(uint64_t{e.bytes} / 2 * 1000 / e.frequency);
  DWORD furthest = 0;  // the furthest play cursor seen while it played
  for (;;) {
    DWORD status = 0;
    if (FAILED(buffer->GetStatus(&status)) || !(status & DSBSTATUS_PLAYING)) break;
    if (GetTickCount() - e.startTick > lasts + 3000) return;
    DWORD cursor = 0;
    if (SUCCEEDED(buffer->GetCurrentPosition(&cursor, nullptr)) && cursor > furthest) furthest = cursor;
    Sleep(20);
  }
  DWORD cursor = 0;
  buffer->GetCurrentPosition(&cursor, nullptr);
  Report("say.%u.stopped_at=%lu", index, static_cast<unsigned long>(cursor));
  Report("say.%u.furthest=%lu", index, static_cast<unsigned long>(furthest));
}

// Until the latest buffer has stopped and no further piece of its text came
// within two seconds; gives the number of say calls since `first`.
uint32_t HeardOut(uint32_t first) {
  for (;;) {
    const uint32_t count = game_double::SayCount();
    WaitPlayed(game_double::GetSay(count - 1), count - 1);
    if (!WaitForSay(count + 1, 2000)) return count - first;
  }
}

void ReportSay(uint32_t index) {
  const game_double::SayEntry e = game_double::GetSay(index);
  Report("say.%u.file=%s", index, e.name);
  Report("say.%u.speaker=%s", index, SpeakerName(e.speaker));
  Report("say.%u.volume=%u", index, e.volume);
  Report("say.%u.loader=%s", index, e.gameLoader ? "game" : "plugin");
  Report("say.%u.pitch_step=%d", index, e.pitchStep ? 1 : 0);
  Report("say.%u.played=%d", index, e.buffer ? 1 : 0);
  Report("say.%u.format_rate=%u", index, e.formatRate);
  Report("say.%u.frequency=%u", index, e.frequency);
  Report("say.%u.bytes=%u", index, e.bytes);
  Report("say.%u.peaks=%u", index, e.peakCount);
  Report("say.%u.peak_max=%d", index, e.peakMax);
}

// A short tone the game has as one of its own voice files.
void WriteToneFile() {
  CreateDirectoryA("Sound", nullptr);
  CreateDirectoryA("Sound\\Vo", nullptr);
  CreateDirectoryA("Sound\\Vo\\scene", nullptr);
  constexpr uint32_t Rate = 22050, Samples = Rate * 6 / 10;
  std::vector<int16_t> pcm(Samples);
  for (uint32_t i = 0; i < Samples; ++i)
    pcm[i] = static_cast<int16_t>(6000 * std::sin(2 * 3.14159265358979 * 440.0 * i / Rate));
  std::vector<uint8_t> wav;
  auto add = [&](const void* p, size_t n) { wav.insert(wav.end(), static_cast<const uint8_t*>(p), static_cast<const uint8_t*>(p) + n); };
  const uint32_t dataBytes = Samples * 2, riffBytes = 36 + dataBytes, fmtBytes = 16;
  WAVEFORMATEX f{WAVE_FORMAT_PCM, 1, Rate, Rate * 2, 2, 16, 0};
  add("RIFF", 4); add(&riffBytes, 4); add("WAVEfmt ", 8); add(&fmtBytes, 4); add(&f, 16);
  add("data", 4); add(&dataBytes, 4); add(pcm.data(), dataBytes);
  char path[MAX_PATH];
  wsprintfA(path, "Sound\\%s", ToneFile);
  HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written;
  WriteFile(h, wav.data(), static_cast<DWORD>(wav.size()), &written, nullptr);
  CloseHandle(h);
}

// What the player heard: every played buffer at the frequency it played at,
// resampled to 44 100 Hz and laid where it started, summed.
// A buffer stopped before its end is heard up to the stop.
DWORD stoppedAt[256];

void WriteRecording(const char* path, DWORD sceneStart) {
  constexpr uint32_t Rate = 44100;
  std::vector<int32_t> mix;
  for (uint32_t i = 0; i < game_double::SayCount(); ++i) {
    const game_double::SayEntry e = game_double::GetSay(i);
    if (!e.pcm || !e.frequency) continue;
    const size_t at = static_cast<size_t>(uint64_t{e.startTick - sceneStart} * Rate / 1000);
    uint32_t samples = e.bytes / 2;
    if (i < 256 && stoppedAt[i]) {
      const uint64_t heard = uint64_t{stoppedAt[i] - e.startTick} * e.frequency / 1000;
      if (heard < samples) samples = static_cast<uint32_t>(heard);
    }
    const size_t out = static_cast<size_t>(uint64_t{samples} * Rate / e.frequency);
    if (mix.size() < at + out) mix.resize(at + out);
    for (size_t j = 0; j < out; ++j) {
      const double src = static_cast<double>(j) * e.frequency / Rate;
      const size_t k = static_cast<size_t>(src);
      const double frac = src - k;
      const double a = e.pcm[k], b = k + 1 < samples ? e.pcm[k + 1] : 0;
      mix[at + j] += static_cast<int32_t>(a + (b - a) * frac);
    }
  }
  mix.resize(mix.size() + Rate / 2);
  std::vector<int16_t> pcm(mix.size());
  double sum = 0;
  for (size_t i = 0; i < mix.size(); ++i) {
    pcm[i] = static_cast<int16_t>(mix[i] > 32767 ? 32767 : mix[i] < -32768 ? -32768 : mix[i]);
    sum += double(pcm[i]) * pcm[i];
  }
  const uint32_t dataBytes = static_cast<uint32_t>(pcm.size() * 2), riffBytes = 36 + dataBytes, fmtBytes = 16;
  WAVEFORMATEX f{WAVE_FORMAT_PCM, 1, Rate, Rate * 2, 2, 16, 0};
  HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD w;
  WriteFile(h, "RIFF", 4, &w, nullptr); WriteFile(h, &riffBytes, 4, &w, nullptr);
  WriteFile(h, "WAVEfmt ", 8, &w, nullptr); WriteFile(h, &fmtBytes, 4, &w, nullptr);
  WriteFile(h, &f, 16, &w, nullptr); WriteFile(h, "data", 4, &w, nullptr);
  WriteFile(h, &dataBytes, 4, &w, nullptr); WriteFile(h, pcm.data(), dataBytes, &w, nullptr);
  CloseHandle(h);
  Report("recording.file=%s", path);
  Report("recording.ms=%u", static_cast<uint32_t>(uint64_t{pcm.size()} * 1000 / Rate));
  Report("recording.rms=%d", static_cast<int>(std::sqrt(sum / (pcm.empty() ? 1 : pcm.size()))));
}

// A page the player opened: read aloud once (say calls for the player, one
// a piece, played to the end), or, with `heard` false, not read at all.
void ReportPage(const char* name, uint32_t& says, bool heard) {
  const bool said = WaitForSay(says + 1, heard ? 90000 : 2500);
  Report("%s.said=%d", name, said ? 1 : 0);
  if (!said) return;
  Report("%s.say=%u", name, says);
  Report("say.%u.voice=%s", says, sapistandin::ReadString("LastVoice").c_str());
  Report("say.%u.plain=%s", says, sapistandin::ReadString("LastPlain").c_str());
  const uint32_t pieces = HeardOut(says);
  Report("%s.says=%u", name, pieces);
  for (uint32_t i = says; i < says + pieces; ++i) ReportSay(i);
  says = game_double::SayCount();
}

// The player reads a book, turns its page, reads a note and looks at the
// journal three times; the third page is cut short by closing the window.
void ReadTexts(uint32_t& says) {
  Report("book.open_result=%08X", game_double::PlayerOpensBook(SceneBook, 2));
  ReportPage("book.page0", says, true);
  game_double::PlayerTurnsPage(true);
  ReportPage("book.page1", says, true);
  game_double::PlayerClosesTextWindow();
  Report("note.open_result=%08X", game_double::PlayerOpensNote(game_double::SceneNote));
  ReportPage("note", says, true);
  game_double::PlayerClosesTextWindow();
  game_double::PlayerOpensJournal(SceneJournal, 2);
  ReportPage("journal.page0", says, true);
  game_double::PlayerClosesTextWindow();
  game_double::PlayerOpensJournal(SceneJournal, 2);  // the page just heard
  ReportPage("journal.page0_again", says, false);
  game_double::PlayerClosesTextWindow();

  game_double::PlayerOpensJournal(SceneJournalReordered, 2);
  const bool said = WaitForSay(says + 1, 90000);
  Report("journal.page1.said=%d", said ? 1 : 0);
  if (!said) return;
  const game_double::SayEntry e = game_double::GetSay(says);
  auto* buffer = reinterpret_cast<IDirectSoundBuffer*>(e.buffer);
  Sleep(600);
  DWORD status = 0;
  if (buffer) buffer->GetStatus(&status);
  Report("close.playing_before=%d", (status & DSBSTATUS_PLAYING) ? 1 : 0);
  game_double::PlayerClosesTextWindow();
  const DWORD closed = GetTickCount();
  status = 0;
  if (buffer) buffer->GetStatus(&status);
  Report("close.playing_after=%d", (status & DSBSTATUS_PLAYING) ? 1 : 0);
  // Where the stopped buffer's play cursor stands: short of its end when the
  // close cut the page off, at its end when it had run out by itself.
  DWORD cursor = 0;
  if (buffer) buffer->GetCurrentPosition(&cursor, nullptr);
  Report("close.cursor_after=%lu", static_cast<unsigned long>(cursor));
  Report("close.bytes=%u", e.bytes);
  Report("close.heard_ms=%u", static_cast<uint32_t>(closed - e.startTick));
  Report("close.length_ms=%u", e.frequency ? static_cast<uint32_t>(uint64_t{e.bytes} / 2 * 1000 / e.frequency) : 0);
  if (says < 256) stoppedAt[says] = closed;
  Report("journal.page1.say=%u", says);
  Report("say.%u.voice=%s", says, sapistandin::ReadString("LastVoice").c_str());
  ReportSay(says);
  says = game_double::SayCount();
}

// ---------------------------------------------------------------------------
// Long texts: a dialogue line of some 500 characters heard to its end, and a
// book page of about 2 000 characters whose window is closed once its second
// piece plays.  Both start as soon as their first words are rendered.

const char LongLine[] =
    "Strength is the only thing an orc respects, outlander, and I have seen little of it in you so far. "
    "When I came to Balmora the guards laughed at me; they do not laugh now. "
    "Every morning I carry stones from the river to the smithy, and every evening I fight in the yard. "
    "Mr. Vares at the Council Club pays 3.5 drakes for a day of that, and St. Delyn's priests pay nothing. "
    "Come back when you can lift what I lift. Then we will talk about the Fighters Guild.";

// Six paragraphs of a guide to Balmora, laid out by the double's book.
const char* const LongBook[] = {
    "<DIV ALIGN=\"CENTER\">A Guide to Balmora<BR>"
    "Balmora stands on the Odai river, in the heart of the West Gash, and it is the seat of House Hlaalu. "
    "Its streets climb from the river to the Hlaalu manor on the hill, and every visitor should walk them "
    "once from the silt strider port to the temple before asking anyone for work.<BR>"
    "The High Town holds the manors of the great families and the Council Club, where the friends of House "
    "Camonna Tong drink and talk. A stranger who asks too many questions there will not be welcome, and the "
    "guards will not help him if he comes to harm.<BR>"
    "The Labor Town lies on the eastern bank. Here the Mages Guild sells spells and potions, the Fighters "
    "Guild takes contracts against bandits and beasts, and the South Wall Cornerclub serves the cheapest "
    "mazte in the Gash. Ask for Nine-Toes there if you want to meet the Blades.<BR>"
    "The Temple is the largest building of the town. Its priests heal the sick for a small gift, sell "
    "scrolls of Almsivi Intervention, and will tell any pilgrim the way to the shrines of the Vvardenfell "
    "Temple.<BR>"
    "The silt strider leaves from the western bank at dawn and at dusk for Seyda Neen, Ald'ruhn, Suran and "
    "Vivec. Its caravaner asks a fair price, and the journey is faster than any walk through the Ashlands.<BR>"
    "Travelers who keep to the roads, pay their taxes and mind the guards will find Balmora a friendly town. "
    "Those who do not will find its jail, which is small, cold and always full.",
};

// The pieces of one text (say calls [first, first + count)): reported one
// by one; each is said by the same speaker, at the same volume and pitch.
void ReportPieces(const char* name, uint32_t first, uint32_t count) {
  Report("%s.says=%u", name, count);
  Report("%s.first_say=%u", name, first);
  const game_double::SayEntry head = game_double::GetSay(first);
  bool alike = true;
  for (uint32_t i = first; i < first + count; ++i) {
    const game_double::SayEntry e = game_double::GetSay(i);
    ReportSay(i);
    alike = alike && e.speaker == head.speaker && e.volume == head.volume && e.frequency == head.frequency &&
            !std::strcmp(e.name, head.name) && e.buffer && e.peakCount > 0;
  }
  Report("%s.pieces_alike=%d", name, alike ? 1 : 0);
}

void SayLongLine(uint32_t& says) {
  BeginDialogue(cast[1]);
  const DWORD asked = GetTickCount();
  DialogueText(cast[1], LongLine);
  DialogueText(cast[1], LongLine);
  const bool said = WaitForSay(says + 1, 90000);
  Report("long_line.said=%d", said ? 1 : 0);
  if (!said) return;
  Report("long_line.first_say_ms=%u", static_cast<uint32_t>(game_double::GetSay(says).startTick - asked));
  ReportPieces("long_line", says, HeardOut(says));
  says = game_double::SayCount();
}

// The page's reading is cut off by closing the book once its second piece
// plays; nothing of it is said after that.
void ReadLongPage(uint32_t& says) {
  const DWORD opened = GetTickCount();
  game_double::PlayerOpensBook(LongBook, 1);
  const bool said = WaitForSay(says + 1, 90000);
  Report("long_page.said=%d", said ? 1 : 0);
  if (!said) return;
  Report("long_page.first_say_ms=%u", static_cast<uint32_t>(game_double::GetSay(says).startTick - opened));
  const bool second = WaitForSay(says + 2, 90000);
  Report("long_page.second_piece=%d", second ? 1 : 0);
  auto* buffer = reinterpret_cast<IDirectSoundBuffer*>(game_double::GetSay(game_double::SayCount() - 1).buffer);
  Sleep(500);
  game_double::PlayerClosesTextWindow();
  const DWORD closed = GetTickCount();
  const uint32_t atClose = game_double::SayCount();
  DWORD status = 0;
  if (buffer) buffer->GetStatus(&status);
  Report("long_page.playing_after_close=%d", (status & DSBSTATUS_PLAYING) ? 1 : 0);
  for (uint32_t i = says; i < atClose && i < 256; ++i)
    if (!stoppedAt[i]) stoppedAt[i] = closed;
  Sleep(3000);  // longer than any seam
  Report("long_page.said_after_close=%u", game_double::SayCount() - atClose);
  ReportPieces("long_page", says, atClose - says);
  says = game_double::SayCount();
}

// ---------------------------------------------------------------------------
// The dialogue camera.

bool cameraDialogueWanted;
const char* cameraTracePath;
const char* cameraPlotPath;

const char HostLine[] = "Sit down, outlander. The silt strider will not leave before the storm has passed.";

constexpr float EyeHeight = 110.0f;
constexpr float PlayerY = 64.0f;  // where Build puts every actor
constexpr uint16_t DialogueMenu = 0xFF1A;

// Frames run at about 60 a second; the worker speaks meanwhile.
constexpr DWORD FrameMs = 16;

}  // namespace

void EnableCameraDialogue(const char* tracePath, const char* plotPath) {
  cameraDialogueWanted = true;
  cameraTracePath = tracePath;
  cameraPlotPath = plotPath;
}

void RunCameraDialogue() {
  using game_double::Frame;
  uint8_t* master = game_double::Objects().gameMaster;
  if (!player.mobile) {
    player.mobile = game_double::Objects().playerMobile;
    player.ref = game_double::Objects().playerRef;
    Build(player, 0.0f);
  }
  // The partner 120 units from the player, 60 degrees to the right of where
  // the camera looks, with a neck and a head in its model.
  Build(host, 0.0f);
  const float hx = 120.0f * 0.8660254f, hy = PlayerY + 120.0f * 0.5f;
  Put(host.ref, 0x38, hx);
  Put(host.ref, 0x3C, hy);
  uint8_t* root = game_double::MakeSceneNode("root", hx, hy, 0.0f);
  uint8_t* body = game_double::MakeSceneNode("Bip01", hx, hy, 80.0f);
  game_double::AddChildNode(root, body);
  game_double::AddChildNode(body, game_double::MakeSceneNode("Neck", hx, hy, 134.0f));
  game_double::AddChildNode(body, game_double::MakeSceneNode("Head", hx, hy, 146.0f));
  Put(host.ref, 0x10, Addr(root));
  game_double::PlaceCamera(0.0f, PlayerY, EyeHeight, 0.0f, 90.0f);
  game_double::SetViewSwitchFov(75.0f);  // the player's own field of view
  game_double::SetFrameActor(host.mobile);

  std::vector<CameraTraceRow> rows;
  uint32_t frameNo = 0;
  auto frame = [&](const char* event) {
    const Frame f = game_double::RunFrame();
    CameraTraceRow r{};
    r.frame = frameNo++;
    r.event = event;
    r.menu = master[0xD6] != 0;
    r.frozen = f.frozen;
    r.fov = f.fov;
    r.yaw = f.heading;
    r.pitch = 90.0f - f.fromUp;
    r.dx = f.mouseDx;
    r.dy = f.mouseDy;
    r.gameAiOff = (game_double::Objects().menuController[0x24] & 8) != 0;
    r.partnerAiOff = f.partnerAiOff;
    r.partnerGroupChanged = f.partnerGroupChanged;
    r.partnerLooksAtPlayer = f.partnerLooksAt == Addr(player.ref);
    r.view = game_double::Objects().viewController[0xE8];
    r.extrasSeeMenu = f.extrasSeeMenu[0] || f.extrasSeeMenu[1] || f.extrasSeeMenu[2] || f.extrasSeeMenu[3];
    rows.push_back(r);
    Sleep(FrameMs);
    return f;
  };

  // The game leaves its start menu; the player walks up in first person.
  game_double::CloseMenu();
  for (int i = 0; i < 5; ++i) frame(i ? "" : "start menu left");

  // The dialogue begins: the game starts it with the partner, then opens the
  // dialogue menu.
  game_double::StartDialogue(host.mobile);
  game_double::OpenMenu(DialogueMenu);
  uint32_t says = game_double::SayCount();
  uint32_t zoomFrames = 0, turnFrames = 0, frozenFrames = 0, lookedAtPlayer = 0;
  float fovMin = 1000.0f;
  bool switched = false;
  for (int i = 0; i < 150; ++i) {
    const char* event = i == 0 ? "dialogue menu" : "";
    if (i == 2) {
      DialogueText(host, HostLine);  // the game passes each line twice
      DialogueText(host, HostLine);
      event = "line";
    }
    if (i == 60) {  // the player switches to third person
      game_double::Objects().viewController[0xE9] = 1;
      event = "view switch";
    }
    const Frame f = frame(event);
    if (f.fov < fovMin) fovMin = f.fov, zoomFrames = i + 1;
    if (f.mouseDx || f.mouseDy) turnFrames = i + 1;
    frozenFrames += f.frozen;
    lookedAtPlayer += f.partnerLooksAt == Addr(player.ref);
    switched |= f.viewSwitched;
  }
  // The line is heard out before the menu closes (the trace stays short).
  const bool said = WaitForSay(says + 1, 90000);
  Report("camera.line.said=%d", said ? 1 : 0);
  if (said) {
    Report("say.%u.voice=%s", says, sapistandin::ReadString("LastVoice").c_str());
    WaitPlayed(game_double::GetSay(says), says);
    ReportSay(says);
  }
  const Frame inDialogue = frame("");

  game_double::CloseMenu();
  Frame after{};
  for (int i = 0; i < 5; ++i) after = frame(i ? "" : "menu closed");

  Report("camera.frames=%u", frameNo);
  Report("camera.fov_before=%d", static_cast<int>(rows.front().fov));
  Report("camera.fov_min=%d", static_cast<int>(fovMin));
  Report("camera.zoom_frames=%u", zoomFrames);
  Report("camera.turn_frames=%u", turnFrames);
  Report("camera.yaw_end=%d", static_cast<int>(std::lround(inDialogue.heading)));
  Report("camera.pitch_end=%d", static_cast<int>(std::lround(90.0f - inDialogue.fromUp)));
  Report("camera.frozen_frames=%u", frozenFrames);
  Report("camera.partner_looked_at_player=%u", lookedAtPlayer);
  Report("camera.view_switched=%d", switched ? 1 : 0);
  Report("camera.fov_in_third_person=%d", static_cast<int>(inDialogue.fov));
  Report("camera.fov_after=%d", static_cast<int>(after.fov));
  Report("camera.controls_after=%d", game_double::Objects().playerMobile[0x5B0]);
  if (cameraTracePath) Report("camera.trace=%s", WriteCameraTrace(cameraTracePath, rows) ? cameraTracePath : "failed");
  if (cameraPlotPath) Report("camera.plot=%s", WriteCameraPlot(cameraPlotPath, rows) ? cameraPlotPath : "failed");
  game_double::SetFrameActor(nullptr);
}

// ---------------------------------------------------------------------------
// The crowd.

namespace {
bool crowdWanted;

const char* const CrowdLines[2] = {"Keep moving, outlander.", "The strider leaves at dawn."};
}  // namespace

void EnableCrowd() { crowdWanted = true; }

void RunCrowd(const char* recordPath) {
  const DWORD start = GetTickCount();
  if (!player.mobile) {
    player.mobile = game_double::Objects().playerMobile;
    player.ref = game_double::Objects().playerRef;
    Build(player, 0.0f);
  }
  float x = 0.0f;
  for (Actor& a : crowd) Build(a, x += 15.0f);
  uint32_t says = game_double::SayCount();
  for (int round = 0; round < 2; ++round)
    for (unsigned i = 0; i < sizeof crowd / sizeof crowd[0]; ++i) {
      BeginDialogue(crowd[i]);
      DialogueText(crowd[i], CrowdLines[round]);  // the game passes each line twice
      DialogueText(crowd[i], CrowdLines[round]);
      const bool said = WaitForSay(says + 1, 90000);
      Report("crowd.%u.%d.said=%d", i, round, said ? 1 : 0);
      if (!said) continue;
      Report("crowd.%u.%d.say=%u", i, round, says);
      Report("say.%u.voice=%s", says, sapistandin::ReadString("LastVoice").c_str());
      Report("say.%u.voice_pitch=%ld", says, sapistandin::ReadNumber("LastPitch"));
      Report("say.%u.voice_rate=%ld", says, sapistandin::ReadNumber("LastRate"));
      WaitPlayed(game_double::GetSay(says), says);
      ReportSay(says);
      says = game_double::SayCount();
    }
  Report("crowd.done=1");
  if (recordPath) WriteRecording(recordPath, start);
}

void PrepareSound(uint32_t volume) {
  game_double::SetRoutineResult(game_double::VoiceVolumeQuery, volume);
  uint8_t* manager = game_double::Objects().soundManager;
  manager[0x04] = 0;  // buffers placed at once
  manager[0x18] = 1;  // 2D sound
  manager[0x2A8] = 0; // voices on
  IDirectSound8* sound = nullptr;
  const bool made = SUCCEEDED(DirectSoundCreate8(nullptr, &sound, nullptr)) && sound &&
                    SUCCEEDED(sound->SetCooperativeLevel(GetDesktopWindow(), DSSCL_PRIORITY));
  Report("scene.directsound=%s", made ? "ok" : "failed");
  Put(manager, 0x0C, made ? Addr(sound) : 0u);
}

namespace {
void BuildCast() {
  player.mobile = game_double::Objects().playerMobile;
  player.ref = game_double::Objects().playerRef;
  Build(player, 0.0f);
  // Within arm's reach: no dialogue zoom, the game's volume as it is.
  float x = 0.0f;
  for (Actor& a : cast) Build(a, x += 15.0f);
}

// Line i of the cast: begun, passed twice through the dialogue routine,
// waited for and reported.
void SayLine(size_t i, uint32_t& says) {
  constexpr DWORD LineTimeoutMs = 90000;
  BeginDialogue(cast[i]);
  DialogueText(cast[i], Lines[i]);  // the game passes each line twice
  DialogueText(cast[i], Lines[i]);
  const bool said = WaitForSay(says + 1, LineTimeoutMs);
  Report("line.%u.speaker=%s", static_cast<unsigned>(i), cast[i].name);
  Report("line.%u.said=%d", static_cast<unsigned>(i), said ? 1 : 0);
  if (!said) return;
  Report("say.%u.voice=%s", says, sapistandin::ReadString("LastVoice").c_str());
  Report("say.%u.plain=%s", says, sapistandin::ReadString("LastPlain").c_str());
  WaitPlayed(game_double::GetSay(says), says);
  ReportSay(says);
  says = game_double::SayCount();
}
}  // namespace

void RunFirstLine() {
  BuildCast();
  uint32_t says = game_double::SayCount();
  SayLine(0, says);
  Report("scene.done=1");
}

void Run(const char* recordPath, bool readTexts) {
  const DWORD sceneStart = GetTickCount();
  BuildCast();
  uint32_t says = game_double::SayCount();
  for (size_t i = 0; i < sizeof cast / sizeof cast[0]; ++i) SayLine(i, says);

  DialogueText(player, JournalEntry);
  DialogueText(player, JournalEntry);
  WaitForSay(says + 1, 2000);
  Report("journal.says=%u", game_double::SayCount() - says);
  says = game_double::SayCount();

  // One of the game's own voice files, said as the game says it.
  WriteToneFile();
  using SayFn = void(__thiscall*)(void*, const char*, uint32_t, uint32_t, uint32_t);
  reinterpret_cast<SayFn>(Base() + 0x08C2B0)(game_double::Objects().soundManager, ToneFile, Addr(cast[0].ref), 0,
                                             200);
  WaitPlayed(game_double::GetSay(says), says);
  ReportSay(says);
  says = game_double::SayCount();

  if (readTexts) {
    ReadTexts(says);
    SayLongLine(says);
    ReadLongPage(says);
  }

  if (cameraDialogueWanted) RunCameraDialogue();
  if (crowdWanted) RunCrowd(nullptr);

  Report("say.count=%u", game_double::SayCount());
  if (recordPath) WriteRecording(recordPath, sceneStart);
  Report("scene.done=1");
}

}  // namespace scene
