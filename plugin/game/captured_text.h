// CapturedText: the document, book or journal text being collected on the
// game's thread, spoken when the page is complete.
#pragma once

// Appends `text` through the speech filter, then `suffix` (under 32
// characters).  When the buffer cannot grow, it keeps what it had and the
// new text is dropped.
void AppendCapturedText(const char* text, const char* suffix);

// Empties the buffer (its first byte becomes 0).
void ClearCapturedText();
