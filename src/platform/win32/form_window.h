#pragma once

#include "platform/win32/win32_api.h"
#include "ui/control_table.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace kernova::win32 {

class GdiPreviewCanvas;

// The window's own state as the form holds it.
struct WindowState {
    const std::string* caption = nullptr;
    std::function<bool()> shown; // whether the window is on screen
    int clientWidth = 0;         // twips
    int clientHeight = 0;
};

// What the window does with the user's actions. Each of these hands the form's handler to
// the runtime, which runs it outside the window's procedures (a handler may end the
// program, show a box or pump events).
struct WindowBehaviour {
    using Handler = void (FrmMain::*)();
    std::function<void(Handler)> click;  // a control's handler from the table
    std::function<void()> escape;        // Escape
    std::function<void()> close;         // the close box; none: only the form closes it
    std::function<void()> endSession;    // log-off or shut-down: at once, never queued
    const char* defaultButton = nullptr; // Enter presses it
    bool toolWindow = false;             // no task-bar button
};

// A form's window on Win32: one native window per row of its control table, made by kind
// and parented by container, in the keyboard order the table gives (Tab, the captions'
// mnemonics, Enter for the default button and Escape through a dialog-style message loop).
// Buttons, option buttons, text boxes, panels and the preview area are the system's or our
// own child windows; labels are child windows that hold their caption and take clicks but
// are drawn by their container, in table order with its lines and filled rectangles, over
// its colour and picture, so a transparent label shows what lies under it. Geometry is the
// table's twips at the window's DPI. The view decides nothing: Sync shows the state.
class FormWindow {
  public:
    FormWindow(std::vector<FormControl> controls, WindowState window, WindowBehaviour behaviour,
               const GdiPreviewCanvas* preview = nullptr, std::optional<int> dpi = std::nullopt);
    ~FormWindow();
    FormWindow(const FormWindow&) = delete;
    FormWindow& operator=(const FormWindow&) = delete;

    // Makes the windows match the state and marks them for repainting.
    void Sync();
    // Paints what is marked at once.
    void RepaintNow();

    HWND hwnd() const { return window_; }
    // A control's window by its name (a label's too); nullptr for a line or a filled
    // rectangle, which are drawn only.
    HWND ControlWindow(std::string_view name) const;
    int dpi() const { return dpi_; }

    // For the layout checks: each control with text that its state shows (on whichever
    // page), the room its text needs in the window's font at the window's DPI and the room
    // it has within its container (pixels).
    struct TextRoom {
        std::string name;
        SIZE needed;
        SIZE given;
    };
    std::vector<TextRoom> TextRooms() const;

  private:
    struct Item {
        FormControl control;
        HWND hwnd = nullptr;
        int container = -1; // index of the holding panel; -1 the window
        int id = 0;
        RECT placed{}; // where it was last placed, in its container's client pixels
        std::wstring shownText{};
        bool shownFont = false;
    };

    static LRESULT CALLBACK ContainerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK LabelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK PreviewProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK TextBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR subclass, DWORD_PTR data);

    void Build();
    void OrderForKeyboard();
    LRESULT OnContainerMessage(int container, HWND hwnd, UINT message, WPARAM wParam,
                               LPARAM lParam);
    void OnCommand(int id);
    void Paint(HDC dc, int container, const RECT& area);
    void PaintLabel(HDC dc, const Item& item, const Label& label);
    void PaintPreview(HWND hwnd, HDC dc);
    void SyncItem(Item& item, const Label& label);
    void SyncItem(Item& item, const Button& button);
    void SyncItem(Item& item, const Panel& panel);
    void SyncItem(Item& item, const TextBox& box);
    void SyncItem(Item& item, const OptionButton& option);
    void SyncItem(Item& item, const Line& line);
    void SyncItem(Item& item, const FilledRect& fill);
    void Place(Item& item, const RECT& rect, bool visible, bool enabled);
    void SetText(Item& item, const std::string& text, const FontSpec* font);
    SIZE LabelTextSize(const Label& label, int width) const;
    RECT ToPixels(const Rect& rect) const;
    int ToPixels(int twips) const;
    HFONT Font(const FontSpec& font) const;
    HBRUSH Brush(std::uint32_t color) const;
    COLORREF Color(std::uint32_t color) const;
    RECT ClientOf(int container) const;
    void ApplyDpi(int dpi);
    void ShowOrHide();
    void KeepKeyboard();

    std::vector<Item> items_;
    WindowState state_;
    WindowBehaviour behaviour_;
    const GdiPreviewCanvas* preview_;
    HWND window_ = nullptr;
    int dpi_ = 96;
    bool fixedDpi_ = false;
    bool placed_ = false;
    int defaultId_ = 0;
    HWND lastFocus_ = nullptr; // the control that had the focus last
    std::wstring shownCaption_;
    mutable std::map<std::tuple<std::string, double, bool>, HFONT> fonts_;
    mutable std::map<std::uint32_t, HBRUSH> brushes_;
};

} // namespace kernova::win32
