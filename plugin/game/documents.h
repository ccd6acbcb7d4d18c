// Books, documents and journal pages: the game builds a page line by line;
// the wrappers empty CapturedText, let the game work, then speak what came.
#pragma once
#include "plugin/game/text_checksum.h"
#include <cstdint>

// One line of the page being built, in the game's own buffer: a line with
// a '>' three bytes past its terminator (the game's mark behind a line that
// ends a paragraph) is followed by ". ", any other by two blanks.
void AppendTextLine(const char* line);

// CaptureAndSpeak around the game routines and callbacks.  Each has the
// wrapped routine's arguments, is caller-cleaned like it, and hands back the
// routine's own result, so the game sees what it would have seen.
uint32_t __cdecl CaptureAndSpeakDocument(uint32_t a1, uint32_t a2);  // document opening, +0x213060
uint32_t __cdecl CaptureAndSpeakBook(uint32_t a1);                   // book opening, +0x1AC2A0
uint32_t __cdecl CaptureAndSpeakPageA(uint32_t a1, uint32_t a2, uint32_t a3, uint32_t a4, uint32_t a5);  // +0x1AC970
uint32_t __cdecl CaptureAndSpeakPageB(uint32_t a1, uint32_t a2, uint32_t a3, uint32_t a4, uint32_t a5);  // +0x1AC8C0

// The journal page callback (+0x1D7260), registered in the game's place.  A
// page is spoken unless it is the very text spoken last; with
// AlwReadOpenJnl, a call that yields no text makes the next page new again.
uint32_t __cdecl CaptureJournalPage(uint32_t a1, uint32_t a2, uint32_t a3, uint32_t a4, uint32_t a5);

