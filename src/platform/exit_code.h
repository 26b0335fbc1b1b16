#pragma once

namespace kernova {

// Process exit status. Scripts and package managers tell the outcomes apart by these.
enum class ExitCode : int {
    Done = 0,           // installed, extracted, usage shown, wizard finished
    NoDisplay = 1,      // the wizard was asked for but there is no display to show it on
    Cancelled = 2,      // the user pressed Cancel or closed the window
    CorruptPackage = 3, // the appended package could not be read
    InstallFailed = 4,  // the installation run failed (wizard "&Close" or silent failure)
    // The machine, not the package: the installer file unreadable, the temporary, fonts or
    // output folder missing, read-only or full.
    EnvironmentFault = 5,
    // /I found every font installed already (in that or a newer release), /U found
    // nothing of the package installed: nothing was changed.
    NothingToDo = 6,
};

} // namespace kernova
