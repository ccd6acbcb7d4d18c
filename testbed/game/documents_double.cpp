#include "game/documents_double.h"

#include <windows.h>

#include <cstring>

namespace game_double {
namespace {

uint32_t Addr(const void* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }

// The game's objects of the text windows; the routines do their work only
// for these (other callers, the execution tests among them, get a plain
// recorded call).
alignas(16) uint8_t bookObject[0x40], noteObject[0x40], textMenu[0x40], journalMenu[0x40], layoutObject[0x40],
    dialogueObject[0x100];

struct {
  const char* const* pages;
  uint32_t count;
  uint32_t page;
} book;
const char* noteText;
const char* const* journalEntries;
uint32_t journalCount;

// A registered callback: what the push place handed the game's registration.
struct Registered {
  uint32_t place;
  uint32_t callback;
  uint32_t code;
};
Registered pageCallbacks[] = {{0x1AC36B, 0, 0}, {0x1ABE9C, 0, 0}, {0x1AC358, 0, 0}, {0x1ABCBF, 0, 0}};
Registered journalCallback{0x1D644E, 0, 0};

std::vector<std::string> linesSent;
char* layoutBuffer;  // the game's buffer of the page laid out last

// Two game stacks: one for the places the player's actions reach, one for
// the places the routines run while they lay out a page.
uint32_t* StackTop(int which) {
  static uint32_t* stacks[2];
  constexpr uint32_t Words = 65536;
  if (!stacks[which])
    stacks[which] = static_cast<uint32_t*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, Words * 4));
  return stacks[which] + Words - 64;
}
enum { Outer, Inner };

// ebp: the caller's frame, which the code after the document line call reads.
Cpu Run(uint32_t offset, uint32_t* esp, uint32_t ecx = 0, uint32_t esi = 0) {
  static uint8_t callerFrame[0x40];
  Cpu in{}, out{};
  in.eflags = 0x202;
  in.ebp = Addr(callerFrame);
  in.ecx = ecx;
  in.esi = esi;
  in.esp = Addr(esp);
  RunPlace(Base() + offset, in, out);
  return out;
}

void Register(Registered& r) {
  const Cpu out = Run(r.place, StackTop(Outer));
  const auto* pushed = reinterpret_cast<const uint32_t*>(out.esp);
  r.code = pushed[0];
  r.callback = pushed[1];
}

void SendLine(uint32_t place, const char* line, uint32_t y) {
  uint32_t* s = StackTop(Inner);
  s[0] = y;
  s[1] = Addr(line);
  Run(place, s, Addr(layoutObject));
}

bool LineBreakAt(const char* p) {
  return p[0] == '<' && (p[1] | 0x20) == 'b' && (p[2] | 0x20) == 'r' && p[3] == '>';
}

// Cuts the text into lines in the game's buffer and sends each from its
// place: places[0] for the first line of a paragraph, places[1] after.
void LayOut(const char* text, const uint32_t (&places)[2]) {
  if (!text) return;
  const size_t length = std::strlen(text);
  if (layoutBuffer) HeapFree(GetProcessHeap(), 0, layoutBuffer);
  layoutBuffer = static_cast<char*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, length + 8));
  std::memcpy(layoutBuffer, text, length);
  char* p = layoutBuffer;
  bool paragraphStart = true;
  for (uint32_t y = 0; *p; y += 16) {
    char* end = p;
    char* lastBlank = nullptr;
    uint32_t visible = 0;
    bool markup = false, paragraphEnd = false;
    for (; *end; ++end) {
      if (LineBreakAt(end)) {
        paragraphEnd = true;
        break;
      }
      if (*end == '<') {
        markup = true;
      } else if (*end == '>') {
        markup = false;
      } else if (!markup) {
        if (*end == ' ') lastBlank = end;
        if (++visible > LineWidth && lastBlank) break;
      }
    }
    char* next;
    if (paragraphEnd) {
      next = end + 4;
    } else if (*end) {
      end = lastBlank;
      next = lastBlank + 1;
    } else {
      next = end;
    }
    *end = 0;
    SendLine(places[paragraphStart ? 0 : 1], p, y);
    paragraphStart = paragraphEnd;
    p = next;
  }
}

