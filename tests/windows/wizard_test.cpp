// The wizard's native windows in this process, under Wine and Xvfb: built from a package,
// walked by the messages a user's clicks and keys send (BM_CLICK, WM_KEYDOWN, Alt and a
// mnemonic, the close box), read back from the windows themselves, and at 96, 144 and 192
// dpi laid out with room for every text. The run the wizard drives installs for real.
#include "fakes/package_bytes.h"
#include "platform/platform.h"
#include "platform/win32/console_output.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_font_system.h"
#include "platform/win32/win32_process.h"
#include "platform/win32/win32_runtime.h"
#include "platform/win32/win32_shell_folders.h"
#include "platform/win32/wizard_windows.h"
#include "ui/frm_main.h"
#include "windows/windows_world.h"

#include <gtest/gtest.h>
#include <optional>

namespace kernova::wintest {
namespace {

// The end of the program is the end of the walk; boxes are answered OK and kept.
class WalkRuntime : public win32::Win32Runtime {
  public:
    using Win32Runtime::Win32Runtime;
    [[noreturn]] void End(ExitCode code) override { throw ProgramEnded{code}; }
    Answer MsgBox(const std::string& text, MessageIcon, MessageButtons,
                  const std::string& = {}) override {
        boxes.push_back(text);
        return Answer::Ok;
    }
    std::vector<std::string> boxes;
};

// A wizard over an installer of bulk font `number` with the texts asked for.
struct Wizard {
    Wizard(int number, bool licence, bool readme, bool preview,
           std::optional<int> dpi = std::nullopt) {
        std::vector<std::pair<std::string, std::string>> tags = {
            {"Title", "Bulk Font " + std::to_string(number) + " of the Kernova Sample Family"}};
        std::vector<PackageInput> entries = {BulkFontEntry(number)};
        if (licence) {
            entries.push_back(test::BytesEntry("license.txt", "Terms\r\nMore terms\r\n"));
            tags.push_back({"License", "True"});
        }
        if (readme) {
            entries.push_back(test::BytesEntry("readme.txt", "Read me\r\n"));
            tags.push_back({"Readme", "True"});
        }
        tags.push_back({"ShowFontPreview", preview ? "True" : "False"});
        entries.push_back(test::DescriptorEntry(tags));
        MakeInstaller(installer, entries);
        windows.emplace(frm, runtime, dpi);
        frm.Form_Load();
        runtime.PumpEvents();
    }
    HWND Window(const char* name) const { return windows->main().ControlWindow(name); }
    std::string Text(const char* name) const {
        wchar_t text[256] = {};
        ::GetWindowTextW(Window(name), text, 256);
        return win32::Narrow(text);
    }
    // The page shown, whether Back and Next can be pressed, Next's caption, and whether the
    // keyboard is lost (the focus on a control that takes no keys).
    std::string State() const {
        HWND focus = ::GetFocus();
        const bool keys = focus != nullptr && ::IsWindowEnabled(focus) && ::IsWindowVisible(focus);
        std::string page = "none";
        for (const char* panel :
             {"picWelcome", "picLicense", "picReadme", "picInstall", "picFinish"}) {
            if (::IsWindowVisible(Window(panel))) {
                page = panel;
            }
        }
        return page + (::IsWindowEnabled(Window("cmdBack")) ? " back" : " -back") +
               (::IsWindowEnabled(Window("cmdNext")) ? " next " : " -next ") + Text("cmdNext") +
               (keys ? "" : " no-keys");
    }
    std::string Focused() const {
        for (const char* name : {"cmdBack", "cmdNext", "cmdCancel", "txtLicense", "optAgree",
                                 "optDisagree", "txtReadme"}) {
            if (::GetFocus() == Window(name)) {
                return name;
            }
        }
        return "?";
    }

