#pragma once

#include "platform/file_system.h"
#include "platform/path.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace kernova::test {

using Names = std::vector<std::string>; // the tests' lists of names and lines

// An in-memory file system. Paths are keyed with either separator read as "/" and no
// trailing one, so the portable layers' paths match on every platform. Staged files stay
// invisible until committed and commit only into the folder they were staged in; Adopt
// stages the file's own bytes. Failures are injected through the public fields.
class FakeFileSystem : public FileSystem {
  public:
    enum class Kind { File, Folder, Link };
    struct Node {
        Kind kind = Kind::File;
        std::string bytes; // a link's target
        unsigned mode = 0644;
        bool operator==(const Node&) const = default;
    };
    using Tree = std::map<std::string, Node>;

    std::optional<std::int64_t> freeSpace; // what staged writes may still take
    std::set<std::string> readOnly;        // folders nothing is made in or removed from
    std::set<std::string> failingReads;    // files whose reads fail
    bool adoption = true;                  // false: Adopt refuses and the caller copies

    static std::string Key(std::string path) {
        std::replace(path.begin(), path.end(), kPathSeparator, '/');
        while (path.size() > 1 && path.back() == '/') {
            path.pop_back();
        }
        return path;
    }
    static std::string Parent(const std::string& key) {
        const std::size_t slash = key.rfind('/');
        return slash == 0 || slash == std::string::npos ? "/" : key.substr(0, slash);
    }

    // Set-up (missing folders are made on the way) and inspection.
    void AddFolder(const std::string& at, unsigned mode = 0755) {
        Add(at, {Kind::Folder, {}, mode});
    }
    void AddFile(const std::string& path, const std::string& bytes, unsigned mode = 0644) {
        Add(path, {Kind::File, bytes, mode});
    }
    void AddLink(const std::string& at, const std::string& to) { Add(at, {Kind::Link, to, 0777}); }
    const Tree& tree() const { return tree_; }
    const Node& At(const std::string& path) const { return tree_.at(Key(path)); }
    // The bytes of what `path` leads to, links followed; empty when nothing is there.
    std::string Read(const std::string& path) const {
        const std::string key = Resolve(path);
        return key.empty() ? "" : tree_.at(key).bytes;
    }
    std::vector<std::string> Names(const std::string& folder) const { // sorted
        std::vector<std::string> names;
        for (const auto& [key, node] : tree_) {
            if (key != "/" && Parent(key) == Key(folder)) {
                names.push_back(key.substr(key.rfind('/') + 1));
            }
        }
        return names;
    }

    std::unique_ptr<InputFile> Open(const std::string& path, std::error_code& ec,
                                    Links links = Links::Follow) override {
        auto it = tree_.find(Key(path));
        const std::string key = Resolve(path);
        ec = it != tree_.end() && it->second.kind == Kind::Link && links == Links::Refuse
                 ? Error(std::errc::too_many_symbolic_link_levels)
             : key.empty()                      ? Error(std::errc::no_such_file_or_directory)
             : tree_.at(key).kind != Kind::File ? Error(std::errc::invalid_argument)
                                                : std::error_code();
        return ec ? nullptr : std::make_unique<Input>(tree_.at(key), failingReads.count(key) > 0);
    }
    std::unique_ptr<StagedFile> Stage(const std::string& folder, unsigned mode,
                                      std::error_code& ec) override {
        ec = Writable(Key(folder));
        return ec ? nullptr : std::make_unique<Staged>(*this, Key(folder), "", mode & ~022u);
    }
    std::unique_ptr<StagedFile> Adopt(const std::string& path, const std::string& folder) override {
        auto it = tree_.find(Key(path));
        if (!adoption || it == tree_.end() || it->second.kind != Kind::File ||
            Writable(Key(folder))) {
            return nullptr;
        }
        return std::make_unique<Staged>(*this, Key(folder), it->second.bytes, 0644);
    }
    std::error_code Remove(const std::string& path) override {
        auto it = tree_.find(Key(path));
        const std::error_code ec = it == tree_.end() ? Error(std::errc::no_such_file_or_directory)
                                   : it->second.kind == Kind::Folder
                                       ? Error(std::errc::is_a_directory)
                                       : Writable(Parent(it->first));
        if (!ec) {
            tree_.erase(it);
        }
        return ec;
    }
    bool IsFolder(const std::string& path) override {
        return tree_.count(Key(path)) && At(path).kind == Kind::Folder;
    }
    bool SameFile(const std::string& a, const std::string& b) override {
        return !Resolve(a).empty() && Resolve(a) == Resolve(b);
    }
    std::string CreatePrivateFolder(const std::string& parent, std::error_code& ec) override {
        const std::string path = JoinPath(parent, "kernova-" + std::to_string(++folders_));
        if (!(ec = Writable(Key(parent)))) {
            AddFolder(path, 0700);
        }
        return ec ? std::string() : path;
    }
    void RemoveTree(const std::string& path) noexcept override {
        const std::string key = Key(path);
        std::erase_if(tree_, [&](const auto& entry) {
            return !key.empty() && (entry.first == key || entry.first.starts_with(key + "/"));
        });
    }

