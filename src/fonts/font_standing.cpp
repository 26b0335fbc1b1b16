#include "fonts/font_standing.h"

#include "archive/plain_file_name.h"
#include "archive/text_routines.h"
#include "platform/file_system.h"
#include "platform/font_system.h"
#include "platform/platform.h"

#include <algorithm>
#include <set>

namespace kernova {
namespace {

// The bare name of `path` when it lies directly in `folder` (ending in the separator).
std::optional<std::string> NameInFolder(const std::string& path, const std::string& folder) {
    if (folder.empty() || path.size() <= folder.size() ||
        !SameFileName(path.substr(0, folder.size()), folder)) {
        return std::nullopt;
    }
    std::string name = path.substr(folder.size());
    if (!IsPlainFileName(name)) {
        return std::nullopt;
    }
    return name;
}

bool HoldsOnly(const std::vector<FaceIdentity>& installed, const std::vector<FaceIdentity>& ours) {
    return std::all_of(installed.begin(), installed.end(), [&](const FaceIdentity& face) {
        return std::any_of(ours.begin(), ours.end(),
                           [&](const FaceIdentity& mine) { return SameFont(face, mine); });
    });
}

} // namespace

InstalledFonts::InstalledFonts(Platform& platform, std::string fontsFolder)
    : platform_(platform), fontsFolder_(std::move(fontsFolder)) {}

const std::optional<std::vector<FaceIdentity>>& InstalledFonts::FacesOf(const std::string& path) {
    auto [at, added] = faces_.try_emplace(path);
    if (added) {
        std::error_code ec;
        if (std::unique_ptr<InputFile> file = platform_.files.Open(path, ec)) {
            std::vector<FaceIdentity> faces = ReadFaceIdentities(*file);
            if (!faces.empty()) {
                at->second = std::move(faces);
            }
        }
    }
    return at->second;
}

FontStanding InstalledFonts::Judge(const std::vector<FaceIdentity>& faces,
                                   const std::string& faceName) {
    FontStanding result;
    if (faces.empty()) {
        const std::string name = TrimSpaces(faceName);
        result.presentFiles =
            name.empty() ? std::vector<std::string>() : platform_.fonts.InstalledFiles(name);
        result.standing = result.presentFiles.empty() ? Standing::New : Standing::Present;
        return result;
    }
    std::set<std::string> present, older;
    bool missing = false;
    for (const FaceIdentity& face : faces) {
        bool found = false;
        std::vector<std::string> olderHere;
        for (const std::string& path : platform_.fonts.InstalledFiles(face.fullName)) {
            const std::optional<std::vector<FaceIdentity>>& installed = FacesOf(path);
            if (!installed) {
                // Listed under the name but unreadable here: as before releases were told
                // apart, a font of that name is the font.
                found = true;
                present.insert(path);
                continue;
            }
            for (const FaceIdentity& other : *installed) {
                if (!SameFont(face, other)) {
                    continue;
                }
                if (CompareReleases(face, other) <= 0) {
                    found = true;
                    present.insert(path);
                } else {
                    olderHere.push_back(path);
                }
            }
        }
        if (!found) {
            older.insert(olderHere.begin(), olderHere.end());
            missing = missing || olderHere.empty();
        }
    }
    result.presentFiles.assign(present.begin(), present.end());
    if (older.empty()) {
        result.standing = missing ? Standing::New : Standing::Present;
        return result;
    }
    result.standing = Standing::Update;
    // One older file holding nothing but this font's faces is replaced; anything else
    // stays, and the new release goes beside it.
    if (older.size() == 1) {
        const std::string& path = *older.begin();
        const std::optional<std::string> name = NameInFolder(path, fontsFolder_);
        if (name && present.count(path) == 0 && HoldsOnly(*FacesOf(path), faces)) {
            result.replaces = *name;
        }
    }
    return result;
}

} // namespace kernova
