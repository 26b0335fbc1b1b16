#pragma once

namespace kernova {

// A message box's icon, buttons and answer. Scoped names: the platform headers define
// macros for the plain ones.
enum class MessageIcon { None, Error, Exclamation, Information };
enum class MessageButtons { Ok, OkCancel };
enum class Answer { Ok, Cancel };

inline constexpr const char* kApplicationTitle = "Kernova Installer";
// The title of a failure's box, and the lead of its line on standard error.
inline constexpr const char* kErrorTitle = "Kernova Installer Error";

} // namespace kernova
