#pragma once

#include "platform/picture.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kernova::win32 {

// A decoded picture: 32-bit premultiplied BGRA rows, top to bottom, as a DIB section of
// the view takes them.
struct DecodedPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

// Loads a picture file with the Windows Imaging Component (BMP, JPEG, GIF, PNG, ICO, TIFF);
// false when it is not a picture the system can decode. COM must be initialised on the
// calling thread.
bool LoadPictureFile(const std::string& path, Picture& out);

// The pixels behind a picture this loader made, or nullptr.
const DecodedPicture* PixelsOf(const Picture& picture);

} // namespace kernova::win32
