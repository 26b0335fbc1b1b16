#include "ui/frm_main.h"

namespace kernova {

// Placeholder until the installation run lands: goes straight to the finish page.
void FrmMain::InstallFonts(bool& Silent) {
    (void)Silent;
    form.picInstall.visible = false;
    form.picFinish.visible = true;
    form.cmdNext.enabled = true;
    form.cmdNext.caption = "&Finish";
}

void FrmMain::CopyFont(const std::string&, const std::string&) {}

} // namespace kernova
