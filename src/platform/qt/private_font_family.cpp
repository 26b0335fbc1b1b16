#include "platform/qt/private_font_family.h"

#include "fonts/sfnt_renamed_face.h"
#include "platform/memory_input_file.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>

namespace kernova::qt {

PrivateFontFamily::PrivateFontFamily(const QByteArray& fontData) {
    // Unique in this process and unlike any font's name: the process id and a count.
    static int made = 0;
    const QString family =
        QStringLiteral("KernovaPreview%1x%2").arg(QCoreApplication::applicationPid()).arg(++made);
    MemoryInputFile file(fontData.constData(), static_cast<std::size_t>(fontData.size()));
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
