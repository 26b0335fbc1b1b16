#include "fakes/fake_file_system.h"

#include "platform/path.h"

#include <algorithm>

namespace kernova::test {
namespace {

using Kind = FakeFileSystem::Node::Kind;

std::error_code Error(std::errc e) {
    return std::make_error_code(e);
}

std::string ParentKey(const std::string& key) {
    const std::size_t slash = key.rfind('/');
    return slash == 0 || slash == std::string::npos ? "/" : key.substr(0, slash);
}

class FakeInput : public InputFile {
  public:
    FakeInput(std::string bytes, unsigned mode, bool fails)
        : bytes_(std::move(bytes)), mode_(mode), fails_(fails) {}
    std::int64_t Size() const override { return static_cast<std::int64_t>(bytes_.size()); }
    unsigned Mode() const override { return mode_; }
    std::error_code ReadSome(std::int64_t offset, void* buffer, std::size_t size,
                             std::size_t& got) override {
        got = fails_ ? 0 : bytes_.copy(static_cast<char*>(buffer), size, std::size_t(offset));
        return fails_ ? Error(std::errc::io_error) : std::error_code();
    }

  private:
    std::string bytes_;
    unsigned mode_;
    bool fails_;
};

} // namespace

class FakeStagedFile : public StagedFile {
  public:
    FakeStagedFile(FakeFileSystem& files, std::string folder, std::string bytes, unsigned mode,
                   bool writable)
        : files_(files), folder_(std::move(folder)), bytes_(std::move(bytes)), mode_(mode),
          writable_(writable) {}

    std::error_code Write(const void* data, std::size_t size) override {
        std::optional<std::int64_t>& space = files_.freeSpace;
        const std::size_t granted = space ? std::min(size, std::size_t(*space)) : size;
        bytes_.append(static_cast<const char*>(data), writable_ ? granted : 0);
        if (space) {
            *space -= static_cast<std::int64_t>(granted);
        }
        return !writable_       ? Error(std::errc::bad_file_descriptor)
               : granted < size ? Error(std::errc::no_space_on_device)
                                : std::error_code();
    }
    std::error_code CopyFrom(InputFile& from, std::int64_t offset, std::int64_t length,
                             const std::function<void()>& between) override {
        std::string bytes(static_cast<std::size_t>(length), '\0');
        std::error_code ec = from.ReadAt(offset, bytes.data(), bytes.size());
        if (between) {
            between();
        }
        return ec ? ec : Write(bytes.data(), bytes.size());
    }
    std::error_code SetMode(unsigned mode) override {
        mode_ = mode;
        return {};
    }
    std::error_code Flush() override { return {}; }
    std::error_code Commit(const std::string& target, Placement placement) override {
        const std::string key = FakeFileSystem::Key(target);
        auto existing = files_.tree_.find(key);
        const bool taken = existing != files_.tree_.end();
        std::error_code ec = files_.Writable(folder_);
        if (committed_ || ParentKey(key) != folder_) {
            ec = Error(std::errc::invalid_argument);
        } else if (!ec && taken && placement == Placement::KeepExisting) {
            ec = Error(std::errc::file_exists);
        } else if (!ec && taken && existing->second.kind == Kind::Folder) {
            ec = Error(std::errc::is_a_directory);
        }
        if (!ec) {
            files_.tree_[key] = {Kind::File, bytes_, mode_};
            committed_ = true;
        }
        return ec;
    }

