#pragma once

#include "ui/control_table.h"

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

namespace kernova::qt {

class QtRuntime;

// The widgets of one window, one per row of its form's control table: made by kind,
// parented by container, named after the control (findChild<QPushButton*>("cmdNext")),
// and brought up to date from the form's state by Sync. A click on a control hands its
// handler from the table to `onClick`.
class TableWidgets {
  public:
    using Handler = void (FrmMain::*)();

    // `runtime` gives the pictures and the preview area; nullptr for a form with neither.
    TableWidgets(QWidget& window, std::vector<FormControl> controls, QtRuntime* runtime,
                 std::function<void(Handler)> onClick = {});

    void Sync();
    // The control that has the focus when the window shows, or nullptr.
    QWidget* FirstInTabOrder() const { return firstInTabOrder_; }

  private:
    struct Item {
        FormControl control;
        QWidget* widget = nullptr;
        const Panel* container = nullptr; // nullptr: the window
        std::string shownText{};          // a text box's text as last shown
    };

    void Build(QWidget& window);
    void Connect(const Item& item);
    void SetTabOrder();
    void SyncItem(Item& item, const Label& label);
    void SyncItem(Item& item, const Button& button);
    void SyncItem(Item& item, const Panel& panel);
    void SyncItem(Item& item, const TextBox& box);
    void SyncItem(Item& item, const OptionButton& option);
    void SyncItem(Item& item, const Line& line);
    void SyncItem(Item& item, const FilledRect& fill);

    std::vector<Item> items_;
    QtRuntime* runtime_;
    std::function<void(Handler)> onClick_;
    QWidget* firstInTabOrder_ = nullptr;
};

} // namespace kernova::qt
