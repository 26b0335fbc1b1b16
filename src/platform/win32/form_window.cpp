#include "platform/win32/form_window.h"

#include "platform/win32/gdi_preview_canvas.h"
#include "platform/win32/gdi_text.h"
#include "platform/win32/wic_pictures.h"
#include "platform/win32/wide_text.h"

#include <algorithm>
#include <climits>
#include <commctrl.h>
#include <stdexcept>

namespace kernova::win32 {
namespace {

constexpr const wchar_t* kFormClass = L"KernovaForm";
constexpr const wchar_t* kPanelClass = L"KernovaPanel";
constexpr const wchar_t* kLabelClass = L"KernovaLabel";
constexpr const wchar_t* kPreviewClass = L"KernovaPreview";
// Control identifiers start above the dialog manager's own (IDOK 1, IDCANCEL 2...).
constexpr int kFirstId = 100;

// Per-monitor DPI where the system has it (Windows 10), else the screen's.
int DpiOf(HWND hwnd) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow != nullptr && hwnd != nullptr) {
        if (const UINT dpi = getDpiForWindow(hwnd)) {
            return static_cast<int>(dpi);
        }
    }
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
    ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

bool IsWindowed(ControlKind kind) {
    return kind != ControlKind::Line && kind != ControlKind::FilledRect;
}

const Control* CommonState(const ControlState& state) {
    return std::visit(
        [](const auto* control) -> const Control* {
            if constexpr (std::is_same_v<std::decay_t<decltype(*control)>, Line>) {
                return nullptr;
            } else {
                return control;
            }
        },
        state);
}

std::wstring WithoutMnemonic(const std::wstring& caption) {
    std::wstring shown;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == L'&' && i + 1 < caption.size()) {
            ++i;
        }
        shown += caption[i];
    }
    return shown;
}

} // namespace

FormWindow::FormWindow(std::vector<FormControl> controls, WindowState window,
                       WindowBehaviour behaviour, const GdiPreviewCanvas* preview,
                       std::optional<int> dpi)
    : state_(std::move(window)), behaviour_(std::move(behaviour)), preview_(preview),
      fixedDpi_(dpi.has_value()) {
    items_.reserve(controls.size());
    for (FormControl& control : controls) {
        items_.push_back({.control = control});
    }
    Build();
    ApplyDpi(dpi ? *dpi : DpiOf(window_));
    OrderForKeyboard();
    Sync();
}

FormWindow::~FormWindow() {
    if (window_ != nullptr) {
        ::DestroyWindow(window_);
    }
    for (auto& [key, font] : fonts_) {
        ::DeleteObject(font);
    }
    for (auto& [color, brush] : brushes_) {
        ::DeleteObject(brush);
    }
}

