#include "framework/Controls.h"
#include "framework/Forms.h"
#include "framework/Menus.h"
#include <algorithm>
#include <windowsx.h>

const char* const KWindowClassName = "KestrinWindow";

LRESULT CALLBACK KestrinWndProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l);

namespace {

const char* const KAlignNames[] = {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"};
const TEnumInfo KAlignInfo = {KAlignNames, 6};
const TIntIdent KCursors[] = {
    {crDefault, "crDefault"}, {crNone, "crNone"}, {crArrow, "crArrow"}, {crCross, "crCross"}, {crIBeam, "crIBeam"},
    {crSizeNESW, "crSizeNESW"}, {crSizeNS, "crSizeNS"}, {crSizeNWSE, "crSizeNWSE"}, {crSizeWE, "crSizeWE"},
    {crUpArrow, "crUpArrow"}, {crHourGlass, "crHourGlass"}, {crNo, "crNo"}, {crAppStart, "crAppStart"},
    {crHelp, "crHelp"}, {crHandPoint, "crHandPoint"}, {crSizeAll, "crSizeAll"},
};
const TIntIdentMap KCursorMap = {KCursors, 16};
const char* const KControlProp = "KestrinControl";

int GNextControlId = 100;
TWinControl* GCreating = nullptr;

LPCSTR CursorResource(TCursor c) {
    switch (c) {
    case crArrow: return IDC_ARROW;
    case crCross: return IDC_CROSS;
    case crIBeam: return IDC_IBEAM;
    case crSizeNESW: return IDC_SIZENESW;
    case crSizeNS: return IDC_SIZENS;
    case crSizeNWSE: return IDC_SIZENWSE;
    case crSizeWE: return IDC_SIZEWE;
    case crUpArrow: return IDC_UPARROW;
    case crHourGlass: return IDC_WAIT;
    case crNo: return IDC_NO;
    case crAppStart: return IDC_APPSTARTING;
    case crHelp: return IDC_HELP;
    case crHandPoint: return IDC_HAND;
    case crSizeAll: return IDC_SIZEALL;
    default: return nullptr;
    }
}

void RegisterWindowClass() {
    static bool done = false;
    if (done) return;
    WNDCLASSA wc = {};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = KestrinWndProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = KWindowClassName;
    wc.hIcon = LoadIcon(wc.hInstance, "MAINICON");
    RegisterClassA(&wc);
    done = true;
}

TShiftState KeysToShift(WPARAM keys) {
    TShiftState s = 0;
    if (keys & MK_SHIFT) s |= ssShift;
    if (keys & MK_CONTROL) s |= ssCtrl;
    if (keys & MK_LBUTTON) s |= ssLeft;
    if (keys & MK_RBUTTON) s |= ssRight;
    if (keys & MK_MBUTTON) s |= ssMiddle;
    if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
    return s;
}

}  // namespace

// ---- window procedure ------------------------------------------------------------------------

LRESULT CALLBACK KestrinWndProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
    auto* c = static_cast<TWinControl*>(GetPropA(hwnd, KControlProp));
    if (!c && GCreating) {
        c = GCreating;
        GCreating = nullptr;
        c->FHandle = hwnd;
        SetPropA(hwnd, KControlProp, c);
    }
    if (!c) return DefWindowProcA(hwnd, msg, w, l);
    TMessage m = {msg, w, l, 0};
    c->WndProc(m);
    if (msg == WM_NCDESTROY) {
        RemovePropA(hwnd, KControlProp);
        if (c->FHandle == hwnd) c->FHandle = nullptr;
    }
    return m.Result;
}

TWinControl* TWinControl::FromHandle(HWND h) {
    return h ? static_cast<TWinControl*>(GetPropA(h, KControlProp)) : nullptr;
}

// ---- TControl --------------------------------------------------------------------------------

TControl::TControl(TComponent* owner) : TComponent(owner) {
    FFont.OnChange = [this](TObject*) { FontChanged(); };
}