    Scratch scratch;
    std::string installer = scratch / "Setup.exe";
    win32::Win32FileSystem files;
    win32::Win32ShellFolders folders;
    win32::Win32FontSystem fonts{files, folders};
    win32::Win32Process process;
    Platform platform{files, fonts, folders, process};
    win32::ConsoleOutput console{false};
    WalkRuntime runtime{console, false, fonts};
    FrmMain frm{runtime, platform, {installer, ""}};
    std::optional<win32::WizardWindows> windows;
};

// What a user does: a click on a control, a key, Alt and a letter, the close box.
struct Action {
    enum Kind { Click, Key, Mnemonic, Close } kind;
    const char* control = nullptr;
    WPARAM key = 0;
};
Action Click(const char* name) {
    return {Action::Click, name};
}
Action Key(WPARAM key) {
    return {Action::Key, nullptr, key};
}
Action Alt(char letter) {
    return {Action::Mnemonic, nullptr, static_cast<WPARAM>(letter)};
}

// Performs the action and lets the wizard handle it; the exit status when it ended.
std::optional<ExitCode> Perform(Wizard& wizard, const Action& action) {
    // Keys go to the active window: this one, whatever else the display shows.
    ::SetForegroundWindow(wizard.windows->main().hwnd());
    HWND focus = ::GetFocus() != nullptr ? ::GetFocus() : wizard.windows->main().hwnd();
    switch (action.kind) {
    case Action::Click:
        ::SendMessageW(wizard.Window(action.control), BM_CLICK, 0, 0);
        break;
    case Action::Key:
        ::PostMessageW(focus, WM_KEYDOWN, action.key, 1);
        ::PostMessageW(focus, WM_KEYUP, action.key, 0xC0000001);
        break;
    case Action::Mnemonic:
        ::PostMessageW(focus, WM_SYSCHAR, action.key, 1 << 29); // with Alt held
        break;
    case Action::Close:
        ::PostMessageW(wizard.windows->main().hwnd(), WM_CLOSE, 0, 0);
        break;
    }
    try {
        wizard.runtime.PumpEvents();
    } catch (const ProgramEnded& ended) {
        return ended.code;
    }
    return std::nullopt;
}

struct Walk {
    const char* name;
    int font;
    bool licence, readme;
    std::vector<std::pair<Action, const char*>> steps; // the action, the state after it
    ExitCode end;
    bool installed;
};

const char* const kEnded = "ended";

TEST(WindowsWizard, EveryPathThroughThePagesByClicksAndKeys) {
    const Walk walks[] = {
        {"licence and read-me, clicks and mnemonics",
         20,
         true,
         true,
         {{Click("cmdNext"), "picLicense back -next &Next >"},
          {Click("optAgree"), "picLicense back next &Next >"},
          {Click("optDisagree"), "picLicense back -next &Next >"},
          {Click("optAgree"), "picLicense back next &Next >"},
          {Alt('n'), "picReadme back next &Next >"},
          {Alt('b'), "picLicense back next &Next >"},
          {Click("cmdBack"), "picWelcome -back next &Next >"},
          {Key(VK_RETURN), "picLicense back next &Next >"},
          {Key(VK_RETURN), "picReadme back next &Next >"},
          {Click("cmdNext"), "picFinish -back next &Finish"},
          {Key(VK_ESCAPE), "picFinish -back next &Finish"},
          {Click("cmdNext"), kEnded}},
         ExitCode::Done,
         true},
        {"neither text: Enter installs",
         21,
         false,
         false,
         {{Key(VK_RETURN), "picFinish -back next &Finish"}, {Alt('f'), kEnded}},
         ExitCode::Done,
         true},
        {"read-me only, then Escape",
         22,
         false,
         true,
         {{Click("cmdNext"), "picReadme back next &Next >"},
          {Click("cmdBack"), "picWelcome -back next &Next >"},
          {Key(VK_ESCAPE), kEnded}},
         ExitCode::Cancelled,
         false},
        {"the close box on the licence",
         23,
         true,
         false,
         {{Alt('n'), "picLicense back -next &Next >"}, {{Action::Close}, kEnded}},
         ExitCode::Cancelled,
         false},
    };
    for (const Walk& walk : walks) {
        SCOPED_TRACE(walk.name);
        Wizard wizard(walk.font, walk.licence, walk.readme, false);
        ASSERT_TRUE(::IsWindowVisible(wizard.windows->main().hwnd()));
        EXPECT_FALSE(::IsWindowVisible(wizard.windows->extracting().hwnd()));
        EXPECT_EQ(wizard.State(), "picWelcome -back next &Next >");
        EXPECT_EQ(wizard.Text("lblWelcome"), "Welcome to Setup for Bulk Font " +
                                                 std::to_string(walk.font) +
                                                 " of the Kernova Sample Family");
        std::optional<ExitCode> ended;
        for (const auto& [action, expected] : walk.steps) {
            ASSERT_FALSE(ended) << "ended before " << expected;
            ended = Perform(wizard, action);
            EXPECT_EQ(ended ? kEnded : wizard.State(), std::string(expected));
        }
        EXPECT_EQ(ended, walk.end);
        EXPECT_EQ(RegisteredFile(BulkFaceName(walk.font)),
                  walk.installed ? BulkFontName(walk.font) : "");
        EXPECT_EQ(wizard.runtime.boxes, std::vector<std::string>{});
    }
}

// Tab goes round in the table's order (Next, Cancel, the licence text, the chosen option,
// Back), skipping what cannot be used.
TEST(WindowsWizard, TabMovesThroughTheControlsInTheirOrder) {
    Wizard wizard(24, true, false, false);
    Perform(wizard, Click("cmdNext"));
    Perform(wizard, Click("optAgree"));
    ::SetFocus(wizard.Window("cmdNext"));
    std::vector<std::string> order;
    for (int press = 0; press < 6; ++press) {
        order.push_back(wizard.Focused());
        Perform(wizard, Key(VK_TAB));
    }
    EXPECT_EQ(order, (std::vector<std::string>{"cmdNext", "cmdCancel", "txtLicense", "optAgree",
                                               "cmdBack", "cmdNext"}));
}

// The preview shows the package's own font drawn from its file; the area grows to its lines.
TEST(WindowsWizard, ThePreviewIsDrawnFromThePackagesFont) {
    Wizard wizard(25, false, false, true);
    EXPECT_TRUE(::IsWindowVisible(wizard.Window("picPreview")));
    EXPECT_TRUE(::IsWindowVisible(wizard.Window("lblFontPreview")));
    EXPECT_GT(wizard.runtime.previewCanvas().DrawnPixels(), 500);
    RECT area{};
    ::GetClientRect(wizard.Window("picPreview"), &area);
    EXPECT_GT(area.bottom, 30); // three lines
}

// At 96, 144 and 192 dpi the window and its controls scale and every text has its room.
TEST(WindowsWizard, TheLayoutScalesAndNoTextIsCutOff) {
    for (int dpi : {96, 144, 192}) {
        SCOPED_TRACE(dpi);
        Wizard wizard(26, true, true, false, dpi);
        RECT client{};
        ::GetClientRect(wizard.windows->main().hwnd(), &client);
        EXPECT_EQ(client.right, ::MulDiv(6615, dpi, 1440));
        EXPECT_EQ(client.bottom, ::MulDiv(4455, dpi, 1440));
        for (const win32::FormWindow::TextRoom& room : wizard.windows->main().TextRooms()) {
            EXPECT_LE(room.needed.cx, room.given.cx) << room.name;
            EXPECT_LE(room.needed.cy, room.given.cy) << room.name;
        }
        Perform(wizard, Key(VK_ESCAPE));
    }
}

} // namespace
} // namespace kernova::wintest
