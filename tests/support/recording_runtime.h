#pragma once

#include "support/fake_runtime.h"
#include "ui/main_form.h"

#include <functional>
#include <string>
#include <vector>

namespace kernova::test {

// What the installing page showed at one moment.
struct ShownProgress {
    std::string status;
    std::string percent;
    int fill = 0;
};

// The scripted runtime, noting what the installing page showed at every repaint and every
// message box, with a hook that runs at each repaint (its number from 1): tests make the
// world change between the run's stages there, or make the repaint itself fail.
class RecordingRuntime : public FakeRuntime {
  public:
    const MainForm* form = nullptr;
    std::vector<ShownProgress> atRefresh;
    std::vector<ShownProgress> atBox;
    std::function<void(int refresh)> onRefresh;

    void Refresh() override {
        FakeRuntime::Refresh();
        atRefresh.push_back(Shown());
        if (onRefresh) {
            onRefresh(refreshes);
        }
    }

    Answer MsgBox(const std::string& text, MessageIcon icon, MessageButtons buttons,
                  const std::string& title = {}) override {
        atBox.push_back(Shown());
        return FakeRuntime::MsgBox(text, icon, buttons, title);
    }

  private:
    ShownProgress Shown() const {
        if (form == nullptr) {
            return {};
        }
        return {form->lblStatus.caption, form->lblPercent.caption, form->picProg.rect.width};
    }
};

} // namespace kernova::test
