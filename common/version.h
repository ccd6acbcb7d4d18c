// The release version of both deliverables, for their version resources and
// the release archive's name (scripts/release reads QUORRIM_VERSION_TEXT).
#pragma once
#define QUORRIM_VERSION_MAJOR 1
#define QUORRIM_VERSION_MINOR 0
#define QUORRIM_VERSION_PATCH 0
#define QUORRIM_VERSION_TEXT "1.0.0"
