#pragma once

#include "platform/file_system.h"

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace kernova::test {

// An in-memory file system. Paths are keyed as given with either separator read as "/"
// and no trailing one, so the portable layers' paths match on every platform. Staged
// files stay invisible until committed, and only commit into the folder they were staged
// in. Failures are injected through the public fields.
class FakeFileSystem : public FileSystem {
  public:
    struct Node {
        enum class Kind { File, Folder, Link } kind = Kind::File;
        std::string bytes; // a link's target
        unsigned mode = 0644;
        bool operator==(const Node&) const = default;
    };
    using Tree = std::map<std::string, Node>;

    FakeFileSystem() { tree_["/"] = {Node::Kind::Folder, {}, 0755}; }

    // Set-up; missing parent folders are made on the way.
    void Add(const std::string& path, Node node);
    void AddFolder(const std::string& path) { Add(path, {Node::Kind::Folder, {}, 0755}); }
    void AddFile(const std::string& path, const std::string& bytes, unsigned mode = 0644) {
        Add(path, {Node::Kind::File, bytes, mode});
    }
    void AddLink(const std::string& path, const std::string& target) {
        Add(path, {Node::Kind::Link, target, 0777});
    }

    // Inspection.
    const Tree& tree() const { return tree_; }
    bool Exists(const std::string& path) const { return tree_.count(Key(path)) > 0; }
    const Node& At(const std::string& path) const { return tree_.at(Key(path)); }
    std::string Read(const std::string& path) const { return At(path).bytes; }
    // The names directly in `folder`, sorted.
    std::vector<std::string> Names(const std::string& folder) const;

    // Failure injection and what the run asked for.
    std::optional<std::int64_t> freeSpace; // bytes staged writes may still take
    std::set<std::string> readOnly;        // folders nothing is created in or removed from
    std::set<std::string> failingReads;    // files whose reads fail
    bool adoption = true;                  // false: Adopt refuses, the caller copies
    unsigned umask = 022;
    int adopted = 0; // files Adopt staged

    static std::string Key(const std::string& path);

    std::unique_ptr<InputFile> Open(const std::string& path, std::error_code& ec,
                                    Links links = Links::Follow) override;
    std::unique_ptr<StagedFile> Stage(const std::string& folder, unsigned mode,
                                      std::error_code& ec) override;
    std::unique_ptr<StagedFile> Adopt(const std::string& path, const std::string& folder) override;
    std::error_code Remove(const std::string& path) override;
    bool IsFolder(const std::string& path) override;
    bool SameFile(const std::string& a, const std::string& b) override;
    std::string CreatePrivateFolder(const std::string& parent, std::error_code& ec) override;
    void RemoveTree(const std::string& path) noexcept override;

  private:
    friend class FakeStagedFile;
    // The key a path leads to with links followed; empty when nothing is there.
    std::string Resolve(const std::string& path) const;
    std::error_code Writable(const std::string& folderKey) const;

    Tree tree_;
    int folders_ = 0;
};

} // namespace kernova::test
