#pragma once
// Reaching the Unix side from a test running under Wine: Wine's names for files there,
// and Unix programs started through Wine (which starts them when asked to). Such a
// program has no handle to wait on, so callers poll for its effect.
#include <functional>
#include <string>

namespace qel::test {

bool RunningUnderWine();
// The Unix path of a Windows path (its last part need not exist); empty when not under
// Wine.
std::string UnixName(const std::string& path);
// Starts a Unix program (by its Unix path) with a Windows-style argument text. No when
// it cannot be started.
bool RunUnix(const char* program, const std::string& arguments);
// The text between double quotes, as one argument.
std::string Quoted(const std::string& s);
// Polls every 50 ms until `done` holds or `timeoutMs` has passed.
bool PollFor(const std::function<bool()>& done, unsigned timeoutMs = 10000);

}  // namespace qel::test
