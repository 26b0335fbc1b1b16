#pragma once

#include "platform/win32/form_window.h"

#include <optional>

namespace kernova {
class FrmMain;
}

namespace kernova::win32 {

class Win32Runtime;

// The wizard's two windows, frmExtracting and frmMain, built from their control tables and
// wired to the form's handlers through the runtime. Made before the form loads (the
// extraction notice shows while the package is read); they show when the form says so.
class WizardWindows {
  public:
    // `dpi` fixes the windows' DPI (tests of the layout); by default each window's own.
    WizardWindows(FrmMain& frm, Win32Runtime& runtime, std::optional<int> dpi = std::nullopt);

    FormWindow& main() { return main_; }
    FormWindow& extracting() { return extracting_; }
    const FormWindow& main() const { return main_; }
    const FormWindow& extracting() const { return extracting_; }

  private:
    FormWindow extracting_;
    FormWindow main_;
};

} // namespace kernova::win32
