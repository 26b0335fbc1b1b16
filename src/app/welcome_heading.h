#pragma once

namespace kernova {

class Runtime;
struct MainForm;

// Sizes the welcome heading to its caption; a heading wider than the page wraps onto
// further lines in a taller label, and the text below it moves down to make room.
void FitWelcomeHeading(MainForm& form, Runtime& runtime);

} // namespace kernova
