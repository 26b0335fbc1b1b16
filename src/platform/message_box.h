#pragma once

namespace kernova {

// A message box's icon, buttons and answer. Scoped names: the platform headers define
// macros for the plain ones.
enum class MessageIcon { None, Error, Exclamation, Information };
enum class MessageButtons { Ok, OkCancel };
enum class Answer { Ok, Cancel };

inline constexpr const char* kApplicationTitle = "Kernova Installer";

} // namespace kernova
