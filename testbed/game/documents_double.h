// Books, notes and the journal as the game double shows them.
//
// A text is kept as the game keeps it: its lines end at "<BR>" (the end of
// a paragraph) or at the last blank before the line width.  To lay out a
// page the game copies the text into a buffer of its own and cuts each line
// in place, writing a zero over the '<' of the "<BR>" (so a '>' stands three
// bytes past the line's terminator) or over the blank, and hands the line
// to its line routine (+0x188BE0) from one of its call places: the first
// line of a paragraph from one, the others from the second.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "game/game_double.h"

namespace game_double {

inline constexpr uint32_t LineWidth = 40;  // visible characters, markup not counted

// What the player reads in the scene (and the execution tests).  The book's
// first page ends two paragraphs with "<BR>" and wraps one line; the
// journal's entries, shown in either order, give two pages with the same
// 16-bit checksum.
inline const char* const SceneBook[] = {
    "<DIV ALIGN=\"CENTER\">A Short History of Balmora<BR>Balmora stands on the Odai river, in the heart of "
    "the West Gash.<BR>",
    "Its great houses keep their halls here.",
};
inline constexpr char SceneNote[] = "Meet me at the silt strider port at dawn.<BR>F.";
inline const char* const SceneJournal[] = {"Caius Cosades sent me to Balmora", "Fargoth lost his best ring"};

// The player opens a book on its first page: the text window opens (its
// open/close routine at +0x1AD630 runs), the book menu registers its
// page-turn callbacks through their four push places, and the book opening
// routine (+0x1AC2A0), called from +0xA2A15 with the book as its one stack
// argument, lays out the page through +0x1AD9AF and +0x1ADAB3.  Returns eax
// as the code after the call left it.  The texts must outlive the book.
uint32_t PlayerOpensBook(const char* const* pages, uint32_t pageCount);

// The player turns the page: the callback registered at +0x1AC36B (+0x1AC970,
// next page) or at +0x1AC358 (+0x1AC8C0, previous page) is called with its
// five arguments.  Returns its result (0 before a book was opened).
uint32_t PlayerTurnsPage(bool forward);

// The player opens a note: the text window opens and the document opening
// routine (+0x213060), called from +0x2138FB with two stack arguments, lays
// out the text through +0x21375E and +0x21378C.  Returns eax as the code
// after the call left it.
uint32_t PlayerOpensNote(const char* text);

// The player opens the journal: the text window opens, the journal menu
// registers its page callback through +0x1D644E, and the double calls it
// with its five arguments.  The callback passes each entry once through the
// dialogue routine's call site (+0xBE32) with the player's ActorMobile as
// owner, as the game's journal page does.  Returns the callback's result.
// The player's record must be in place (its owner back-pointer set).
uint32_t PlayerOpensJournal(const char* const* entries, uint32_t count);

// The text window closes: the open/close routine runs while the window's
// flag (+0x3D2B10) is set; then the flag and the window (+0x3D2B14) clear.
void PlayerClosesTextWindow();

// Every line the game's line routine received, in order.
std::vector<std::string> LinesSent();
void ClearLinesSent();

// The document routines' work, run by the double's routine bodies (the
// line routine records its line; the opening routines and callbacks lay
// out their page only when called with the double's own objects).
void DocumentRoutineEffect(Routine routine, const uint32_t* stack);

}  // namespace game_double