TControl::~TControl() {
    DestroyComponents();
    if (FPopupMenu) FPopupMenu->RemoveFreeNotification(this);
    SetParent(nullptr);
}

void TControl::SetParent(TWinControl* parent) {
    if (parent == FParent) return;
    if (parent == this) throw Exception("A control cannot be its own parent");
    if (FParent) FParent->RemoveControl(this);
    if (parent) parent->InsertControl(this);
}

TComponent* TControl::GetParentComponent() const { return FParent; }

void TControl::SetParentComponent(TComponent* parent) {
    if (auto* p = dynamic_cast<TWinControl*>(parent)) SetParent(p);
}

TCustomForm* TControl::ParentForm() const {
    const TControl* c = this;
    while (c->FParent) c = c->FParent;
    return dynamic_cast<TCustomForm*>(const_cast<TControl*>(c));
}

void TControl::SetBounds(int left, int top, int width, int height) {
    if (width < 0) width = 0;
    if (height < 0) height = 0;
    if (left == FLeft && top == FTop && width == FWidth && height == FHeight) return;
    if (FParent) FParent->Invalidate();
    FLeft = left; FTop = top; FWidth = width; FHeight = height;
    if (FParent && FAlign != alNone) FParent->Realign();
    Invalidate();
}

TPoint TControl::ClientToScreen(TPoint p) const {
    const TControl* c = this;
    while (c) {
        if (auto* w = dynamic_cast<const TWinControl*>(c); w && w->HandleAllocated()) {
            POINT pt = {p.X, p.Y};
            ::ClientToScreen(const_cast<TWinControl*>(w)->Handle(), &pt);
            return {pt.x, pt.y};
        }
        p.X += c->FLeft;
        p.Y += c->FTop;
        c = c->FParent;
    }
    return p;
}

TPoint TControl::ScreenToClient(TPoint p) const {
    TPoint o = ClientToScreen({0, 0});
    return {p.X - o.X, p.Y - o.Y};
}

void TControl::SetAlign(TAlign a) {
    if (a == FAlign) return;
    FAlign = a;
    if (FParent) FParent->Realign();
}

void TControl::SetVisible(bool v) {
    if (v == FVisible) return;
    if (!v) Invalidate();
    FVisible = v;
    if (v) Invalidate();
    Perform(CM_VISIBLECHANGED, v);
    if (FParent && FAlign != alNone) FParent->Realign();
}

void TControl::SetEnabled(bool v) {
    if (v == FEnabled) return;
    FEnabled = v;
    Perform(CM_ENABLEDCHANGED);
}

void TControl::SetColor(TColor c) {
    if (c == FColor) return;
    FColor = c;
    FParentColor = false;
    Perform(CM_COLORCHANGED);
}

void TControl::CopyParentColor() {
    if (!FParent || FParent->Color() == FColor) return;
    FColor = FParent->Color();
    Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool v) {
    if (v == FParentColor) return;
    FParentColor = v;
    if (v) CopyParentColor();
}

void TControl::CopyParentFont() {
    if (!FParent) return;
    FSettingFont = true;
    try {
        FFont.Assign(FParent->Font());
    } catch (...) {
        FSettingFont = false;
        throw;
    }
    FSettingFont = false;
}

void TControl::SetParentFont(bool v) {
    if (v == FParentFont) return;
    FParentFont = v;
    if (v) CopyParentFont();
}

void TControl::FontChanged() {
    if (!FSettingFont) FParentFont = false;
    Perform(CM_FONTCHANGED);
}

void TControl::SetText(const std::string& s) {
    if (s == FText) return;
    FText = s;
    Perform(CM_TEXTCHANGED);
}

void TControl::SetPopupMenu(TPopupMenu* m) {
    if (m == FPopupMenu) return;
    if (FPopupMenu) FPopupMenu->RemoveFreeNotification(this);
    FPopupMenu = m;
    if (m) m->FreeNotification(this);
}

