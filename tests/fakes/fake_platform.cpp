#include "fakes/fake_platform.h"

#include "archive/text_routines.h"

namespace kernova::test {
namespace {

constexpr std::string_view kFontMagic = "FONT:";

class FakeWatch : public TerminationWatch {
  public:
    explicit FakeWatch(int& watching) : watching_(watching) { ++watching_; }
    ~FakeWatch() override { --watching_; }

  private:
    int& watching_;
};

} // namespace

std::string FontBytes(const std::string& faceName) {
    return std::string(kFontMagic) + faceName + "\n" + std::string(1000, 'g');
}

std::string FakeFontSystem::FaceName(const std::string& fontFile) {
    if (auto it = faceNames.find(fontFile); it != faceNames.end()) {
        return it->second;
    }
    std::error_code ec;
    std::unique_ptr<InputFile> file = files_.Open(fontFile, ec);
    std::string bytes(file ? static_cast<std::size_t>(file->Size()) : 0, '\0');
    if (!file || file->ReadAt(0, bytes.data(), bytes.size()) || !bytes.starts_with(kFontMagic)) {
        return {};
    }
    return bytes.substr(kFontMagic.size(), bytes.find('\n') - kFontMagic.size());
}

void FakeFontSystem::Register(const std::string& faceName, const std::string& installedFile) {
    registered.emplace_back(faceName, installedFile);
    installed.insert(TrimSpaces(faceName));
}

std::unique_ptr<TerminationWatch> FakeProcess::RemoveOnTermination(const std::string& folder) {
    watched.push_back(folder);
    return std::make_unique<FakeWatch>(watching);
}

FakePlatform::FakePlatform() {
    for (const char* folder : {"/tmp", "/fonts", "/favorites", "/app"}) {
        files.AddFolder(folder);
    }
}

} // namespace kernova::test
