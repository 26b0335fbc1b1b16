#pragma once

namespace kernova {

// Message box styles and answers, numerically as the form runtime defines them.
enum MessageStyle : int {
    MB_OK = 0x00,
    MB_OKCANCEL = 0x01,
    MB_ICONERROR = 0x10,
    MB_ICONEXCLAMATION = 0x30,
    MB_ICONINFORMATION = 0x40,
};

enum MessageAnswer : int {
    IDOK = 1,
    IDCANCEL = 2,
};

inline constexpr const char* kApplicationTitle = "Kernova Installer";

} // namespace kernova
