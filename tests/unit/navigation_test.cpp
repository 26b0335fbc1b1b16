// The wizard's page state machine, driven through the handlers without a toolkit.
#include "support/fake_runtime.h"
#include "support/sandbox.h"
#include "support/wizard_package.h"
#include "ui/frm_main.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace kernova {
namespace {

namespace fs = std::filesystem;
using test::EndsProgram;

enum class Page { Welcome, Licence, Information, Installing, Finish };

std::string PageName(Page page) {
    switch (page) {
    case Page::Welcome:
        return "welcome";
    case Page::Licence:
        return "licence";
    case Page::Information:
        return "information";
    case Page::Installing:
        return "installing";
    case Page::Finish:
        return "finish";
    }
    return "?";
}

// The one visible page, or a description of what is wrong.
std::string ShowingPage(const MainForm& form) {
    std::vector<Page> showing;
    if (form.picWelcome.visible) {
        showing.push_back(Page::Welcome);
    }
    if (form.picLicense.visible) {
        showing.push_back(Page::Licence);
    }
    if (form.picReadme.visible) {
        showing.push_back(Page::Information);
    }
    if (form.picInstall.visible) {
        showing.push_back(Page::Installing);
    }
    if (form.picFinish.visible) {
        showing.push_back(Page::Finish);
    }
    if (showing.size() != 1) {
        return std::to_string(showing.size()) + " pages showing";
    }
    return PageName(showing.front());
}

// What the window looked like when the installation run first repainted it.
class SnapshotRuntime : public test::FakeRuntime {
  public:
    const MainForm* form = nullptr;
    std::vector<std::string> pageAtRefresh;
    std::vector<bool> backAtRefresh;

