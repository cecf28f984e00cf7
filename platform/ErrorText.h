#pragma once
// The system's own words for an error code, in the language of the system, as the
// program's 8-bit text: what a user or the IT staff can look up.
#include <windows.h>

#include <string>

namespace qel::text {

// The system's message for the code, without the line break and blanks it ends with and
// with its inserts ("%1") left as they are; "" when the system has no message for it.
std::string SystemMessage(DWORD code);

// The system's message for the code, without the line break it ends with, the file or
// program it speaks of ("%1") replaced by `subject`, followed by the code itself:
// "Bad EXE format for Setup.Exe. (erro 193)". Only the code when the system has no
// message for it.
std::string SystemErrorText(DWORD code, const std::string& subject);

}  // namespace qel::text
