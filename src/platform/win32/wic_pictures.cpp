#include "platform/win32/wic_pictures.h"

#include "platform/win32/wide_text.h"
#include "platform/win32/win32_api.h"

#include <memory>
#include <objbase.h>
#include <wincodec.h>

namespace kernova::win32 {
namespace {

// Releases a COM interface when it goes away.
template <typename T> class Com {
  public:
    ~Com() {
        if (pointer_ != nullptr) {
            pointer_->Release();
        }
    }
    T** out() { return &pointer_; }
    T* operator->() const { return pointer_; }
    T* get() const { return pointer_; }

  private:
    T* pointer_ = nullptr;
};

// Pictures larger than this are no side or header picture; refusing them keeps a damaged
// file from asking for gigabytes.
constexpr UINT kMaxSide = 16384;

} // namespace

bool LoadPictureFile(const std::string& path, Picture& out) {
    Com<IWICImagingFactory> factory;
    Com<IWICBitmapDecoder> decoder;
    Com<IWICBitmapFrameDecode> frame;
    Com<IWICBitmapSource> converted;
    if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IWICImagingFactory,
                                  reinterpret_cast<void**>(factory.out()))) ||
        FAILED(factory->CreateDecoderFromFilename(WidenPath(path).c_str(), nullptr, GENERIC_READ,
                                                  WICDecodeMetadataCacheOnDemand, decoder.out())) ||
        FAILED(decoder->GetFrame(0, frame.out())) ||
        FAILED(::WICConvertBitmapSource(GUID_WICPixelFormat32bppPBGRA, frame.get(),
                                        converted.out()))) {
        return false;
    }
    UINT width = 0;
    UINT height = 0;
    if (FAILED(converted->GetSize(&width, &height)) || width == 0 || height == 0 ||
        width > kMaxSide || height > kMaxSide) {
        return false;
    }
    auto decoded = std::make_shared<DecodedPicture>();
    decoded->width = static_cast<int>(width);
    decoded->height = static_cast<int>(height);
    decoded->pixels.resize(static_cast<std::size_t>(width) * height);
    if (FAILED(converted->CopyPixels(nullptr, width * 4,
                                     static_cast<UINT>(decoded->pixels.size() * 4),
                                     reinterpret_cast<BYTE*>(decoded->pixels.data())))) {
        return false;
    }
    out.sourcePath = path;
    out.widthPx = decoded->width;
    out.heightPx = decoded->height;
    out.image = std::move(decoded);
    return true;
}

const DecodedPicture* PixelsOf(const Picture& picture) {
    return static_cast<const DecodedPicture*>(picture.image.get());
}

} // namespace kernova::win32
