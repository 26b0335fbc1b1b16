#pragma once

namespace kernova::qt {

// A window that shows one form's state. The runtime brings every view up to date before it
// hands control to the user (Yield, Refresh, a message box).
class FormView {
  public:
    virtual ~FormView() = default;
    // Makes the widgets match the form state (captions, visibility, geometry, pictures).
    virtual void SyncFromState() = 0;
    // Paints what is visible at once, without waiting for the event loop.
    virtual void RepaintNow() = 0;
};

} // namespace kernova::qt
