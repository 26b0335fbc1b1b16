#include "fonts/install_run.h"
#include "platform/pace.h"
#include "platform/platform.h"
#include "ui/favorites.h"
#include "ui/frm_main.h"

namespace kernova {
namespace {

// The installing page shows the run's state; its boxes are the wizard's message boxes.
class WizardInstallDisplay : public InstallDisplay {
  public:
    WizardInstallDisplay(MainForm& form, Runtime& runtime, bool silent)
        : form_(form), runtime_(runtime), silent_(silent) {}

    void Begin() override {
        if (!silent_) {
            runtime_.Refresh();
        }
    }

    void Refresh(const InstallState& state) override {
        Show(state);
        runtime_.Refresh();
    }

    // The bar moves by the clock: painted and the window kept responsive every frame,
    // however many fonts that frame handled.
    void Progress(const InstallState& state) override {
        if (silent_ || !pace_.Due()) {
            return;
        }
        Refresh(state);
        runtime_.PumpEvents();
    }

    Answer AskAlreadyInstalled(const InstallState& state, const std::string& text,
                               MessageButtons buttons) override {
        Show(state);
        return runtime_.MsgBox(text, MessageIcon::Exclamation, buttons);
    }

    void Show(const InstallState& state) {
        if (!state.status.empty()) {
            form_.lblStatus.caption = state.status;
        }
        if (state.progress) {
            form_.picProg.rect.width = state.progress->fillWidth;
            form_.lblPercent.caption = state.progress->percent;
        }
    }

  private:
    MainForm& form_;
    Runtime& runtime_;
    bool silent_;
    Pace pace_;
};

void ShowFinishPage(MainForm& form, const char* buttonCaption) {
    form.picInstall.visible = false;
    form.picFinish.visible = true;
    form.cmdNext.enabled = true;
    form.cmdNext.caption = buttonCaption;
}

} // namespace

void FrmMain::InstallFonts(bool& Silent) {
    form.cmdNext.enabled = false;
    form.cmdCancel.enabled = false;
    if (Silent) {
        form.visible = false;
    }
    InstallRequest request;
    request.fonts = form.lstFonts.items();
    request.extractPath = form.ExtractPath;
    request.packageTitle = form.PackageTitle;
    request.troughWidth = form.picProgCon.rect.width;
    if (!form.URLTitle.empty() && !form.URL.empty() && form.AddFav) {
        request.addFavorite = [this] {
            AddFavorite(platform_.files, platform_.folders, form.URLTitle, form.URL);
        };
    }
    WizardInstallDisplay display(form, runtime_, Silent);
    const InstallState state = kernova::InstallFonts(platform_, request, display);
    display.Show(state);

    if (state.outcome == InstallState::Outcome::Failed) {
        // Every problem is told, and a silent run says what it did nonetheless; it then
        // ends the program (cleaning up), the wizard shows the stage's text.
        if (Silent) {
            runtime_.Report(SummaryLine(state));
        }
        TellFailure(state.problems, Silent);
        const ExitCode code =
            state.environmentFault ? ExitCode::EnvironmentFault : ExitCode::InstallFailed;
        if (Silent) {
            EndProgram(code);
        }
        if (!state.failureText.empty()) {
            form.lblFinishText.caption = state.failureText;
        }
        form.lblFinish.caption = "Could not install";
        finishCode_ = code;
        ShowFinishPage(form, "&Close");
        return;
    }
    if (Silent) {
        runtime_.Report(SummaryLine(state));
        if (state.installed == 0 && state.updated == 0) {
            EndProgram(ExitCode::NothingToDo);
        }
    } else if (state.updated > 0 || state.present > 0) {
        // The page says what the run did where it was not simply installing new fonts.
        form.lblFinishText.caption += "\r\n" + SummaryLine(state) + ".";
    }
    finishCode_ = ExitCode::Done;
    ShowFinishPage(form, "&Finish");
}

} // namespace kernova
