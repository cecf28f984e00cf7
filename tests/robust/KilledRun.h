#pragma once
// qel_killed_run.exe: one installation run in process, through the installation run with
// the scripted UI port (confirmation Yes, every other dialog OK), ended with the whole
// process at a file operation:
//   qel_killed_run.exe <tipo 0|1> <install folder> <temporary folder> <system folder> <medium> <modo> <N> <report>
// modo "mata": the process ends right before its N-th file operation, as a kill would end
// it. modo "corta": it ends right before its N-th write into the install folder or the
// system folder, and first writes into the report what a power cut there loses: each file
// written since it was last flushed, with the length that was on the disk at that flush
// ("<length>\t<full path>" per line); what was written after it reads as zeros (a journaling
// file system keeps the length, not the data); N one past the last such write cuts the power
// as the run ends. Either report begins with the operation it
// ended at ("# <operation> <file>"). N = 0: the run goes to its end, and the report says how
// many operations and such writes it performed ("<operations> <writes>").
// The exit code is kEncerrado when it was ended, otherwise the run's own.
#include <windows.h>

namespace qel::test {

inline constexpr DWORD kEncerrado = 0x0DE4D;
inline constexpr const char* kMata = "mata";
inline constexpr const char* kCorta = "corta";

}  // namespace qel::test
