// The test texts of the TESTING page: the level-up messages of the game's
// Morrowind.ini (section "Level Up", keys "Level1" ... "Level20").
#pragma once
#include <string>

// Steps from the text shown (index 1..20, 0 before the first) to the next
// one that is present: forward 1, 2, ... 20, 1; backward (a negative step)
// 20, 19, ... 2, 20.  Empty and missing keys are skipped, at most 30 reads.
// Returns the new index; `text` gets what was read (empty after 30 misses).
int StepTestString(const std::string& gameIniPath, int step, std::string& text);
