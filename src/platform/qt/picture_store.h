#pragma once

#include "platform/picture.h"

#include <QImage>
#include <map>
#include <memory>
#include <string>

namespace kernova::qt {

// Loads picture files for the forms and hands their pixels back to the view. A Picture only
// carries an untyped handle, so the store remembers which handles it made: a picture that
// did not come from here (or is gone) has no image.
class PictureStore {
  public:
    // False when the file cannot be read or is not a picture Qt can decode.
    bool Load(const std::string& path, Picture& out);

    // The pixels behind `picture`, or nullptr for an empty or foreign picture.
    const QImage* ImageOf(const Picture& picture) const;

  private:
    std::map<const void*, std::weak_ptr<const QImage>> images_;
};

} // namespace kernova::qt