  private:
    FakeFileSystem& files_;
    std::string folder_;
    std::string bytes_;
    unsigned mode_;
    bool writable_;
    bool committed_ = false;
};

std::string FakeFileSystem::Key(const std::string& path) {
    std::string key = path;
    if (kPathSeparator == '\\') {
        std::replace(key.begin(), key.end(), '\\', '/');
    }
    while (key.size() > 1 && key.back() == '/') {
        key.pop_back();
    }
    return key;
}

void FakeFileSystem::Add(const std::string& path, Node node) {
    const std::string key = Key(path);
    if (key != "/" && !tree_.count(ParentKey(key))) {
        Add(ParentKey(key), {Node::Kind::Folder, {}, 0755});
    }
    tree_[key] = std::move(node);
}

std::vector<std::string> FakeFileSystem::Names(const std::string& folder) const {
    const std::string key = Key(folder);
    std::vector<std::string> names;
    for (const auto& entry : tree_) {
        if (entry.first != "/" && ParentKey(entry.first) == key) {
            names.push_back(entry.first.substr(key.size() + (key == "/" ? 0 : 1)));
        }
    }
    return names;
}

std::string FakeFileSystem::Resolve(const std::string& path) const {
    std::string key = Key(path);
    for (auto it = tree_.find(key); it != tree_.end(); it = tree_.find(key)) {
        if (it->second.kind != Kind::Link) {
            return key;
        }
        key = Key(it->second.bytes);
    }
    return {};
}

std::error_code FakeFileSystem::Writable(const std::string& folderKey) const {
    auto it = tree_.find(folderKey);
    if (it == tree_.end() || it->second.kind != Kind::Folder) {
        return Error(std::errc::no_such_file_or_directory);
    }
    return readOnly.count(folderKey) ? Error(std::errc::permission_denied) : std::error_code();
}

std::unique_ptr<InputFile> FakeFileSystem::Open(const std::string& path, std::error_code& ec,
                                                Links links) {
    auto it = tree_.find(Key(path));
    const std::string key = Resolve(path);
    ec = it != tree_.end() && it->second.kind == Kind::Link && links == Links::Refuse
             ? Error(std::errc::too_many_symbolic_link_levels)
         : key.empty()                      ? Error(std::errc::no_such_file_or_directory)
         : tree_.at(key).kind != Kind::File ? Error(std::errc::invalid_argument)
                                            : std::error_code();
    if (ec) {
        return nullptr;
    }
    const Node& node = tree_.at(key);
    return std::make_unique<FakeInput>(node.bytes, node.mode, failingReads.count(key) > 0);
}

std::unique_ptr<StagedFile> FakeFileSystem::Stage(const std::string& folder, unsigned mode,
                                                  std::error_code& ec) {
    if ((ec = Writable(Key(folder)))) {
        return nullptr;
    }
    return std::make_unique<FakeStagedFile>(*this, Key(folder), "", mode & ~umask, true);
}

std::unique_ptr<StagedFile> FakeFileSystem::Adopt(const std::string& path,
                                                  const std::string& folder) {
    auto it = tree_.find(Key(path));
    if (!adoption || it == tree_.end() || it->second.kind != Kind::File || Writable(Key(folder))) {
        return nullptr;
    }
    ++adopted;
    return std::make_unique<FakeStagedFile>(*this, Key(folder), it->second.bytes, 0644, false);
}

std::error_code FakeFileSystem::Remove(const std::string& path) {
    auto it = tree_.find(Key(path));
    const std::error_code ec = it == tree_.end() ? Error(std::errc::no_such_file_or_directory)
                               : it->second.kind == Kind::Folder ? Error(std::errc::is_a_directory)
                                                                 : Writable(ParentKey(it->first));
    if (!ec) {
        tree_.erase(it);
    }
    return ec;
}

bool FakeFileSystem::IsFolder(const std::string& path) {
    auto it = tree_.find(Key(path));
    return it != tree_.end() && it->second.kind == Kind::Folder;
}

bool FakeFileSystem::SameFile(const std::string& a, const std::string& b) {
    return !Resolve(a).empty() && Resolve(a) == Resolve(b);
}

std::string FakeFileSystem::CreatePrivateFolder(const std::string& parent, std::error_code& ec) {
    if ((ec = Writable(Key(parent)))) {
        return {};
    }
    const std::string path = JoinPath(parent, "kernova-" + std::to_string(++folders_));
    tree_[Key(path)] = {Kind::Folder, {}, 0700};
    return path;
}

void FakeFileSystem::RemoveTree(const std::string& path) noexcept {
    const std::string key = Key(path);
    std::erase_if(tree_, [&](const auto& entry) {
        return !key.empty() && (entry.first == key || entry.first.starts_with(key + "/"));
    });
}

} // namespace kernova::test
