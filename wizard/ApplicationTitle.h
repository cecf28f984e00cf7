#pragma once
// The application title: the program file's name without its folder, cut at its first
// ".", with every character after the first in lower case (InstalaQEL.exe gives
// "Instalaqel"). It names the taskbar entry, the failure box and the simple message.
#include <string>

namespace qel {

std::string ApplicationTitle(const std::string& programPath);
// The title of the running program.
std::string ApplicationTitle();

}  // namespace qel
