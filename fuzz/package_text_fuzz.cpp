// Package texts and the INI writer on arbitrary bytes: decoding always gives valid UTF-8,
// loaded texts end every line in CR LF, setting an INI key twice changes nothing more,
// and Boolean tags either convert or throw invalid_argument.
#include "app/boolean_text.h"
#include "app/text_decoding.h"
#include "app/text_file.h"
#include "ui/ini_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool EveryLineEndsInCrLf(std::string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) {
            return false;
        }
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) {
            return false;
        }
    }
    return text.empty() || text.ends_with("\r\n");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    Check(kernova::IsValidUtf8(kernova::DecodeAnsiText(bytes)));

    const std::string text = kernova::TextWithCrLf(bytes);
    Check(kernova::IsValidUtf8(text));
    Check(EveryLineEndsInCrLf(text));

    const std::string once = kernova::SetIniKey(bytes, "InternetShortcut", "URL", "https://x");
    Check(EveryLineEndsInCrLf(once));
    Check(kernova::SetIniKey(once, "InternetShortcut", "URL", "https://x") == once);

    try {
        (void)kernova::TextToBoolean(bytes.substr(0, 64));
    } catch (const std::invalid_argument&) {
        // not a Boolean: the caller's corrupt-package path
    }
    return 0;
}