constexpr uint32_t BookLinePlaces[2] = {0x1AD9AF, 0x1ADAB3};
constexpr uint32_t DocumentLinePlaces[2] = {0x21375E, 0x21378C};

void OpenWindow() {
  *At<uint32_t>(0x3D2B10) = 0;
  Run(0x1AD630, StackTop(Outer));
  *At<uint32_t>(0x3D2B10) = 1;
  *At<uint32_t>(0x3D2B14) = Addr(textMenu);
}

// The call of the dialogue routine at +0xBE32 (six arguments, owner second,
// text sixth) and the game's `pop edi; pop esi; ret 0x2C` after it.
void JournalEntry(const char* text) {
  uint32_t* s = StackTop(Inner);
  const uint32_t frame[] = {1, Addr(Objects().playerMobile), 3, 4, 5, Addr(text), 0xED1, 0xE51,
                            static_cast<uint32_t>(FallExitAddress())};
  std::memcpy(s, frame, sizeof frame);
  Run(0x00BE32, s, Addr(dialogueObject));
}

using Callback = uint32_t(__cdecl*)(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t);

}  // namespace

void DocumentRoutineEffect(Routine routine, const uint32_t* stack) {
  // stack[0] is the return address, the arguments follow.
  switch (routine) {
    case SendTextLine:
      if (stack[2]) linesSent.emplace_back(reinterpret_cast<const char*>(stack[2]));
      break;
    case OpenBook:
      if (stack[1] == Addr(bookObject) && book.count) LayOut(book.pages[book.page], BookLinePlaces);
      break;
    case BookPageCallbackA:
    case BookPageCallbackB: {
      if (stack[1] != Addr(textMenu) || !book.count) break;
      const bool forward = routine == BookPageCallbackA;
      if (forward ? book.page + 1 >= book.count : book.page == 0) break;  // no page there
      book.page += forward ? 1 : -1;
      LayOut(book.pages[book.page], BookLinePlaces);
      break;
    }
    case OpenDocument:
      if (stack[1] == Addr(noteObject)) LayOut(noteText, DocumentLinePlaces);
      break;
    case JournalPageCallback:
      if (stack[1] == Addr(journalMenu))
        for (uint32_t i = 0; i < journalCount; ++i) JournalEntry(journalEntries[i]);
      break;
    default:
      break;
  }
}

uint32_t PlayerOpensBook(const char* const* pages, uint32_t pageCount) {
  book = {pages, pageCount, 0};
  OpenWindow();
  for (Registered& r : pageCallbacks) Register(r);
  uint32_t* s = StackTop(Outer);
  s[0] = Addr(bookObject);
  s[1] = 0xEB;  // popped into ebp and ecx after the call
  s[2] = 0xEC;
  return Run(0x0A2A15, s).eax;
}

uint32_t PlayerTurnsPage(bool forward) {
  const Registered& r = pageCallbacks[forward ? 0 : 2];
  if (!r.callback) return 0;
  return reinterpret_cast<Callback>(r.callback)(Addr(textMenu), r.code, 0, 0, 0);
}

uint32_t PlayerOpensNote(const char* text) {
  noteText = text;
  OpenWindow();
  uint32_t* s = StackTop(Outer);
  s[0] = Addr(noteObject);
  s[1] = 0;
  return Run(0x2138FB, s, 0, Addr(textMenu)).eax;
}

uint32_t PlayerOpensJournal(const char* const* entries, uint32_t count) {
  journalEntries = entries;
  journalCount = count;
  OpenWindow();
  Register(journalCallback);
  return reinterpret_cast<Callback>(journalCallback.callback)(Addr(journalMenu), journalCallback.code, 0, 0, 0);
}

void PlayerClosesTextWindow() {
  *At<uint32_t>(0x3D2B10) = 1;
  Run(0x1AD630, StackTop(Outer));
  *At<uint32_t>(0x3D2B10) = 0;
  *At<uint32_t>(0x3D2B14) = 0;
}

std::vector<std::string> LinesSent() { return linesSent; }
void ClearLinesSent() { linesSent.clear(); }

}  // namespace game_double