void TControl::Notification(TComponent* c, TOperation op) {
    TComponent::Notification(c, op);
    if (op == opRemove && c == FPopupMenu) FPopupMenu = nullptr;
}

void TControl::Invalidate() {
    if (!FVisible || !FParent || !FParent->HandleAllocated()) return;
    RECT r = {FLeft, FTop, FLeft + FWidth, FTop + FHeight};
    InvalidateRect(FParent->Handle(), &r, TRUE);
}

void TControl::Update() { if (FParent) FParent->Update(); }

void TControl::BringToFront() {
    if (!FParent) return;
    auto& v = FParent->FControls;
    auto it = std::find(v.begin(), v.end(), this);
    if (it != v.end()) { v.erase(it); v.push_back(this); }
    if (auto* w = dynamic_cast<TWinControl*>(this); w && w->HandleAllocated())
        SetWindowPos(w->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Invalidate();
}

LRESULT TControl::Perform(UINT msg, WPARAM w, LPARAM l) {
    TMessage m = {msg, w, l, 0};
    WndProc(m);
    return m.Result;
}

void TControl::WndProc(TMessage& m) {
    switch (m.Msg) {
    case CM_ENABLEDCHANGED: case CM_FONTCHANGED: Invalidate(); break;
    case CM_COLORCHANGED: ColorChanged(); Invalidate(); break;
    case CM_PARENTCOLORCHANGED: if (FParentColor) CopyParentColor(); break;
    case CM_PARENTFONTCHANGED: if (FParentFont) CopyParentFont(); break;
    case CM_MOUSEENTER: FMouseInControl = true; break;
    case CM_MOUSELEAVE: FMouseInControl = false; break;
    case CM_TEXTCHANGED: TextChanged(); break;
    case CM_VISIBLECHANGED: break;
    default: DefaultHandler(m); break;
    }
}

void TControl::Click() { OnClick(this); }
void TControl::DblClick() { OnDblClick(this); }
void TControl::MouseDown(TMouseButton b, TShiftState s, int x, int y) { OnMouseDown(this, b, s, x, y); }
void TControl::MouseUp(TMouseButton b, TShiftState s, int x, int y) { OnMouseUp(this, b, s, x, y); }

void TControl::Properties(TPropFiler& f) {
    TComponent::Properties(f);
    f.Integer("Left", FLeft, [this](int32_t v) { SetLeft(v); }, std::nullopt);
    f.Integer("Top", FTop, [this](int32_t v) { SetTop(v); }, std::nullopt);
    f.Integer("Width", FWidth, [this](int32_t v) { SetWidth(v); }, std::nullopt);
    f.Integer("Height", FHeight, [this](int32_t v) { SetHeight(v); }, std::nullopt);
    f.Enum("Align", FAlign, KAlignInfo, [this](int v) { SetAlign(static_cast<TAlign>(v)); }, alNone);
    if (FPublishCaption) f.String("Caption", FText, [this](const std::string& v) { SetText(v); });
    if (FPublishColor) {
        if (!FParentColor) f.Color("Color", FColor, [this](TColor v) { SetColor(v); }, FColorDefault);
        else f.Color("Color", FColor, [this](TColor v) { SetColor(v); }, FColor);  // derived: not stored
    }
    f.IntegerIdent("Cursor", FCursor, KCursorMap, [this](int32_t v) { SetCursor(static_cast<TCursor>(v)); }, crDefault);
    f.Boolean("Enabled", FEnabled, [this](bool v) { SetEnabled(v); }, true);
    if (FPublishFont) {
        f.Object("Font", FFont, !FParentFont);
        f.Boolean("ParentFont", FParentFont, [this](bool v) { SetParentFont(v); }, true);
    }
    if (FPublishColor) f.Boolean("ParentColor", FParentColor, [this](bool v) { SetParentColor(v); }, FParentColorDefault);
    f.Component("PopupMenu", FPopupMenu, [this](TComponent* c) { SetPopupMenu(dynamic_cast<TPopupMenu*>(c)); });
    f.Boolean("Visible", FVisible, [this](bool v) { SetVisible(v); }, FVisibleDefault);
    f.Event("OnClick", OnClick);
    f.Event("OnDblClick", OnDblClick);
}

// ---- TWinControl -----------------------------------------------------------------------------

TWinControl::TWinControl(TComponent* owner) : TControl(owner) { FControlId = GNextControlId++; }

TWinControl::~TWinControl() {
    DestroyComponents();
    while (!FControls.empty()) delete FControls.back();
    DestroyHandle();
    delete FControlCanvas;
}

HWND TWinControl::Handle() {
    if (!FHandle) CreateHandle();
    if (!FHandle) throw EOutOfResources("Error creating window (" + std::to_string(GetLastError()) + ")");
    return FHandle;
}

void TWinControl::CreateHandle() {
    if (FHandle) return;
    if (Parent() && !Parent()->HandleAllocated()) {
        Parent()->HandleNeeded();  // creates this window too
        if (FHandle) return;
    }
    CreateWnd();
    if (!FHandle) return;
    PlaceInSiblingOrder();
    SendMessageA(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), FALSE);
    // Hidden children get their windows when they are first shown (or their handle is asked
    // for): a form's hidden pages then cost nothing when it opens.
    for (TControl* c : FControls)
        if (auto* w = dynamic_cast<TWinControl*>(c); w && w->Visible()) w->CreateHandle();
    Realign();
}

