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

// The one visible page, or a description of what is wrong.
std::string ShowingPage(const MainForm& form) {
    const std::pair<bool, const char*> pages[] = {{form.picWelcome.visible, "welcome"},
                                                  {form.picLicense.visible, "licence"},
                                                  {form.picReadme.visible, "information"},
                                                  {form.picInstall.visible, "installing"},
                                                  {form.picFinish.visible, "finish"}};
    std::vector<std::string> showing;
    for (const auto& [visible, name] : pages) {
        if (visible) {
            showing.push_back(name);
        }
    }
    return showing.size() == 1 ? showing.front()
                               : std::to_string(showing.size()) + " pages showing";
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

// The state right after start-up (or on the finish page), with the given page flags.
void StartUpState(MainForm& form, bool license, bool readme, bool onFinish = false) {
    form.picLicense.visible = form.picReadme.visible = form.picInstall.visible = false;
    form.picWelcome.visible = !onFinish;
    form.picFinish.visible = onFinish;
    form.License = license;
    form.ReadMe = readme;
    form.visible = true;
}

// The page and what is on: "licence back next agreed" (the options are one group).
std::string Describe(const MainForm& form) {
    std::string text = ShowingPage(form);
    text += form.cmdBack.enabled ? " back" : "";
    text += form.cmdNext.enabled ? " next" : "";
    text += form.optAgree.value ? " agreed" : "";
    return text + (form.optAgree.value == form.optDisagree.value ? " UNGROUPED" : "");
}

struct Scenario {
    const char* name;
    bool license;
    bool readme;
    // Each step: the event (N next, B back, A agree, D disagree), then the form described.
    std::vector<std::string> steps;
};

const Scenario kScenarios[] = {
    {"NeitherTextGoesStraightToTheRun", false, false, {"B welcome next", "N finish next"}},
    {"LicenceOnlyNeedsAcceptanceWhichIsKeptBackAndForth",
     true,
     false,
     {"N licence back", "A licence back next agreed", "D licence back", "B welcome next",
      "N licence back", "A licence back next agreed", "B welcome next agreed",
      "N licence back next agreed", "N finish next agreed"}},
    {"ReadmeOnly",
     false,
     true,
     {"N information back next", "B welcome next", "N information back next", "N finish next"}},
    {"LicenceAndReadme",
     true,
     true,
     {"N licence back", "A licence back next agreed", "N information back next agreed",
      "B licence back next agreed", "B welcome next agreed", "N licence back next agreed",
      "N information back next agreed", "N finish next agreed"}},
    {"OptionsDoNotLookAtThePage",
     true,
     true,
     {"A welcome next agreed", "N licence back next agreed", "D licence back"}},
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
    for (const std::string& step : GetParam().steps) {
        switch (step[0]) {
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
        EXPECT_EQ(Describe(form), step.substr(2)) << "after step " << step;
    }
    if (ShowingPage(form) == "finish") {
        // The run started on the installing page with Back already disabled.
        ASSERT_FALSE(runtime.pageAtRefresh.empty());
        EXPECT_EQ(runtime.pageAtRefresh.front(), "installing");
        EXPECT_FALSE(runtime.backAtRefresh.front());
        EXPECT_FALSE(form.cmdCancel.enabled);
        EXPECT_EQ(form.cmdNext.caption, "&Finish");
        EXPECT_EQ(EndsProgram([&] { frm.cmdNext_Click(); }), ExitCode::Done);
    }
}

INSTANTIATE_TEST_SUITE_P(Scenarios, NavigationTest, ::testing::ValuesIn(kScenarios),
                         [](const auto& info) { return std::string(info.param.name); });

// The finish page's button and closing the window there both end with the run's outcome.
TEST(NavigationFinish, ButtonOrClosingEndsWithTheRunsOutcome) {
    test::Sandbox sandbox;
    for (const bool close : {false, true}) {
        for (const char* caption : {"&Finish", "&Close"}) {
            SCOPED_TRACE(std::string(caption) + (close ? " closing" : " button"));
            test::FakeRuntime runtime;
            FrmMain frm(runtime, {});
            StartUpState(frm.form, false, false, true);
            frm.form.cmdNext.caption = caption;
            std::int16_t cancel = 0;
            EXPECT_EQ(EndsProgram([&] {
                          if (close) {
                              frm.Form_Unload(cancel);
                          } else {
                              frm.cmdNext_Click();
                          }
                      }),
                      std::string(caption) == "&Close" ? ExitCode::InstallFailed : ExitCode::Done);
        }
    }
}

// Cancel (and Escape, which presses it) and closing the window, on every page before the
// run: the extracted files go and the program ends at once, without a question.
class LeavingTest : public ::testing::TestWithParam<std::tuple<int, bool>> {
  protected:
    test::Sandbox sandbox;
    test::FakeRuntime runtime;
};

TEST_P(LeavingTest, EndsAtOnceAndRemovesTheExtractedFiles) {
    const fs::path installer = test::MakeInstaller(
        sandbox.work(),
        {test::BytesEntry("Sample.ttf", "x"), test::BytesEntry("readme.txt", "Read me"),
         test::BytesEntry("license.txt", "Terms"),
         test::DescriptorEntry({{"Readme", "True"}, {"License", "True"}})});
    FrmMain frm(runtime, StartupInfo{installer.string(), ""});
    ASSERT_FALSE(EndsProgram([&] { frm.Form_Load(); }));
    ASSERT_FALSE(test::FolderContents(sandbox.tmp()).empty());
    const auto [nexts, closeWindow] = GetParam();
    for (int i = 0; i < nexts; ++i) {
        frm.cmdNext_Click();
        frm.optAgree_Click();
    }
    const char* const pages[] = {"welcome", "licence", "information"};
    ASSERT_EQ(ShowingPage(frm.form), pages[nexts]);
    std::int16_t cancel = 0;
    const std::optional<ExitCode> ended = closeWindow
                                              ? EndsProgram([&] { frm.Form_Unload(cancel); })
                                              : EndsProgram([&] { frm.cmdCancel_Click(); });
    EXPECT_EQ(ended, ExitCode::Cancelled);
    EXPECT_EQ(cancel, 0) << "closing is never refused";
    EXPECT_TRUE(runtime.boxes.empty()) << "no question is asked";
    EXPECT_TRUE(test::FolderContents(sandbox.tmp()).empty());
}

INSTANTIATE_TEST_SUITE_P(Pages, LeavingTest,
                         ::testing::Combine(::testing::Values(0, 1, 2), ::testing::Bool()));

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
