// Where a file lies as seen from a folder: the rule by which the module
// loader's entry names the plug-in's folder relative to the game folder.
// Portable: built natively for the sanitizers and fuzzers too (fuzz/).
#pragma once
#include <string>

// The path of `file` relative to the folder `fromDir` (both absolute, with
// a drive, backslashes; fromDir with or without its trailing backslash).  On
// another drive (compared without regard to letter case) the file's own path
// comes back unchanged.  Otherwise the folder names both share from the
// start (without regard to case) are dropped, "..\" stands for each name left
// of fromDir, and the file's remaining folders and its name follow.
std::string RelativePath(const std::string& fromDir, const std::string& file);

// The folder part of a path: up to and including its last backslash or
// colon; empty when it has neither.
std::string FolderPart(const std::string& path);
