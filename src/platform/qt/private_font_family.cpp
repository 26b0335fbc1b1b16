#include "platform/qt/private_font_family.h"

#include "fonts/sfnt_renamed_face.h"
#include "platform/file_system.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <algorithm>
#include <cstring>

namespace kernova::qt {
namespace {

// The font data already in memory, read as a file.
class BytesInputFile : public InputFile {
  public:
    explicit BytesInputFile(const QByteArray& bytes) : bytes_(bytes) {}
    std::int64_t Size() const override { return bytes_.size(); }
    unsigned Mode() const override { return 0644; }
    std::error_code ReadSome(std::int64_t offset, void* buffer, std::size_t size,
                             std::size_t& got) override {
        got = offset < 0 || offset >= bytes_.size()
                  ? 0
                  : std::min<std::size_t>(size, static_cast<std::size_t>(bytes_.size() - offset));
        std::memcpy(buffer, bytes_.constData() + offset, got);
        return {};
    }

  private:
    const QByteArray& bytes_;
};

} // namespace

PrivateFontFamily::PrivateFontFamily(const QByteArray& fontData) {
    // Unique in this process and unlike any font's name: the process id and a count.
    static int made = 0;
    const QString family =
        QStringLiteral("KernovaPreview%1x%2").arg(QCoreApplication::applicationPid()).arg(++made);
    BytesInputFile file(fontData);
    const std::optional<std::string> renamed = SfntRenamedFace(file, 0, family.toStdString());
    if (!renamed) {
        return;
    }
    id_ = QFontDatabase::addApplicationFontFromData(
        QByteArray(renamed->data(), static_cast<qsizetype>(renamed->size())));
    if (id_ < 0 || !QFontDatabase::applicationFontFamilies(id_).contains(family)) {
        return;
    }
    QFont font(family);
    font.setStyleStrategy(QFont::NoFontMerging);
    font.setHintingPreference(QFont::PreferNoHinting);
    // The font Qt really draws with is checked, not assumed.
    if (QFontInfo(font).family() == family) {
        font_ = font;
    }
}

PrivateFontFamily::~PrivateFontFamily() {
    if (id_ >= 0 && QGuiApplication::instance() != nullptr) {
        QFontDatabase::removeApplicationFont(id_);
    }
}

QFont PrivateFontFamily::font(int pixels) const {
    QFont sized = *font_;
    sized.setPixelSize(pixels);
    return sized;
}

} // namespace kernova::qt
