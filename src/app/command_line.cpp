#include "app/command_line.h"

#include "platform/message_box.h"
#include "ui/frm_main.h"

namespace kernova {

CommandLineSwitch SwitchOf(const std::string& tail) {
    const size_t first = tail.find_first_not_of(' ');
    if (first == std::string::npos) {
        return CommandLineSwitch::None;
    }
    std::string trimmed = tail.substr(first, tail.find_last_not_of(' ') - first + 1);
    std::string last = trimmed.size() > 2 ? trimmed.substr(trimmed.size() - 2) : trimmed;
    for (char& c : last) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    if (last == "/E") {
        return CommandLineSwitch::Extract;
    }
    if (last == "/I") {
        return CommandLineSwitch::Install;
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
    case CommandLineSwitch::Usage:
        frm.runtime().MsgBox(kUsageText, MessageIcon::Information, MessageButtons::Ok,
                             kApplicationTitle);
        break;
    }
    frm.EndProgram(ExitCode::Done);
}

} // namespace kernova
