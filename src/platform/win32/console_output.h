#pragma once

#include "platform/win32/unique_handle.h"

#include <string>

namespace kernova::win32 {

// Where /I, /E, /U and /? tell what they have to say: the standard error the installer was
// started with (a script's pipe or file), else the console of the program that started it
// (a command prompt; the installer itself is a windowed program and has none of its own).
class ConsoleOutput {
  public:
    // Which standard handle: errors and messages, or a silent run's results.
    enum class Stream { Error, Output };

    // Looks for somewhere to write; attaches to the parent's console only when asked (a
    // wizard run must not take the console's Ctrl+C).
    explicit ConsoleOutput(bool attachToParent, Stream stream = Stream::Error);

    bool available() const { return handle_ != nullptr; }
    // One line: UTF-8 text, written as the console's own characters or, to a file or a
    // pipe, as UTF-8 with CR LF.
    void WriteLine(const std::string& text);

  private:
    HANDLE handle_ = nullptr; // the standard error's (not ours to close) or owned_
    UniqueHandle owned_;      // the parent console's output, opened here
    bool console_ = false;
};

} // namespace kernova::win32
