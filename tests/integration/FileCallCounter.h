#pragma once
// A file layer for the embedded engine that counts and times every call the engine makes
// on its files, for measuring where a commit's time goes. Installed as the engine's
// default layer, it sits beneath every connection opened after it (the exclusive layer
// included, for everything but the main file it opens itself).
#include <string>

namespace qel::bench {

// Makes the counting layer the engine's default. Call once, before any connection opens.
void InstallFileCallCounter();

// Forgets what was counted so far.
void ResetFileCalls();

// One line per kind of call made since the last reset: calls per row and microseconds
// per call.
std::string FileCallReport(long long rows);

}  // namespace qel::bench