// A window made after later siblings already have theirs goes behind its predecessor, so that
// the stacking and tab order stay those of the control list.
void TWinControl::PlaceInSiblingOrder() {
    if (!Parent()) return;
    const auto& siblings = Parent()->FControls;
    auto self = std::find(siblings.begin(), siblings.end(), this);
    if (self == siblings.end()) return;
    bool laterHasWindow = std::any_of(self + 1, siblings.end(), [](TControl* c) {
        auto* w = dynamic_cast<TWinControl*>(c);
        return w && w->HandleAllocated();
    });
    if (!laterHasWindow) return;
    HWND after = HWND_TOP;
    for (auto it = siblings.begin(); it != self; ++it)
        if (auto* w = dynamic_cast<TWinControl*>(*it); w && w->HandleAllocated()) after = w->FHandle;
    SetWindowPos(FHandle, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TWinControl::CreateParams(TCreateParams& p) {
    p.Caption = FText;
    p.Style = WS_CHILD | WS_CLIPSIBLINGS;
    if (Visible()) p.Style |= WS_VISIBLE;
    if (FTabStop) p.Style |= WS_TABSTOP;
    if (!Enabled()) p.Style |= WS_DISABLED;
    if (FOwnPaint) {
        p.Style |= WS_CLIPCHILDREN;
        p.ExStyle |= WS_EX_CONTROLPARENT;
    }
    p.X = FLeft; p.Y = FTop; p.Width = FWidth; p.Height = FHeight;
    p.WndParent = Parent() ? Parent()->Handle() : nullptr;
}

void TWinControl::CreateWnd() {
    TCreateParams p;
    CreateParams(p);
    HINSTANCE inst = GetModuleHandleA(nullptr);
    HMENU id = (p.Style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(FControlId)) : nullptr;
    if (p.WinClassName.empty()) {
        RegisterWindowClass();
        GCreating = this;
        HWND h = CreateWindowExA(p.ExStyle, KWindowClassName, p.Caption.c_str(), p.Style, p.X, p.Y, p.Width, p.Height,
                                 p.WndParent, id, inst, nullptr);
        GCreating = nullptr;
        if (!h) return;
        FHandle = h;
    } else {
        HWND h = CreateWindowExA(p.ExStyle, p.WinClassName.c_str(), p.Caption.c_str(), p.Style, p.X, p.Y, p.Width,
                                 p.Height, p.WndParent, id, inst, nullptr);
        if (!h) return;
        FHandle = h;
        SetPropA(h, KControlProp, this);
        FDefWndProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(KestrinWndProc)));
    }
}