void FormWindow::Build() {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    static const bool registered = [instance] {
        // The common controls of version 6: the system's visual style (with the manifest).
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
        ::InitCommonControlsEx(&controls);
        const auto add = [instance](const wchar_t* name, WNDPROC procedure) {
            WNDCLASSEXW type{};
            type.cbSize = sizeof type;
            type.lpfnWndProc = procedure;
            type.hInstance = instance;
            type.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
            type.lpszClassName = name;
            return ::RegisterClassExW(&type) != 0;
        };
        return add(kFormClass, &ContainerProc) && add(kPanelClass, &ContainerProc) &&
               add(kLabelClass, &LabelProc) && add(kPreviewClass, &PreviewProc);
    }();
    if (!registered) {
        throw std::runtime_error("cannot register the wizard's window classes");
    }
    // A fixed dialog frame with a close box and no minimize or maximize box.
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS;
    const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT |
                          (behaviour_.toolWindow ? WS_EX_TOOLWINDOW : WS_EX_APPWINDOW);
    window_ = ::CreateWindowExW(exStyle, kFormClass, L"", style, CW_USEDEFAULT, CW_USEDEFAULT, 100,
                                100, nullptr, nullptr, instance, this);
    if (window_ == nullptr) {
        throw std::runtime_error("cannot create the window (is there a desktop?)");
    }
    std::map<std::string_view, int> byName;
    bool afterOption = false;
    for (std::size_t index = 0; index < items_.size(); ++index) {
        Item& item = items_[index];
        const ControlDesign& design = *item.control.design;
        item.id = kFirstId + static_cast<int>(index);
        item.container = design.container != nullptr ? byName.at(design.container) : -1;
        byName[design.name] = static_cast<int>(index);
        if (!IsWindowed(design.kind)) {
            continue;
        }
        const wchar_t* type = nullptr;
        DWORD childStyle = WS_CHILD;
        DWORD childExStyle = 0;
        switch (design.kind) {
        case ControlKind::Label:
            type = kLabelClass;
            break;
        case ControlKind::Button:
            type = L"BUTTON";
            childStyle |= WS_TABSTOP | BS_PUSHBUTTON;
            if (behaviour_.defaultButton != nullptr &&
                std::string_view(design.name) == behaviour_.defaultButton) {
                childStyle |= BS_DEFPUSHBUTTON;
                defaultId_ = item.id;
            }
            break;
        case ControlKind::Panel:
            type = kPanelClass;
            childExStyle |= WS_EX_CONTROLPARENT | (design.sunkenBorder ? WS_EX_CLIENTEDGE : 0);
            break;
        case ControlKind::PreviewArea:
            type = kPreviewClass;
            break;
        case ControlKind::TextBox:
            type = L"EDIT";
            childStyle |= WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL;
            childExStyle |= WS_EX_CLIENTEDGE;
            break;
        case ControlKind::OptionButton:
            type = L"BUTTON";
            childStyle |= WS_TABSTOP | BS_AUTORADIOBUTTON;
            break;
        default:
            break;
        }
        // Option buttons side by side form one group: the arrow keys move within it.
        const bool option = design.kind == ControlKind::OptionButton;
        if (!(option && afterOption)) {
            childStyle |= WS_GROUP;
        }
        afterOption = option;
        HWND parent = item.container >= 0 ? items_[item.container].hwnd : window_;
        item.hwnd = ::CreateWindowExW(childExStyle, type, L"", childStyle, 0, 0, 0, 0, parent,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(item.id)),
                                      instance, this);
        if (item.hwnd == nullptr) {
            throw std::runtime_error(std::string("cannot create the control ") + design.name);
        }
        if (design.kind == ControlKind::TextBox) {
            ::SetWindowSubclass(item.hwnd, &TextBoxProc, 0, 0);
        }
    }
}

