#include "ui/frm_main.h"

namespace kernova {

void FrmMain::lblLink_Click() {
    GoWeb(form.URL);
}

// The desktop's default handler opens the address; the wizard stays where it is and
// hears nothing of a failure.
void FrmMain::GoWeb(std::string& webAddress) {
    runtime_.OpenUrl(webAddress);
}

} // namespace kernova