void TWinControl::DestroyHandle() {
    if (!FHandle) return;
    HWND h = FHandle;
    DestroyWindow(h);
    FHandle = nullptr;
    if (FControlCanvas) FControlCanvas->SetHandle(nullptr);
}

void TWinControl::DefaultHandler(TMessage& m) {
    if (m.Msg >= CM_BASE && m.Msg < CN_BASE + 0x400) {
        // Reflected colour requests: the control's own colours.
        if (m.Msg == CN_CTLCOLOREDIT || m.Msg == CN_CTLCOLORSTATIC || m.Msg == CN_CTLCOLORBTN) {
            HDC dc = reinterpret_cast<HDC>(m.WParam);
            SetTextColor(dc, ColorToRGB(Font().Color()));
            SetBkColor(dc, ColorToRGB(Color()));
            FBackBrush.SetColor(Color());
            m.Result = reinterpret_cast<LRESULT>(FBackBrush.Handle());
            return;
        }
        m.Result = 0;
        return;
    }
    if (!FHandle) { m.Result = 0; return; }
    m.Result = CallWindowProcA(FDefWndProc ? FDefWndProc : DefWindowProcA, FHandle, m.Msg, m.WParam, m.LParam);
}

void TWinControl::InsertControl(TControl* c) {
    FControls.push_back(c);
    c->FParent = this;
    if (c->FParentColor) c->CopyParentColor();
    if (c->FParentFont) c->CopyParentFont();
    if (FHandle)
        if (auto* w = dynamic_cast<TWinControl*>(c)) w->CreateHandle();
    if (c->Align() != alNone) Realign();
    c->Invalidate();
}

void TWinControl::RemoveControl(TControl* c) {
    auto it = std::find(FControls.begin(), FControls.end(), c);
    if (it == FControls.end()) return;
    c->Invalidate();
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->DestroyHandle();
    FControls.erase(it);
    c->FParent = nullptr;
    if (FMouseControl == c) FMouseControl = nullptr;
    if (FPressedControl == c) FPressedControl = nullptr;
    if (c->Align() != alNone && !IsDestroying()) Realign();
}

void TWinControl::SetTabStop(bool v) {
    if (v == FTabStop) return;
    FTabStop = v;
    if (FHandle) {
        LONG s = GetWindowLongA(FHandle, GWL_STYLE);
        SetWindowLongA(FHandle, GWL_STYLE, v ? (s | WS_TABSTOP) : (s & ~WS_TABSTOP));
    }
}

bool TWinControl::Focused() const { return FHandle && GetFocus() == FHandle; }

bool TWinControl::CanFocus() const {
    for (const TControl* c = this; c; c = c->Parent())
        if (!c->Visible() || !c->Enabled()) return false;
    return true;
}

void TWinControl::SetFocus() { ::SetFocus(Handle()); }