// Tab goes through the controls in the table's keyboard order: the system follows each
// window's children in their stacking order, so each window's children are stacked by the
// first place in that order of what they are or hold.
void FormWindow::OrderForKeyboard() {
    std::vector<int> key(items_.size(), INT_MAX);
    for (std::size_t i = items_.size(); i-- > 0;) {
        const int own = items_[i].control.design->tabIndex;
        if (own >= 0) {
            key[i] = std::min(key[i], own);
        }
        if (items_[i].container >= 0) {
            key[items_[i].container] = std::min(key[items_[i].container], key[i]);
        }
    }
    for (int container = -1; container < static_cast<int>(items_.size()); ++container) {
        std::vector<int> children;
        for (std::size_t i = 0; i < items_.size(); ++i) {
            if (items_[i].container == container && items_[i].hwnd != nullptr) {
                children.push_back(static_cast<int>(i));
            }
        }
        std::stable_sort(children.begin(), children.end(),
                         [&key](int a, int b) { return key[a] < key[b]; });
        HWND previous = HWND_TOP;
        for (int child : children) {
            ::SetWindowPos(items_[child].hwnd, previous, 0, 0, 0, 0,
                           SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            previous = items_[child].hwnd;
        }
    }
}

void FormWindow::ApplyDpi(int dpi) {
    dpi_ = dpi > 0 ? dpi : 96;
    // The old fonts stay until every control has its new one.
    std::map<std::tuple<std::string, double, bool>, HFONT> old;
    old.swap(fonts_);
    for (Item& item : items_) {
        item.shownFont = false;
    }
    if (window_ != nullptr && !old.empty()) {
        Sync();
    }
    for (auto& [key, font] : old) {
        ::DeleteObject(font);
    }
}

int FormWindow::ToPixels(int twips) const {
    return ::MulDiv(twips, dpi_, 1440);
}

RECT FormWindow::ToPixels(const Rect& rect) const {
    const int left = ToPixels(rect.left);
    const int top = ToPixels(rect.top);
    return {left, top, left + ToPixels(rect.width), top + ToPixels(rect.height)};
}

HFONT FormWindow::Font(const FontSpec& font) const {
    const auto key = std::make_tuple(font.face, font.points, font.bold);
    auto found = fonts_.find(key);
    if (found == fonts_.end()) {
        found = fonts_.emplace(key, CreateFormFont(font, dpi_)).first;
    }
    return found->second;
}

COLORREF FormWindow::Color(std::uint32_t color) const {
    if ((color & 0xFF000000u) == 0x80000000u) {
        return ::GetSysColor(static_cast<int>(color & 0xFFu));
    }
    return static_cast<COLORREF>(color & 0x00FFFFFFu); // 0x00BBGGRR, as GDI has it
}

HBRUSH FormWindow::Brush(std::uint32_t color) const {
    auto found = brushes_.find(color);
    if (found == brushes_.end()) {
        found = brushes_.emplace(color, ::CreateSolidBrush(Color(color))).first;
    }
    return found->second;
}

RECT FormWindow::ClientOf(int container) const {
    RECT client{};
    ::GetClientRect(container >= 0 ? items_[container].hwnd : window_, &client);
    return client;
}

HWND FormWindow::ControlWindow(std::string_view name) const {
    for (const Item& item : items_) {
        if (name == item.control.design->name) {
            return item.hwnd;
        }
    }
    return nullptr;
}

void FormWindow::Sync() {
    if (state_.caption != nullptr) {
        const std::wstring caption = WidenText(*state_.caption);
        if (caption != shownCaption_) {
            ::SetWindowTextW(window_, caption.c_str());
            shownCaption_ = caption;
        }
    }
    // The frame around the client area is whatever the system draws: measured, not assumed.
    RECT outer{};
    RECT inner{};
    ::GetWindowRect(window_, &outer);
    ::GetClientRect(window_, &inner);
    const int width = ToPixels(state_.clientWidth);
    const int height = ToPixels(state_.clientHeight);
    if (inner.right != width || inner.bottom != height) {
        ::SetWindowPos(window_, nullptr, 0, 0, outer.right - outer.left - inner.right + width,
                       outer.bottom - outer.top - inner.bottom + height,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // In table order: a container is placed before what it holds.
    for (Item& item : items_) {
        std::visit([&](const auto* state) { SyncItem(item, *state); }, item.control.state);
    }
    ::RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
    ShowOrHide();
    KeepKeyboard();
}

// The focus stays on a control that takes keys: one that went disabled or hidden with it
// (Alt+N onto a page whose Next is disabled) hands it on to the next in the keyboard order,
// as a dialog does; without it the window would take no key at all.
void FormWindow::KeepKeyboard() {
    if (::GetActiveWindow() != window_) {
        return;
    }
    HWND focus = ::GetFocus();
    if (focus != nullptr && focus != window_ && ::IsChild(window_, focus) &&
        ::IsWindowEnabled(focus) && ::IsWindowVisible(focus)) {
        lastFocus_ = focus;
        return;
    }
    HWND from = lastFocus_ != nullptr && ::IsChild(window_, lastFocus_) ? lastFocus_ : nullptr;
    if (HWND next = ::GetNextDlgTabItem(window_, from, FALSE)) {
        ::SetFocus(next);
        lastFocus_ = next;
    }
}

void FormWindow::ShowOrHide() {
    const bool wanted = state_.shown && state_.shown();
    const bool shown = ::IsWindowVisible(window_) != FALSE;
    if (wanted && !shown) {
        if (!placed_) {
            // Centred in the work area of the screen it opens on.
            MONITORINFO monitor{};
            monitor.cbSize = sizeof monitor;
            ::GetMonitorInfoW(::MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &monitor);
            RECT rect{};
            ::GetWindowRect(window_, &rect);
            const RECT& work = monitor.rcWork;
            const int x = work.left + (work.right - work.left - (rect.right - rect.left)) / 2;
            const int y = work.top + (work.bottom - work.top - (rect.bottom - rect.top)) / 2;
            ::SetWindowPos(window_, nullptr, x, y, 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            placed_ = true;
        }
        ::ShowWindow(window_, SW_SHOWNORMAL);
        ::SetForegroundWindow(window_);
        // The focus starts on the first control of the keyboard order.
        for (const Item& item : items_) {
            if (item.control.design->tabIndex == 0 && item.hwnd != nullptr) {
                ::SetFocus(item.hwnd);
                lastFocus_ = item.hwnd;
            }
        }
    } else if (!wanted && shown) {
        ::ShowWindow(window_, SW_HIDE);
    }
}

void FormWindow::RepaintNow() {
    if (::IsWindowVisible(window_)) {
        ::RedrawWindow(window_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    }
}

void FormWindow::Place(Item& item, const RECT& rect, bool visible, bool enabled) {
    item.placed = rect;
    if (item.hwnd == nullptr) {
        return;
    }
    RECT now{};
    ::GetWindowRect(item.hwnd, &now);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(item.hwnd), reinterpret_cast<POINT*>(&now), 2);
    if (!::EqualRect(&now, &rect)) {
        ::SetWindowPos(item.hwnd, nullptr, rect.left, rect.top, rect.right - rect.left,
                       rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    const bool shown = (::GetWindowLongPtrW(item.hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
    if (shown != visible) {
        ::ShowWindow(item.hwnd, visible ? SW_SHOWNA : SW_HIDE);
    }
    if ((::IsWindowEnabled(item.hwnd) != FALSE) != enabled) {
        ::EnableWindow(item.hwnd, enabled);
    }
}

void FormWindow::SetText(Item& item, const std::string& text, const FontSpec* font) {
    if (item.hwnd == nullptr) {
        return;
    }
    if (font != nullptr && !item.shownFont) {
        ::SendMessageW(item.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(Font(*font)), FALSE);
        item.shownFont = true;
    }
    const std::wstring wide = WidenText(text);
    if (wide != item.shownText) {
        ::SetWindowTextW(item.hwnd, wide.c_str());
        item.shownText = wide;
    }
}

SIZE FormWindow::LabelTextSize(const Label& label, int width) const {
    HDC dc = ::GetDC(window_);
    HGDIOBJ previous = ::SelectObject(dc, Font(label.font));
    const std::wstring text = WidenText(label.caption);
    RECT rect{0, 0, std::max(width, 1), 0};
    const bool wraps = !label.autoSize || label.wordWrap;
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect,
                DT_CALCRECT | DT_NOPREFIX | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
    ::SelectObject(dc, previous);
    ::ReleaseDC(window_, dc);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

void FormWindow::SyncItem(Item& item, const Label& label) {
    SetText(item, label.caption, nullptr);
    RECT rect = ToPixels(label.rect);
    if (label.autoSize) {
        const SIZE size = LabelTextSize(label, rect.right - rect.left);
        if (!label.wordWrap) {
            rect.right = rect.left + size.cx;
        }
        rect.bottom = rect.top + size.cy;
    }
    Place(item, rect, label.visible, label.enabled);
}

void FormWindow::SyncItem(Item& item, const Button& button) {
    SetText(item, button.caption, &button.font); // "&" marks the mnemonic
    Place(item, ToPixels(button.rect), button.visible, button.enabled);
}

void FormWindow::SyncItem(Item& item, const Panel& panel) {
    RECT rect = ToPixels(panel.rect);
    if (item.control.design->kind == ControlKind::PreviewArea && preview_ != nullptr) {
        // The area is as tall as the preview made it.
        rect.right = rect.left + ::MulDiv(preview_->width(), dpi_, 96);
        rect.bottom = rect.top + ::MulDiv(preview_->height(), dpi_, 96);
    }
    Place(item, rect, panel.visible, panel.enabled);
}

void FormWindow::SyncItem(Item& item, const TextBox& box) {
    SetText(item, box.text, &box.font);
    Place(item, ToPixels(box.rect), box.visible, box.enabled);
}

void FormWindow::SyncItem(Item& item, const OptionButton& option) {
    SetText(item, option.caption, &option.font);
    ::SendMessageW(item.hwnd, BM_SETCHECK, option.value ? BST_CHECKED : BST_UNCHECKED, 0);
    // Room for the indicator and the whole caption, as far as the container allows.
    RECT rect = ToPixels(option.rect);
    Label asLabel;
    asLabel.caption = option.caption;
    asLabel.font = option.font;
    asLabel.autoSize = true;
    const SIZE text = LabelTextSize(asLabel, 0);
    const int indicator = ::MulDiv(::GetSystemMetrics(SM_CXMENUCHECK) + 6, dpi_, 96);
    const RECT client = ClientOf(item.container);
    const int wanted = std::min<int>(indicator + text.cx, client.right - rect.left);
    rect.right = std::max<int>(rect.right, rect.left + wanted);
    rect.bottom = std::max<int>(rect.bottom, rect.top + text.cy + ::MulDiv(2, dpi_, 96));
    Place(item, rect, option.visible, option.enabled);
}

void FormWindow::SyncItem(Item& item, const Line& line) {
    const int thickness = std::max(1, ::MulDiv(1, dpi_, 96));
    const int x1 = ToPixels(std::min(line.x1, line.x2));
    const int y1 = ToPixels(std::min(line.y1, line.y2));
    const int x2 = ToPixels(std::max(line.x1, line.x2));
    const int y2 = ToPixels(std::max(line.y1, line.y2));
    item.placed = {x1, y1, std::max(x2, x1 + thickness), std::max(y2, y1 + thickness)};
}

void FormWindow::SyncItem(Item& item, const FilledRect& fill) {
    // The fill never spills over its container however wide the run makes it.
    RECT rect = ToPixels(fill.rect);
    const RECT client = ClientOf(item.container);
    ::IntersectRect(&item.placed, &rect, &client);
}

void FormWindow::Paint(HDC dc, int container, const RECT& area) {
    std::uint32_t background = kSysButtonFace;
    const Panel* panel = nullptr;
    if (container >= 0) {
        panel = std::get<const Panel*>(items_[container].control.state);
        background = panel->backColor;
    }
    ::FillRect(dc, &area, Brush(background));
    if (panel != nullptr && !panel->picture.empty()) {
        // Drawn unscaled from the top-left corner (at 96 dpi: scaled with the layout).
        if (const DecodedPicture* picture = PixelsOf(panel->picture)) {
            BITMAPINFO info{};
            info.bmiHeader.biSize = sizeof info.bmiHeader;
            info.bmiHeader.biWidth = picture->width;
            info.bmiHeader.biHeight = -picture->height;
            info.bmiHeader.biPlanes = 1;
            info.bmiHeader.biBitCount = 32;
            void* bits = nullptr;
            HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
            if (bitmap != nullptr) {
                std::copy(picture->pixels.begin(), picture->pixels.end(),
                          static_cast<std::uint32_t*>(bits));
                HDC source = ::CreateCompatibleDC(dc);
                HGDIOBJ previous = ::SelectObject(source, bitmap);
                BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
                ::GdiAlphaBlend(dc, 0, 0, ::MulDiv(picture->width, dpi_, 96),
                                ::MulDiv(picture->height, dpi_, 96), source, 0, 0, picture->width,
                                picture->height, blend);
                ::SelectObject(source, previous);
                ::DeleteDC(source);
                ::DeleteObject(bitmap);
            }
        }
    }
    for (const Item& item : items_) {
        if (item.container != container) {
            continue;
        }
        if (const auto* label = std::get_if<const Label*>(&item.control.state)) {
            if ((*label)->visible) {
                PaintLabel(dc, item, **label);
            }
        } else if (const auto* line = std::get_if<const Line*>(&item.control.state)) {
            if ((*line)->visible) {
                ::FillRect(dc, &item.placed, Brush((*line)->color));
            }
        } else if (const auto* fill = std::get_if<const FilledRect*>(&item.control.state)) {
            if ((*fill)->visible) {
                ::FillRect(dc, &item.placed, Brush((*fill)->color));
            }
        }
    }
}

void FormWindow::PaintLabel(HDC dc, const Item& item, const Label& label) {
    RECT rect = item.placed;
    if (!label.transparent) {
        const std::uint32_t fill =
            item.container >= 0
                ? std::get<const Panel*>(items_[item.container].control.state)->backColor
                : kSysButtonFace;
        ::FillRect(dc, &rect, Brush(fill));
    }
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, label.enabled ? Color(label.foreColor) : ::GetSysColor(COLOR_GRAYTEXT));
    HGDIOBJ previous = ::SelectObject(dc, Font(label.font));
    const std::wstring text = WidenText(label.caption);
    UINT format = DT_NOPREFIX | (label.align == TextAlign::Center ? DT_CENTER : DT_LEFT);
    format |= label.autoSize && !label.wordWrap ? DT_SINGLELINE : DT_WORDBREAK;
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
    ::SelectObject(dc, previous);
}

void FormWindow::PaintPreview(HWND hwnd, HDC dc) {
    RECT client{};
    ::GetClientRect(hwnd, &client);
    if (preview_ == nullptr) {
        ::FillRect(dc, &client, Brush(kWhite));
        return;
    }
    const double scale = preview_->scale();
    ::SetStretchBltMode(dc, HALFTONE);
    ::StretchBlt(dc, 0, 0, client.right, client.bottom, preview_->dc(), 0, 0,
                 static_cast<int>(preview_->width() * scale),
                 static_cast<int>(preview_->height() * scale), SRCCOPY);
}

void FormWindow::OnCommand(int id) {
    if (id == IDCANCEL) {
        if (behaviour_.escape) {
            behaviour_.escape();
        }
        return;
    }
    const int index = id - kFirstId;
    if (index < 0 || index >= static_cast<int>(items_.size())) {
        return;
    }
    const ControlDesign& design = *items_[index].control.design;
    const Control* state = CommonState(items_[index].control.state);
    // Only a control the user can see and use clicks (Enter presses the default button
    // whatever its state).
    if (design.click != nullptr && state != nullptr && state->visible && state->enabled) {
        behaviour_.click(design.click);
    }
}

LRESULT FormWindow::OnContainerMessage(int container, HWND hwnd, UINT message, WPARAM wParam,
                                       LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = ::BeginPaint(hwnd, &paint);
        RECT client{};
        ::GetClientRect(hwnd, &client);
        // Drawn off screen, then copied around the child windows that draw themselves.
        HDC buffer = ::CreateCompatibleDC(dc);
        HBITMAP bitmap = ::CreateCompatibleBitmap(dc, client.right, client.bottom);
        HGDIOBJ previous = ::SelectObject(buffer, bitmap);
        Paint(buffer, container, client);
        for (const Item& item : items_) {
            if (item.container == container && item.hwnd != nullptr &&
                item.control.design->kind != ControlKind::Label &&
                (::GetWindowLongPtrW(item.hwnd, GWL_STYLE) & WS_VISIBLE)) {
                ::ExcludeClipRect(dc, item.placed.left, item.placed.top, item.placed.right,
                                  item.placed.bottom);
            }
        }
        ::BitBlt(dc, 0, 0, client.right, client.bottom, buffer, 0, 0, SRCCOPY);
        ::SelectObject(buffer, previous);
        ::DeleteObject(bitmap);
        ::DeleteDC(buffer);
        ::EndPaint(hwnd, &paint);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1; // painted whole in WM_PAINT
    case WM_PRINTCLIENT: {
        // A themed control asks for what lies under it.
        RECT client{};
        ::GetClientRect(hwnd, &client);
        Paint(reinterpret_cast<HDC>(wParam), container, client);
        return 0;
    }
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        wchar_t type[16] = {};
        ::GetClassNameW(reinterpret_cast<HWND>(lParam), type, 16);
        if (std::wstring_view(type) == L"Edit") {
            // A read-only text box still looks like one.
            ::SetBkColor(dc, ::GetSysColor(COLOR_WINDOW));
            ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
            return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_WINDOW));
        }
        [[fallthrough]];
    }
    case WM_CTLCOLORBTN: {
        const std::uint32_t background =
            container >= 0 ? std::get<const Panel*>(items_[container].control.state)->backColor
                           : kSysButtonFace;
        ::SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        ::SetBkColor(reinterpret_cast<HDC>(wParam), Color(background));
        return reinterpret_cast<LRESULT>(Brush(background));
    }
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) {
            OnCommand(LOWORD(wParam));
        }
        return 0;
    default:
        break;
    }
    if (container < 0) {
        switch (message) {
        case WM_CLOSE:
            if (behaviour_.close) {
                behaviour_.close();
            }
            return 0;
        case WM_ACTIVATE:
            // Back to the control that had the focus, as a dialog returns to it.
            if (LOWORD(wParam) != WA_INACTIVE) {
                ::DefWindowProcW(hwnd, message, wParam, lParam);
                if (lastFocus_ != nullptr && ::IsWindow(lastFocus_)) {
                    ::SetFocus(lastFocus_);
                }
                KeepKeyboard();
                return 0;
            }
            break;
        case WM_ENDSESSION:
            if (wParam != FALSE && behaviour_.endSession) {
                behaviour_.endSession();
            }
            return 0;
        case DM_GETDEFID:
            return defaultId_ != 0 ? MAKELRESULT(defaultId_, DC_HASDEFID) : 0;
        case WM_DPICHANGED:
            if (!fixedDpi_) {
                ApplyDpi(HIWORD(wParam));
                const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
                ::SetWindowPos(hwnd, nullptr, suggested->left, suggested->top,
                               suggested->right - suggested->left,
                               suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
                Sync();
            }
            return 0;
        default:
            break;
        }
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

namespace {

FormWindow* OwnerOf(HWND hwnd, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    return reinterpret_cast<FormWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

} // namespace

LRESULT CALLBACK FormWindow::ContainerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    FormWindow* self = OwnerOf(hwnd, message, lParam);
    if (self == nullptr) {
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
    // The window itself is made first (and has no control number); then its panels.
    const int container =
        self->window_ == nullptr || hwnd == self->window_ ? -1 : ::GetDlgCtrlID(hwnd) - kFirstId;
    return self->OnContainerMessage(container, hwnd, message, wParam, lParam);
}

LRESULT CALLBACK FormWindow::LabelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    FormWindow* self = OwnerOf(hwnd, message, lParam);
    const int index = ::GetDlgCtrlID(hwnd) - kFirstId;
    const bool clickable = self != nullptr && index >= 0 &&
                           index < static_cast<int>(self->items_.size()) &&
                           self->items_[index].control.design->click != nullptr;
    switch (message) {
    case WM_PAINT:
        ::ValidateRect(hwnd, nullptr); // its container draws it
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_NCHITTEST:
        return clickable ? HTCLIENT : HTTRANSPARENT;
    case WM_SETCURSOR:
        if (clickable) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_HAND)); // a label that does something
            return TRUE;
        }
        break;
    case WM_LBUTTONUP:
        if (clickable) {
            self->OnCommand(::GetDlgCtrlID(hwnd));
        }
        return 0;
    default:
        break;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK FormWindow::PreviewProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    FormWindow* self = OwnerOf(hwnd, message, lParam);
    if (message == WM_PAINT && self != nullptr) {
        PAINTSTRUCT paint;
        HDC dc = ::BeginPaint(hwnd, &paint);
        self->PaintPreview(hwnd, dc);
        ::EndPaint(hwnd, &paint);
        return 0;
    }
    if (message == WM_ERASEBKGND) {
        return 1;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK FormWindow::TextBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR /*subclass*/, DWORD_PTR /*data*/) {
    if (message == WM_GETDLGCODE) {
        // Tab leaves the box and Enter presses the default button, as in any dialog; the
        // text is not selected whole when the box gets the focus.
        const LRESULT code = ::DefSubclassProc(hwnd, message, wParam, lParam);
        return code & ~(DLGC_WANTALLKEYS | DLGC_WANTTAB | DLGC_HASSETSEL);
    }
    if (message == WM_NCDESTROY) {
        ::RemoveWindowSubclass(hwnd, &TextBoxProc, 0);
    }
    return ::DefSubclassProc(hwnd, message, wParam, lParam);
}

std::vector<FormWindow::TextRoom> FormWindow::TextRooms() const {
    std::vector<TextRoom> rooms;
    for (const Item& item : items_) {
        const Control* state = CommonState(item.control.state);
        if (item.hwnd == nullptr || state == nullptr || !state->visible) {
            continue;
        }
        const RECT& placed = item.placed;
        const RECT client = ClientOf(item.container);
        const SIZE given{std::min(placed.right, client.right) - placed.left,
                         std::min(placed.bottom, client.bottom) - placed.top};
        SIZE needed{0, 0};
        if (const auto* label = std::get_if<const Label*>(&item.control.state)) {
            needed = LabelTextSize(**label, placed.right - placed.left);
        } else if (const auto* button = std::get_if<const Button*>(&item.control.state)) {
            Label text;
            text.caption = Narrow(WithoutMnemonic(WidenText((*button)->caption)));
            text.font = (*button)->font;
            text.autoSize = true;
            needed = LabelTextSize(text, 0);
            needed.cx += ::MulDiv(8, dpi_, 96); // the button's frame and padding
        } else if (const auto* option = std::get_if<const OptionButton*>(&item.control.state)) {
            Label text;
            text.caption = (*option)->caption;
            text.font = (*option)->font;
            text.autoSize = true;
            needed = LabelTextSize(text, 0);
            needed.cx += ::MulDiv(::GetSystemMetrics(SM_CXMENUCHECK) + 6, dpi_, 96);
        } else {
            continue;
        }
        rooms.push_back({item.control.design->name, needed, given});
    }
    return rooms;
}

} // namespace kernova::win32
