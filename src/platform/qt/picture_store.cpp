#include "platform/qt/picture_store.h"

#include <QImageReader>

namespace kernova::qt {

bool PictureStore::Load(const std::string& path, Picture& out) {
    QImageReader reader(QString::fromStdString(path));
    // The extension is the package's choice; the bytes decide what the picture is.
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(false);
    QImage image;
    if (!reader.read(&image) || image.isNull()) {
        return false;
    }
    auto pixels = std::make_shared<const QImage>(image.convertToFormat(
        image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32));
    images_[pixels.get()] = pixels;
    out.sourcePath = path;
    out.widthPx = pixels->width();
    out.heightPx = pixels->height();
    out.image = pixels;
    return true;
}

const QImage* PictureStore::ImageOf(const Picture& picture) const {
    if (picture.empty()) {
        return nullptr;
    }
    auto found = images_.find(picture.image.get());
    if (found == images_.end()) {
        return nullptr;
    }
    std::shared_ptr<const QImage> image = found->second.lock();
    if (!image || image.get() != picture.image.get()) {
        return nullptr;
    }
    return image.get(); // kept alive by `picture`, which shares ownership
}

} // namespace kernova::qt