TCanvas& TWinControl::ControlCanvas() {
    if (!FControlCanvas) FControlCanvas = new TCanvas();
    FControlCanvas->Font().Assign(Font());
    if (!FControlCanvas->HandleAllocated()) {
        // A memory context is enough for measuring and never has to be given back to a window.
        static HDC measure = CreateCompatibleDC(nullptr);
        FControlCanvas->SetHandle(measure);
    }
    return *FControlCanvas;
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
    if (width < 0) width = 0;
    if (height < 0) height = 0;
    if (left == FLeft && top == FTop && width == FWidth && height == FHeight) return;
    FLeft = left; FTop = top; FWidth = width; FHeight = height;
    if (FHandle) {
        SetWindowPos(FHandle, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        Realign();
    }
    if (Parent() && Align() != alNone) Parent()->Realign();
}

void TWinControl::SetVisible(bool v) {
    if (v == Visible()) return;
    TControl::SetVisible(v);
    if (FHandle) ShowWindow(FHandle, v ? SW_SHOWNA : SW_HIDE);
    else if (v && Parent() && Parent()->HandleAllocated()) CreateHandle();  // created visible
}

void TWinControl::SetEnabled(bool v) {
    if (v == Enabled()) return;
    TControl::SetEnabled(v);
    if (FHandle) EnableWindow(FHandle, v);
}

void TWinControl::SetText(const std::string& s) {
    if (s == FText) return;
    FText = s;
    if (FHandle) SetWindowTextA(FHandle, s.c_str());
    Perform(CM_TEXTCHANGED);
}

void TWinControl::Invalidate() {
    if (FHandle) InvalidateRect(FHandle, nullptr, TRUE);
}

void TWinControl::Update() {
    if (FHandle) UpdateWindow(FHandle);
}

void TWinControl::FontChanged() {
    TControl::FontChanged();
    if (FHandle) SendMessageA(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), TRUE);
    for (TControl* c : FControls) c->Perform(CM_PARENTFONTCHANGED);
}

void TWinControl::Realign() {
    if (FAligning) return;
    FAligning = true;
    try {
        TRect r = ClientRect();
        AlignControls(r);
    } catch (...) {
        FAligning = false;
        throw;
    }
    FAligning = false;
}

void TWinControl::AlignControls(TRect& r) {
    static const TAlign order[] = {alTop, alBottom, alLeft, alRight, alClient};
    for (TAlign a : order) {
        std::vector<TControl*> list;
        for (TControl* c : FControls)
            if (c->Align() == a && c->Visible()) list.push_back(c);
        std::stable_sort(list.begin(), list.end(), [a](TControl* x, TControl* y) {
            switch (a) {
            case alTop: return x->Top() < y->Top();
            case alBottom: return x->Top() + x->Height() > y->Top() + y->Height();
            case alLeft: return x->Left() < y->Left();
            case alRight: return x->Left() + x->Width() > y->Left() + y->Width();
            default: return false;
            }
        });
        for (TControl* c : list) {
            int w = c->Width(), h = c->Height();
            switch (a) {
            case alTop: c->SetBounds(r.Left, r.Top, r.Width(), h); r.Top += h; break;
            case alBottom: c->SetBounds(r.Left, r.Bottom - h, r.Width(), h); r.Bottom -= h; break;
            case alLeft: c->SetBounds(r.Left, r.Top, w, r.Height()); r.Left += w; break;
            case alRight: c->SetBounds(r.Right - w, r.Top, w, r.Height()); r.Right -= w; break;
            case alClient: c->SetBounds(r.Left, r.Top, r.Width(), r.Height()); break;
            default: break;
            }
        }
    }
}

void TWinControl::PaintWindow(HDC dc) {
    TCanvas canvas;
    canvas.SetHandle(dc);
    canvas.Font().Assign(Font());
    canvas.Brush().SetColor(Color());
    Paint(canvas);
    canvas.SetHandle(nullptr);
}

void TWinControl::PaintControls(HDC dc) {
    for (TControl* c : FControls) {
        if (dynamic_cast<TWinControl*>(c) || !c->Visible() || c->Width() == 0 || c->Height() == 0) continue;
        int saved = SaveDC(dc);
        POINT old;
        SetViewportOrgEx(dc, c->Left(), c->Top(), &old);
        IntersectClipRect(dc, 0, 0, c->Width(), c->Height());
        TCanvas canvas;
        canvas.SetHandle(dc);
        canvas.Font().Assign(c->Font());
        canvas.Brush().SetColor(c->Color());
        try {
            c->Paint(canvas);
        } catch (...) {
            canvas.SetHandle(nullptr);
            RestoreDC(dc, saved);
            throw;
        }
        canvas.SetHandle(nullptr);
        RestoreDC(dc, saved);
    }
}