  private:
    static std::error_code Error(std::errc e) { return std::make_error_code(e); }

    struct Input : InputFile {
        Input(Node node, bool fails) : node(std::move(node)), fails(fails) {}
        std::int64_t Size() const override { return std::int64_t(node.bytes.size()); }
        unsigned Mode() const override { return node.mode; }
        std::error_code ReadSome(std::int64_t offset, void* buffer, std::size_t size,
                                 std::size_t& got) override {
            got = fails ? 0
                        : node.bytes.copy(static_cast<char*>(buffer), size,
                                          std::size_t(std::min(offset, Size())));
            return fails ? Error(std::errc::io_error) : std::error_code();
        }
        Node node;
        bool fails;
    };

    struct Staged : StagedFile {
        Staged(FakeFileSystem& files, std::string folder, std::string bytes, unsigned mode)
            : files(files), folder(std::move(folder)), node{Kind::File, std::move(bytes), mode} {}
        // Dropped, it gives back the room its bytes took.
        ~Staged() override {
            if (!done && files.freeSpace) {
                *files.freeSpace += static_cast<std::int64_t>(written);
            }
        }
        std::error_code Write(const void* data, std::size_t size) override {
            std::optional<std::int64_t>& space = files.freeSpace;
            const std::size_t granted = std::min<std::size_t>(size, space.value_or(size));
            node.bytes.append(static_cast<const char*>(data), granted);
            written += granted;
            space = space ? std::optional(*space - std::int64_t(granted)) : space;
            return granted < size ? Error(std::errc::no_space_on_device) : std::error_code();
        }
        std::error_code CopyFrom(InputFile& from, std::int64_t offset, std::int64_t length,
                                 const std::function<void()>& between) override {
            std::string bytes(static_cast<std::size_t>(length), '\0');
            const std::error_code ec = from.ReadAt(offset, bytes.data(), bytes.size());
            between ? between() : void();
            return ec ? ec : Write(bytes.data(), bytes.size());
        }
        std::error_code SetMode(unsigned mode) override {
            node.mode = mode;
            return {};
        }
        std::error_code Flush() override { return {}; }
        std::error_code Commit(const std::string& target, Placement placement) override {
            const std::string key = Key(target);
            auto taken = files.tree_.find(key);
            std::error_code ec = done || Parent(key) != folder ? Error(std::errc::invalid_argument)
                                                               : files.Writable(folder);
            if (!ec && taken != files.tree_.end()) {
                ec = placement == Placement::KeepExisting ? Error(std::errc::file_exists)
                     : taken->second.kind == Kind::Folder ? Error(std::errc::is_a_directory)
                                                          : ec;
            }
            if (!ec) {
                files.tree_[key] = node;
                done = true;
            }
            return ec;
        }
        FakeFileSystem& files;
        std::string folder;
        Node node;
        bool done = false;
        std::size_t written = 0;
    };

    void Add(const std::string& path, Node node) {
        const std::string key = Key(path);
        if (!tree_.count(Parent(key))) {
            AddFolder(Parent(key));
        }
        tree_[key] = std::move(node);
    }
    // The key a path leads to with links followed; empty when nothing is there.
    std::string Resolve(const std::string& path) const {
        std::string key = Key(path);
        for (auto it = tree_.find(key); it != tree_.end(); it = tree_.find(key)) {
            if (it->second.kind != Kind::Link) {
                return key;
            }
            key = Key(it->second.bytes);
        }
        return {};
    }
    std::error_code Writable(const std::string& folder) const {
        auto it = tree_.find(folder);
        return it == tree_.end() || it->second.kind != Kind::Folder
                   ? Error(std::errc::no_such_file_or_directory)
               : readOnly.count(folder) ? Error(std::errc::permission_denied)
                                        : std::error_code();
    }

    Tree tree_{{"/", {Kind::Folder, {}, 0755}}};
    int folders_ = 0;
};

} // namespace kernova::test
