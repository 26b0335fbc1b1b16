#include "app/command_line.h"

#include "archive/text_routines.h"

#include "platform/message_box.h"
#include "ui/frm_main.h"

namespace kernova {

CommandLineSwitch SwitchOf(const std::string& tail) {
    const std::string_view trimmed = Trim(tail);
    const std::string_view last = trimmed.size() > 2 ? trimmed.substr(trimmed.size() - 2) : trimmed;
    if (EqualsIgnoringCase(last, "/E")) {
        return CommandLineSwitch::Extract;
    }
    if (EqualsIgnoringCase(last, "/I")) {
        return CommandLineSwitch::Install;
    }
    if (EqualsIgnoringCase(last, "/U")) {
        return CommandLineSwitch::Uninstall;
    }
    if (last == "/?") {
        return CommandLineSwitch::Usage;
    }
    return CommandLineSwitch::None;
}

void RunCommandLine(FrmMain& frm) {
    switch (SwitchOf(frm.startup().commandLine)) {
    case CommandLineSwitch::None:
        return;
    case CommandLineSwitch::Extract:
        frm.ExtractFonts();
        break;
    case CommandLineSwitch::Install: {
        // A failed silent run ends the program itself, with its own status.
        bool silent = true;
        frm.InstallFonts(silent);
        break;
    }
    case CommandLineSwitch::Uninstall:
        frm.UninstallFonts(); // ends the program with its own status
        break;
    case CommandLineSwitch::Usage:
        frm.runtime().MsgBox(kUsageText, MessageIcon::Information, MessageButtons::Ok,
                             kApplicationTitle);
        break;
    }
    frm.EndProgram(ExitCode::Done);
}

} // namespace kernova
