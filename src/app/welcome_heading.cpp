#include "app/welcome_heading.h"

#include "platform/runtime.h"
#include "ui/main_form.h"

#include <cmath>

namespace kernova {
namespace {

// The welcome page measures its contents in pixels; the form state holds twips.
float ToPixels(int twips) {
    return static_cast<float>(twips) / static_cast<float>(kTwipsPerPixel);
}

int ToTwips(float pixels) {
    return static_cast<int>(std::lround(pixels * static_cast<float>(kTwipsPerPixel)));
}

constexpr float kWrappedHeadingHeight = 100; // pixels
constexpr float kSetupTopBelowWrapped = 56;  // pixels

} // namespace

void FitWelcomeHeading(MainForm& form, Runtime& runtime) {
    Label& heading = form.lblWelcome;
    const float available = ToPixels(form.picWelcome.rect.width) - 2 * ToPixels(heading.rect.left);
    // A label sized to its text is as wide as the text.
    const float width = static_cast<float>(runtime.TextWidth(heading.font, heading.caption));
    heading.rect.width = ToTwips(width);
    if (width > available) {
        heading.autoSize = false;
        heading.wordWrap = true;
        heading.rect.height = ToTwips(kWrappedHeadingHeight);
        heading.rect.width = ToTwips(available);
        form.lblSetup.rect.top = ToTwips(kSetupTopBelowWrapped);
    }
}

} // namespace kernova
