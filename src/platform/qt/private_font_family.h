#pragma once

#include <QByteArray>
#include <QFont>
#include <optional>

namespace kernova::qt {

// A font file's data made known to Qt's font database under a family name of its own that
// no installed font has, for as long as the object lives: Qt picks fonts by family, and a
// font of the same name installed on the system must never be drawn instead. Text drawn in
// font() is shaped (joined, reordered right to left) by Qt, and never falls back to another
// font for a character the file lacks.
class PrivateFontFamily {
  public:
    // Face 0 of `fontData`; valid() is false when Qt cannot use it.
    explicit PrivateFontFamily(const QByteArray& fontData);
    ~PrivateFontFamily();
    PrivateFontFamily(const PrivateFontFamily&) = delete;
    PrivateFontFamily& operator=(const PrivateFontFamily&) = delete;

    bool valid() const { return font_.has_value(); }
    // The font at `pixels`; only when valid().
    QFont font(int pixels) const;

  private:
    int id_ = -1;
    std::optional<QFont> font_;
};

} // namespace kernova::qt
