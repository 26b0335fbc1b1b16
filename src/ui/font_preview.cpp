#include "fonts/preview.h"
#include "platform/platform.h"
#include "ui/frm_main.h"

namespace kernova {

// The welcome page shows the package's first font, drawn from the extracted file itself.
void FrmMain::ShowFontPreview() {
    form.lblFontPreview.visible = true;
    form.picPreview.visible = true;
    const std::string first =
        form.lstFonts.ListCount() > 0 ? form.ExtractPath + form.lstFonts.List(0) : std::string();
    const std::optional<int> height =
        DrawFontPreview(runtime_.Preview(), platform_.files, platform_.fonts, first);
    if (height) {
        form.picPreview.rect.height = PixelsToTwips(*height);
    }
}

} // namespace kernova
