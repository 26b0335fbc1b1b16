#pragma once

#include <memory>
#include <string>

namespace kernova {

// A loaded picture as the forms hold it. The view owns the pixels behind `image`;
// handing a picture from one control to another copies this handle.
struct Picture {
    std::string sourcePath;
    int widthPx = 0;
    int heightPx = 0;
    std::shared_ptr<const void> image;

    bool empty() const { return image == nullptr; }
};

} // namespace kernova
