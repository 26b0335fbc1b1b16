#pragma once

#include "platform/font_system.h"
#include "platform/linux/font_full_name.h"

namespace kernova {

// The font system on Linux: names read from the font files as fontconfig reads them,
// fontconfig as the registry.
class LinuxFontSystem : public FontSystem {
  public:
    std::string FaceName(const std::string& fontFile) override;
    std::vector<std::string> InstalledFiles(const std::string& faceName) override;
    void Unregister(const std::string& installedFile) override;
    std::error_code Register(const std::string& faceName,
                             const std::string& installedFile) override;
    void BroadcastChange() override;

  private:
    FontNameReader names_;
};

} // namespace kernova
