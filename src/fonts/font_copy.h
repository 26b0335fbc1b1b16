#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace kernova {

class FileSystem;
class StagedFile;

// Where a font copy ended up.
struct FontCopyResult {
    std::error_code error; // empty when the font is in place
    std::string fileName;  // its file name in the folder: the wanted name or a free variant
    bool existed = false;  // a file with the font's very bytes had that name already
    bool held = false;     // kept from its name by a failure of BeforeNaming
};

// A font whose bytes are on the disk, about to get its name.
struct PlannedFont {
    std::string name;
    std::string source;
};

// Fonts on their way into one folder (ending in the separator). Each font's bytes go to a
// staged file there, which font indexers do not see; the fonts get their names a group at
// a time, after the group is flushed to disk:
// a crash never leaves part of a font under a font's name, and many fonts cost one wait
// for the disk per group rather than one each. A file or link already under a font's name
// is never replaced or written through: the font then gets the first free name of
// NumberedName(name, 1), NumberedName(name, 2), ..., unless a file with the font's very
// bytes already has one of those names: that file is the font. Nothing is left behind on
// failure, and
// fonts not delivered when the object goes away are dropped.
class FontDelivery {
  public:
    // Open files per group: well below the usual limit of 1024 descriptors.
    static constexpr std::size_t kGroupSize = 256;

    FontDelivery(FileSystem& files, std::string folder, std::size_t groupSize = kGroupSize);
    ~FontDelivery();
    FontDelivery(const FontDelivery&) = delete;
    FontDelivery& operator=(const FontDelivery&) = delete;

    // Writes the font file `source`, to be named `name`; returns its number for result().
    std::size_t Add(const std::string& source, const std::string& name);

    // The same for a finished file of our own that is not needed under its present name
    // (an extracted font): where FileSystem::Adopt allows it the file itself becomes
    // the font, which spares writing the bytes a second time; otherwise it is copied.
    std::size_t AddOwnFile(const std::string& source, const std::string& name);

    // The same for a newer release of a font whose older file is `name`: once on the disk,
    // the font takes that name in one step (the older file stays until then, and stays
    // when the font cannot get there).
    std::size_t AddOwnFileReplacing(const std::string& source, const std::string& name);

    // Runs before each group of fonts gets its names: what must be on record before the
    // fonts are. A failure keeps the group from being named; each font fails with it. On a
    // full disk the group's last fonts give their room back, one at a time, and it is
    // asked again for the rest.
    using BeforeNaming = std::function<std::error_code(const std::vector<PlannedFont>&)>;
    void OnBeforeNaming(BeforeNaming hook) { beforeNaming_ = std::move(hook); }

    // Flushes and names every font added so far.
    void Finish();

    // How font number `ticket` went; final once Finish has run.
    const FontCopyResult& result(std::size_t ticket) const { return results_.at(ticket); }

  private:
    struct Pending {
        std::size_t ticket;
        std::string name, source;
        std::unique_ptr<StagedFile> file;
        bool replace = false;
    };

    std::size_t AddFile(const std::string& source, const std::string& name, bool own, bool replace);
    void Enqueue(std::size_t ticket, std::unique_ptr<StagedFile> file, const std::string& name,
                 const std::string& source, bool replace);
    void DeliverGroup();

    FileSystem& files_;
    std::string folder_;
    std::size_t groupSize_;
    std::vector<Pending> pending_;
    std::vector<FontCopyResult> results_;
    BeforeNaming beforeNaming_;
};

// "Name.ttf", 2 -> "Name_2.ttf"; a name without an extension gets the suffix at its end.
std::string NumberedName(const std::string& name, int number);

} // namespace kernova
