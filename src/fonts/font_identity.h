#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kernova {

class InputFile;

// What tells one face from another and one release of it from the next.
struct FaceIdentity {
    std::string fullName;       // name ID 4, as the registry records it
    std::string style;          // name ID 2: "Regular", "Italic", ...
    std::uint32_t revision = 0; // head.fontRevision, 16.16 fixed point
    std::string versionText;    // name ID 5: "Version 1.100"
};

// Every face of an sfnt font or collection, in file order (at most 64 of a collection);
// nothing for anything else.
std::vector<FaceIdentity> ReadFaceIdentities(InputFile& file);

// Two faces are the same font when their full names (as the registry compares names:
// letter case and spaces aside) and styles (letter case aside) agree.
bool SameFont(const FaceIdentity& a, const FaceIdentity& b);

// Which release is newer: head.fontRevision first, then the version text's number, read as
// fonts write it, a decimal ("Version 1.100" is newer than "Version 1.02", and "1.1" is the
// same as "1.100"). Positive when `a` is newer, negative when `b` is, 0 when neither.
int CompareReleases(const FaceIdentity& a, const FaceIdentity& b);

// The faces' full names joined by " & ", as a collection is shown and recorded.
std::string JoinedFaceNames(const std::vector<FaceIdentity>& faces);

} // namespace kernova