TControl* TWinControl::ControlAtPos(int x, int y) {
    for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
        TControl* c = *it;
        if (dynamic_cast<TWinControl*>(c) || !c->Visible()) continue;
        if (PtInRect(c->BoundsRect(), x, y)) return c;
    }
    return nullptr;
}

void TWinControl::UpdateMouseControl(int x, int y) {
    TControl* c = ControlAtPos(x, y);
    if (c == FMouseControl) return;
    TControl* old = FMouseControl;
    FMouseControl = c;
    if (old) old->Perform(CM_MOUSELEAVE);
    if (c) c->Perform(CM_MOUSEENTER);
}

void TWinControl::WndProc(TMessage& m) {
    switch (m.Msg) {
    case WM_COMMAND:
        if (m.LParam) {
            if (TWinControl* c = FromHandle(reinterpret_cast<HWND>(m.LParam)); c && c != this) {
                m.Result = c->Perform(CN_COMMAND, m.WParam, m.LParam);
                return;
            }
        }
        break;
    case WM_DRAWITEM: {
        auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam);
        if (TWinControl* c = FromHandle(d->hwndItem); c && c != this) {
            m.Result = c->Perform(CN_DRAWITEM, m.WParam, m.LParam);
            return;
        }
        break;
    }
    case WM_MEASUREITEM: {
        auto* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(m.LParam);
        for (TControl* c : FControls)
            if (auto* w = dynamic_cast<TWinControl*>(c); w && w->FControlId == static_cast<int>(mi->CtlID)) {
                m.Result = w->Perform(CN_MEASUREITEM, m.WParam, m.LParam);
                return;
            }
        break;
    }
    case WM_CTLCOLOREDIT: case WM_CTLCOLORSTATIC: case WM_CTLCOLORBTN:
        if (TWinControl* c = FromHandle(reinterpret_cast<HWND>(m.LParam)); c && c != this) {
            m.Result = c->Perform(CN_BASE + m.Msg, m.WParam, m.LParam);
            return;
        }
        break;
    case WM_ERASEBKGND:
        if (FOwnPaint) {
            RECT r;
            GetClientRect(FHandle, &r);
            FBackBrush.SetColor(Color());
            ::FillRect(reinterpret_cast<HDC>(m.WParam), &r, FBackBrush.Handle());
            m.Result = 1;
            return;
        }
        break;
    case WM_PAINT:
        if (FOwnPaint) {
            PAINTSTRUCT ps;
            HDC dc = m.WParam ? reinterpret_cast<HDC>(m.WParam) : BeginPaint(FHandle, &ps);
            try {
                PaintWindow(dc);
                PaintControls(dc);
            } catch (...) {
                if (!m.WParam) EndPaint(FHandle, &ps);
                throw;
            }
            if (!m.WParam) EndPaint(FHandle, &ps);
            m.Result = 0;
            return;
        }
        break;
    case WM_SIZE: case WM_MOVE: {
        DefaultHandler(m);
        RECT r;
        GetWindowRect(FHandle, &r);
        if (Parent() && (GetWindowLongA(FHandle, GWL_STYLE) & WS_CHILD))
            MapWindowPoints(nullptr, Parent()->Handle(), reinterpret_cast<POINT*>(&r), 2);
        bool resized = (r.right - r.left) != FWidth || (r.bottom - r.top) != FHeight || m.Msg == WM_SIZE;
        FLeft = r.left; FTop = r.top; FWidth = r.right - r.left; FHeight = r.bottom - r.top;
        if (m.Msg == WM_SIZE && resized) {
            Realign();
            Resize();
        }
        return;
    }
    case WM_MOUSEMOVE:
        if (!FMouseInControl) {
            Perform(CM_MOUSEENTER);
        }
        if (!FTrackingLeave) {
            TRACKMOUSEEVENT t = {sizeof(t), TME_LEAVE, FHandle, 0};
            FTrackingLeave = TrackMouseEvent(&t) != FALSE;
        }
        UpdateMouseControl(GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam));
        break;
    case WM_MOUSELEAVE:
        FTrackingLeave = false;
        UpdateMouseControl(-100000, -100000);
        if (FMouseInControl) Perform(CM_MOUSELEAVE);
        m.Result = 0;
        return;
    case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: {
        int x = GET_X_LPARAM(m.LParam), y = GET_Y_LPARAM(m.LParam);
        TMouseButton b = m.Msg == WM_LBUTTONDOWN ? mbLeft : mbRight;
        if (TControl* c = ControlAtPos(x, y)) {
            if (c->Enabled()) {
                FPressedControl = c;
                SetCapture(FHandle);
                c->MouseDown(b, KeysToShift(m.WParam), x - c->Left(), y - c->Top());
            }
            m.Result = 0;
            return;
        }
        MouseDown(b, KeysToShift(m.WParam), x, y);
        break;
    }
    case WM_LBUTTONUP: case WM_RBUTTONUP: {
        int x = GET_X_LPARAM(m.LParam), y = GET_Y_LPARAM(m.LParam);
        TMouseButton b = m.Msg == WM_LBUTTONUP ? mbLeft : mbRight;
        if (TControl* c = FPressedControl) {
            FPressedControl = nullptr;
            if (GetCapture() == FHandle) ReleaseCapture();
            c->MouseUp(b, KeysToShift(m.WParam), x - c->Left(), y - c->Top());
            if (b == mbLeft && PtInRect(c->BoundsRect(), x, y)) c->Click();
            m.Result = 0;
            return;
        }
        MouseUp(b, KeysToShift(m.WParam), x, y);
        if (FOwnPaint && b == mbLeft) Click();
        break;
    }
    case WM_LBUTTONDBLCLK: {
        int x = GET_X_LPARAM(m.LParam), y = GET_Y_LPARAM(m.LParam);
        if (TControl* c = ControlAtPos(x, y)) {
            if (c->Enabled()) {
                FPressedControl = c;
                SetCapture(FHandle);
                c->DblClick();
            }
            m.Result = 0;
            return;
        }
        DblClick();
        break;
    }
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(m.WParam) == FHandle && LOWORD(m.LParam) == HTCLIENT) {
            POINT p;
            GetCursorPos(&p);
            ::ScreenToClient(FHandle, &p);
            TControl* c = ControlAtPos(p.x, p.y);
            if (!c) c = this;
            if (LPCSTR res = CursorResource(c->Cursor())) {
                ::SetCursor(LoadCursor(nullptr, res));
                m.Result = TRUE;
                return;
            }
        }
        break;
    case WM_CONTEXTMENU:
        if (PopupMenu() && reinterpret_cast<HWND>(m.WParam) == FHandle) {
            int x = GET_X_LPARAM(m.LParam), y = GET_Y_LPARAM(m.LParam);
            if (x == -1 && y == -1) { TPoint p = ClientToScreen({0, 0}); x = p.X; y = p.Y; }
            PopupMenu()->Popup(x, y, FHandle);
            m.Result = 0;
            return;
        }
        break;
    case WM_SETFOCUS: OnEnter(this); break;
    case WM_KILLFOCUS: OnExit(this); break;
    case CM_ENABLEDCHANGED:
        if (FHandle && (IsWindowEnabled(FHandle) != FALSE) != Enabled()) EnableWindow(FHandle, Enabled());
        Invalidate();
        return;
    case CM_COLORCHANGED:
        ColorChanged();
        Invalidate();
        for (TControl* c : FControls) c->Perform(CM_PARENTCOLORCHANGED);
        return;
    default: break;
    }
    TControl::WndProc(m);
}

void TWinControl::GetChildren(TFunctionRef<void(TComponent*)> proc, TComponent* root) {
    for (TControl* c : FControls)
        if (c->Owner() == root) proc(c);
}

void TWinControl::Properties(TPropFiler& f) {
    TControl::Properties(f);
    f.Event("OnEnter", OnEnter);
    f.Event("OnExit", OnExit);
}
