#pragma once
// Links of every kind the platform can make, for tests that must not be fooled by them.
// Which kinds exist depends on the platform: Windows makes junctions and (with the right
// privilege) symbolic links; Wine 8 makes neither (junctions are refused, symbolic links
// are reported made but are not), but shows the Unix symbolic links of its drives.
#include <string>

namespace qel::test {

enum class LinkKind { Junction, SymbolicLink, UnixSymbolicLink };

const char* NameOf(LinkKind kind);

// Makes `link` (a full path that does not exist yet) point at `target` (a full path of
// an existing folder or file). Yes when the link now really leads to the target; no,
// with the reason in `why`, when the platform cannot make this kind.
bool MakeLink(LinkKind kind, const std::string& target, const std::string& link, bool folder,
              std::string* why);

// Removes a link of any kind without touching what it points to. Under Wine a Unix link
// can only be removed from the Unix side: every Windows deletion follows it.
void RemoveLink(LinkKind kind, const std::string& link);

}  // namespace qel::test
