#include "ui/frm_main.h"

namespace kernova {
namespace {

// From here on there is no way back; the run disables Next and Cancel itself.
void EnterInstallingPage(FrmMain& frm, Panel& from) {
    from.visible = false;
    frm.form.picInstall.visible = true;
    frm.form.cmdBack.enabled = false;
    bool silent = false;
    frm.InstallFonts(silent);
}

} // namespace

// Pages without content are skipped: welcome, licence if any, information if any,
// installing, finish.
void FrmMain::cmdNext_Click() {
    if (form.picWelcome.visible) {
        form.cmdBack.enabled = true;
        if (form.License) {
            form.picWelcome.visible = false;
            form.picLicense.visible = true;
            if (form.optDisagree.value) {
                form.cmdNext.enabled = false;
            }
        } else if (form.ReadMe) {
            form.picWelcome.visible = false;
            form.picReadme.visible = true;
        } else {
            EnterInstallingPage(*this, form.picWelcome);
        }
    } else if (form.picLicense.visible) {
        if (form.ReadMe) {
            form.picLicense.visible = false;
            form.picReadme.visible = true;
        } else {
            EnterInstallingPage(*this, form.picLicense);
        }
    } else if (form.picReadme.visible) {
        EnterInstallingPage(*this, form.picReadme);
    } else if (form.picFinish.visible) {
        EndProgram(FinishExitCode());
    }
}

void FrmMain::cmdBack_Click() {
    if (form.picLicense.visible) {
        form.picWelcome.visible = true;
        form.picLicense.visible = false;
        form.cmdBack.enabled = false;
        form.cmdNext.enabled = true;
    }
    if (form.picReadme.visible) {
        if (form.License) {
            // The licence page comes back as it was left: accepted, Next enabled.
            form.picLicense.visible = true;
            form.picReadme.visible = false;
        } else {
            form.picWelcome.visible = true;
            form.picReadme.visible = false;
            form.cmdBack.enabled = false;
        }
    }
}

// The two options are one group: selecting one clears the other.
void FrmMain::optAgree_Click() {
    form.optAgree.value = true;
    form.optDisagree.value = false;
    form.cmdNext.enabled = true;
}

void FrmMain::optDisagree_Click() {
    form.optDisagree.value = true;
    form.optAgree.value = false;
    form.cmdNext.enabled = false;
}

// Escape presses the window's cancel button, but only as a user could press it: not while
// it is disabled (during the run and on the finish page) or hidden.
void FrmMain::Form_KeyEscape() {
    if (form.visible && form.cmdCancel.visible && form.cmdCancel.enabled) {
        cmdCancel_Click();
    }
}

} // namespace kernova