    void Refresh() override {
        FakeRuntime::Refresh();
        if (form != nullptr) {
            pageAtRefresh.push_back(ShowingPage(*form));
            backAtRefresh.push_back(form->cmdBack.enabled);
        }
    }
};

// The state right after start-up, with the given page flags.
void StartUpState(MainForm& form, bool license, bool readme) {
    form.picLicense.visible = false;
    form.picReadme.visible = false;
    form.picInstall.visible = false;
    form.picFinish.visible = false;
    form.picWelcome.visible = true;
    form.License = license;
    form.ReadMe = readme;
    form.visible = true;
}

struct Step {
    char event; // N next, B back, A agree, D disagree
    Page page;
    bool back;
    bool next;
    bool agreed;
};

struct Scenario {
    const char* name;
    bool license;
    bool readme;
    std::vector<Step> steps;
};

using P = Page;

const Scenario kScenarios[] = {
    {"NeitherTextGoesStraightToTheRun", false, false, {{'N', P::Finish, false, true, false}}},
    {"NeitherTextBackDoesNothingOnWelcome",
     false,
     false,
     {{'B', P::Welcome, false, true, false}, {'N', P::Finish, false, true, false}}},
    {"LicenceOnlyNeedsAcceptance",
     true,
     false,
     {{'N', P::Licence, true, false, false},
      {'A', P::Licence, true, true, true},
      {'D', P::Licence, true, false, false},
      {'A', P::Licence, true, true, true},
      {'N', P::Finish, false, true, true}}},
    {"LicenceOnlyBackAndForthKeepsAcceptance",
     true,
     false,
     {{'N', P::Licence, true, false, false},
      {'A', P::Licence, true, true, true},
      {'B', P::Welcome, false, true, true},
      {'N', P::Licence, true, true, true},
      {'N', P::Finish, false, true, true}}},
    {"LicenceOnlyBackWithoutAcceptanceKeepsNextDisabledOnReturn",
     true,
     false,
     {{'N', P::Licence, true, false, false},
      {'B', P::Welcome, false, true, false},
      {'N', P::Licence, true, false, false}}},
    {"ReadmeOnly",
     false,
     true,
     {{'N', P::Information, true, true, false},
      {'B', P::Welcome, false, true, false},
      {'N', P::Information, true, true, false},
      {'N', P::Finish, false, true, false}}},
    {"LicenceAndReadme",
     true,
     true,
     {{'N', P::Licence, true, false, false},
      {'A', P::Licence, true, true, true},
      {'N', P::Information, true, true, true},
      {'B', P::Licence, true, true, true},
      {'B', P::Welcome, false, true, true},
      {'N', P::Licence, true, true, true},
      {'N', P::Information, true, true, true},
      {'N', P::Finish, false, true, true}}},
    {"OptionsDoNotLookAtThePage",
     true,
     true,
     {{'A', P::Welcome, false, true, true},
      {'N', P::Licence, true, true, true},
      {'D', P::Licence, true, false, false}}},
};

class NavigationTest : public ::testing::TestWithParam<Scenario> {
  protected:
    test::Sandbox sandbox; // the installation run looks at the (sandbox's) fonts folder
    SnapshotRuntime runtime;
    FrmMain frm{runtime, {}};
};

TEST_P(NavigationTest, FollowsThePageStateMachine) {
    MainForm& form = frm.form;
    runtime.form = &form;
    StartUpState(form, GetParam().license, GetParam().readme);
    int stepNumber = 0;
    for (const Step& step : GetParam().steps) {
        ++stepNumber;
        SCOPED_TRACE("step " + std::to_string(stepNumber) + " '" + step.event + "'");
        switch (step.event) {
        case 'N':
            frm.cmdNext_Click();
            break;
        case 'B':
            frm.cmdBack_Click();
            break;
        case 'A':
            frm.optAgree_Click();
            break;
        case 'D':
            frm.optDisagree_Click();
            break;
        }
        EXPECT_EQ(ShowingPage(form), PageName(step.page));
        EXPECT_EQ(form.cmdBack.enabled, step.back);
        EXPECT_EQ(form.cmdNext.enabled, step.next);
        EXPECT_EQ(form.optAgree.value, step.agreed);
        EXPECT_EQ(form.optDisagree.value, !step.agreed) << "the options are one group";
        if (step.page == Page::Finish) {
            // The run started on the installing page with Back already disabled.
            ASSERT_FALSE(runtime.pageAtRefresh.empty());
            EXPECT_EQ(runtime.pageAtRefresh.front(), "installing");
            EXPECT_FALSE(runtime.backAtRefresh.front());
            EXPECT_FALSE(form.cmdCancel.enabled);
            EXPECT_EQ(form.cmdNext.caption, "&Finish");
        }
    }
    if (GetParam().steps.back().page == Page::Finish) {
        // The finish page's button ends the program.
        EXPECT_EQ(EndsProgram([&] { frm.cmdNext_Click(); }), ExitCode::Done);
    }
}

INSTANTIATE_TEST_SUITE_P(Scenarios, NavigationTest, ::testing::ValuesIn(kScenarios),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(NavigationFinish, CloseAfterAFailedRunEndsAsFailed) {
    test::Sandbox sandbox;
    test::FakeRuntime runtime;
    FrmMain frm(runtime, {});
    StartUpState(frm.form, false, false);
    frm.form.picWelcome.visible = false;
    frm.form.picFinish.visible = true;
    frm.form.cmdNext.caption = "&Close";
    EXPECT_EQ(EndsProgram([&] { frm.cmdNext_Click(); }), ExitCode::InstallFailed);
}

// Cancel (and Escape, which presses it) and closing the window, on every page before the
// run: the extracted files go and the program ends at once, without a question.
class LeavingTest : public ::testing::TestWithParam<std::tuple<Page, bool>> {
  protected:
    test::Sandbox sandbox;
    test::FakeRuntime runtime;
    std::unique_ptr<FrmMain> frm;

    void LoadPackage() {
        const fs::path installer = test::MakeInstaller(
            sandbox.work(),
            {test::BytesEntry("Sample.ttf", "x"), test::BytesEntry("readme.txt", "Read me"),
             test::BytesEntry("license.txt", "Terms"),
             test::DescriptorEntry({{"Readme", "True"}, {"License", "True"}})});
        frm = std::make_unique<FrmMain>(runtime, StartupInfo{installer.string(), ""});
        ASSERT_FALSE(EndsProgram([&] { frm->Form_Load(); }));
        ASSERT_FALSE(test::FolderContents(sandbox.tmp()).empty());
    }
};

TEST_P(LeavingTest, EndsAtOnceAndRemovesTheExtractedFiles) {
    LoadPackage();
    const auto [page, closeWindow] = GetParam();
    if (page != Page::Welcome) {
        frm->cmdNext_Click();
        frm->optAgree_Click();
    }
    if (page == Page::Information) {
        frm->cmdNext_Click();
    }
    ASSERT_EQ(ShowingPage(frm->form), PageName(page));
    std::int16_t cancel = 0;
    const std::optional<ExitCode> ended = closeWindow
                                              ? EndsProgram([&] { frm->Form_Unload(cancel); })
                                              : EndsProgram([&] { frm->cmdCancel_Click(); });
    EXPECT_EQ(ended, ExitCode::Cancelled);
    EXPECT_EQ(cancel, 0) << "closing is never refused";
    EXPECT_TRUE(runtime.boxes.empty()) << "no question is asked";
    EXPECT_TRUE(test::FolderContents(sandbox.tmp()).empty());
}

INSTANTIATE_TEST_SUITE_P(Pages, LeavingTest,
                         ::testing::Combine(::testing::Values(Page::Welcome, Page::Licence,
                                                              Page::Information),
                                            ::testing::Bool()),
                         [](const auto& info) {
                             return PageName(std::get<0>(info.param)) +
                                    (std::get<1>(info.param) ? "_CloseWindow" : "_Cancel");
                         });

TEST(LeavingFinishPage, ClosingTheWindowThereEndsWithTheRunsOutcome) {
    test::Sandbox sandbox;
    for (const char* caption : {"&Finish", "&Close"}) {
        test::FakeRuntime runtime;
        FrmMain frm(runtime, {});
        StartUpState(frm.form, false, false);
        frm.form.picWelcome.visible = false;
        frm.form.picFinish.visible = true;
        frm.form.cmdNext.caption = caption;
        std::int16_t cancel = 0;
        EXPECT_EQ(EndsProgram([&] { frm.Form_Unload(cancel); }),
                  std::string(caption) == "&Close" ? ExitCode::InstallFailed : ExitCode::Done);
    }
}

TEST(WebLink, ClickOpensThePackageAddressAndStaysOnThePage) {
    test::FakeRuntime runtime;
    FrmMain frm(runtime, {});
    StartUpState(frm.form, true, false);
    frm.form.URL = "https://example.org/fonts";
    frm.lblLink_Click();
    EXPECT_EQ(runtime.openedUrls, std::vector<std::string>{"https://example.org/fonts"});
    EXPECT_EQ(ShowingPage(frm.form), "welcome");
}

} // namespace
} // namespace kernova
