#include "framework/Forms.h"
#include "framework/ComCtrls.h"
#include "framework/ExtCtrls.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "win32/uModule.h"
#include <algorithm>

namespace {
const char* const KBorderStyleNames[] = {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"};
const char* const KBorderIconNames[] = {"biSystemMenu", "biMinimize", "biMaximize", "biHelp"};
const TEnumInfo KBorderIconInfo = {KBorderIconNames, 4};
const char* const KFormStyleNames[] = {"fsNormal", "fsMDIChild", "fsMDIForm", "fsStayOnTop"};
const TEnumInfo KFormStyleInfo = {KFormStyleNames, 4};
const char* const KPositionNames[] = {"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly",
                                      "poScreenCenter", "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter"};
const TEnumInfo KPositionInfo = {KPositionNames, 8};

// Screen before Application: forms leave the screen's list when the application frees them.
TScreen GScreen;
TApplication GApplication;
}  // namespace

const TEnumInfo KBorderStyleInfo = {KBorderStyleNames, 6};
TApplication* Application = &GApplication;
TScreen* Screen = &GScreen;


// ---- TCustomForm -----------------------------------------------------------------------------

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner) {
    FOwnPaint = true;
    FVisibleDefault = false;
    InitColor(clBtnFace, false);
    TControl::SetVisible(false);
    FLeft = 100; FTop = 100; FWidth = 320; FHeight = 240;
    Screen->AddForm(this);
}

void TCustomForm::DoDestroy() {
    if (!FCreated) return;
    FCreated = false;
    OnDestroy(this);
}

TCustomForm::~TCustomForm() {
    DoDestroy();
    // Owned components may still talk to the form while they go.
    DestroyComponents();
    Screen->RemoveForm(this);
    if (Application->MainForm() == this) Application->SetMainForm(nullptr);
}

void TCustomForm::LoadFormResource() {
    const void* data = nullptr;
    size_t size = 0;
    if (!FindModuleResource(ClassName(), data, size))
        throw EResNotFound(std::string("Resource ") + ClassName() + " not found");
    ReadComponentResource(*this, data, size);
    FCreated = true;
    OnCreate(this);
    if (Visible()) { TControl::SetVisible(false); SetVisible(true); }
}

void TCustomForm::Loaded() { TWinControl::Loaded(); }

DWORD TCustomForm::WindowStyle() const {
    DWORD s = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    switch (FBorderStyle) {
    case bsNone: s |= WS_POPUP; break;
    case bsSingle: case bsToolWindow: s |= WS_CAPTION | WS_BORDER; break;
    case bsSizeable: case bsSizeToolWin: s |= WS_CAPTION | WS_THICKFRAME; break;
    case bsDialog: s |= WS_CAPTION | DS_MODALFRAME | WS_POPUP; break;
    }
    if (FBorderStyle != bsNone) {
        if (FBorderIcons & biSystemMenu) s |= WS_SYSMENU;
        if (FBorderStyle != bsDialog && FBorderStyle != bsToolWindow && FBorderStyle != bsSizeToolWin) {
            if (FBorderIcons & biMinimize) s |= WS_MINIMIZEBOX;
            if (FBorderIcons & biMaximize) s |= WS_MAXIMIZEBOX;
        }
    }
    return s;
}

DWORD TCustomForm::WindowExStyle() const {
    DWORD x = WS_EX_CONTROLPARENT;
    if (FBorderStyle == bsDialog) x |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
    if (FBorderStyle == bsToolWindow || FBorderStyle == bsSizeToolWin) x |= WS_EX_TOOLWINDOW;
    if (FFormStyle == fsStayOnTop) x |= WS_EX_TOPMOST;
    return x;
}

void TCustomForm::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.Style = WindowStyle();
    p.ExStyle = WindowExStyle();
    p.WndParent = nullptr;
}

void TCustomForm::CreateWnd() {
    TWinControl::CreateWnd();
    if (HandleAllocated() && FFormStyle == fsStayOnTop)
        SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TCustomForm::SetBorderStyle(TFormBorderStyle v) {
    if (v == FBorderStyle) return;
    TRect c = ClientRect();
    FBorderStyle = v;
    if (HandleAllocated()) {
        SetWindowLongA(Handle(), GWL_STYLE, static_cast<LONG>(WindowStyle() | (Visible() ? WS_VISIBLE : 0)));
        SetWindowLongA(Handle(), GWL_EXSTYLE, static_cast<LONG>(WindowExStyle()));
        SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
    SetClientSize(c.Width(), c.Height());
}

void TCustomForm::SetBorderIcons(TBorderIcons v) {
    if (v == FBorderIcons) return;
    FBorderIcons = v;
    if (HandleAllocated()) {
        SetWindowLongA(Handle(), GWL_STYLE, static_cast<LONG>(WindowStyle() | (Visible() ? WS_VISIBLE : 0)));
        SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
}

void TCustomForm::SetFormStyle(TFormStyle v) {
    if (v == FFormStyle) return;
    FFormStyle = v;
    if (HandleAllocated())
        SetWindowPos(Handle(), v == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

TRect TCustomForm::ClientRect() const {
    if (HandleAllocated()) {
        RECT r;
        GetClientRect(const_cast<TCustomForm*>(this)->Handle(), &r);
        return FromRECT(r);
    }
    RECT r = {0, 0, 0, 0};
    AdjustWindowRectEx(&r, WindowStyle(), FALSE, WindowExStyle());
    return Rect(0, 0, FWidth - (r.right - r.left), FHeight - (r.bottom - r.top));
}

void TCustomForm::SetClientSize(int w, int h) {
    int dx, dy;
    if (HandleAllocated()) {
        RECT wr, cr;
        GetWindowRect(Handle(), &wr);
        GetClientRect(Handle(), &cr);
        dx = (wr.right - wr.left) - cr.right;
        dy = (wr.bottom - wr.top) - cr.bottom;
    } else {
        RECT r = {0, 0, 0, 0};
        AdjustWindowRectEx(&r, WindowStyle(), FALSE, WindowExStyle());
        dx = r.right - r.left;
        dy = r.bottom - r.top;
    }
    SetBounds(FLeft, FTop, w + dx, h + dy);
}

void TCustomForm::ApplyPosition() {
    if (FPositioned) return;
    FPositioned = true;
    TRect area = Rect(0, 0, Screen->Width(), Screen->Height());
    switch (FPosition) {
    case poScreenCenter: case poDesktopCenter: break;
    case poMainFormCenter: case poOwnerFormCenter: {
        TCustomForm* m = FPosition == poOwnerFormCenter ? dynamic_cast<TCustomForm*>(Owner()) : Application->MainForm();
        if (m && m != this && m->HandleAllocated()) area = m->BoundsRect();
        break;
    }
    default: return;
    }
    SetBounds(area.Left + (area.Width() - FWidth) / 2, area.Top + (area.Height() - FHeight) / 2, FWidth, FHeight);
}

void TCustomForm::SetVisible(bool v) {
    if (v == Visible()) {
        if (v && HandleAllocated()) ShowWindow(Handle(), SW_SHOW);
        return;
    }
    TControl::SetVisible(v);
    if (v) {
        ApplyPosition();
        HandleNeeded();
        ShowWindow(Handle(), SW_SHOW);
        OnShow(this);
    } else if (HandleAllocated()) {
        ShowWindow(Handle(), SW_HIDE);
        OnHide(this);
    }
}

void TCustomForm::BringToFront() {
    if (HandleAllocated()) SetForegroundWindow(Handle());
}

void TCustomForm::Close() {
    if (FInModal) {
        FModalResult = mrCancel;
        return;
    }
    TCloseAction action = caHide;
    OnClose(this, action);
    if (action == caNone) return;
    if (Application->MainForm() == this) {
        Application->Terminate();
        SetVisible(false);
        return;
    }
    if (action == caHide) SetVisible(false);
    else if (action == caFree) Release();
}

void TCustomForm::Release() { Application->ReleaseForm(this); }

int TCustomForm::ShowModal() {
    std::vector<HWND> disabled;
    for (int i = 0; i < Screen->FormCount(); ++i) {
        TCustomForm* f = Screen->Forms(i);
        if (f != this && f->HandleAllocated() && IsWindowEnabled(f->Handle())) {
            EnableWindow(f->Handle(), FALSE);
            disabled.push_back(f->Handle());
        }
    }
    FModalResult = mrNone;
    FInModal = true;
    Show();
    try {
        while (FModalResult == mrNone && !Application->Terminated()) Application->HandleMessage();
    } catch (...) {
        FInModal = false;
        for (HWND h : disabled) if (IsWindow(h)) EnableWindow(h, TRUE);
        throw;
    }
    FInModal = false;
    for (HWND h : disabled) if (IsWindow(h)) EnableWindow(h, TRUE);
    SetVisible(false);
    return FModalResult;
}

TButton* TCustomForm::FindButton(bool (TButton::*role)() const) const {
    TButton* found = nullptr;
    std::function<void(const TWinControl*)> walk = [&](const TWinControl* w) {
        for (int i = 0; i < w->ControlCount() && !found; ++i) {
            TControl* c = w->Controls(i);
            if (auto* b = dynamic_cast<TButton*>(c); b && (b->*role)() && b->CanFocus()) found = b;
            else if (auto* cw = dynamic_cast<TWinControl*>(c)) walk(cw);
        }
    };
    walk(this);
    return found;
}

TButton* TCustomForm::DefaultButton() const { return FindButton(&TButton::Default); }
TButton* TCustomForm::CancelButton() const { return FindButton(&TButton::Cancel); }

void TCustomForm::WndProc(TMessage& m) {
    switch (m.Msg) {
    case WM_CLOSE:
        Close();
        m.Result = 0;
        return;
    case DM_GETDEFID:
        if (TButton* b = DefaultButton()) {
            m.Result = MAKELONG(b->ControlId(), DC_HASDEFID);
            return;
        }
        m.Result = 0;
        return;
    case WM_COMMAND:
        if (m.LParam == 0 && HIWORD(m.WParam) == 0 && LOWORD(m.WParam) == IDCANCEL) {
            // Escape, from the dialog keyboard handling.
            if (TButton* b = CancelButton()) b->Click();
            m.Result = 0;
            return;
        }
        break;
    default: break;
    }
    TWinControl::WndProc(m);
}

void TCustomForm::GetChildren(TFunctionRef<void(TComponent*)> proc, TComponent* root) {
    if (root == this)
        for (int i = 0; i < ComponentCount(); ++i) {
            TComponent* c = Components(i);
            if (!dynamic_cast<TControl*>(c) && !c->GetParentComponent()) proc(c);
        }
    TWinControl::GetChildren(proc, root);
}

void TCustomForm::Properties(TPropFiler& f) {
    TWinControl::Properties(f);
    f.Integer("ClientWidth", ClientWidth(), [this](int32_t v) { SetClientWidth(v); }, std::nullopt);
    f.Integer("ClientHeight", ClientHeight(), [this](int32_t v) { SetClientHeight(v); }, std::nullopt);
    f.Enum("BorderStyle", FBorderStyle, KBorderStyleInfo, [this](int v) { SetBorderStyle(static_cast<TFormBorderStyle>(v)); }, bsSizeable);
    f.Set("BorderIcons", FBorderIcons, KBorderIconInfo, [this](uint32_t v) { SetBorderIcons(v); }, biSystemMenu | biMinimize | biMaximize);
    f.Enum("FormStyle", FFormStyle, KFormStyleInfo, [this](int v) { SetFormStyle(static_cast<TFormStyle>(v)); }, fsNormal);
    f.Enum("Position", FPosition, KPositionInfo, [this](int v) { SetPosition(static_cast<TPosition>(v)); }, poDesigned);
    f.Event("OnCreate", OnCreate);
    f.Event("OnDestroy", OnDestroy);
    f.Event("OnResize", OnResize);
    f.Event("OnShow", OnShow);
    f.Event("OnHide", OnHide);
}

// ---- TApplication ----------------------------------------------------------------------------

TApplication::TApplication() : TComponent(nullptr) {
    FExeName = ModuleFileName();
    FTitle = TitleFromExeName(FExeName);
}

TApplication::~TApplication() {
    FreeReleased();
    DestroyComponents();
}

void TApplication::Run() {
    if (ShowMainForm && FMainForm) FMainForm->Show();
    while (!FTerminated) HandleMessage();
}

bool TApplication::IsShortCut(MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
    int32_t sc = static_cast<int32_t>(msg.wParam & 0xFF);
    if (GetKeyState(VK_SHIFT) < 0) sc |= 0x2000;
    if (GetKeyState(VK_CONTROL) < 0) sc |= 0x4000;
    if (GetKeyState(VK_MENU) < 0) sc |= 0x8000;
    for (TControl* c = TWinControl::FromHandle(msg.hwnd); c; c = c->Parent())
        if (c->PopupMenu() && c->PopupMenu()->IsShortCut(sc)) return true;
    return false;
}

bool TApplication::ProcessMessage(MSG& msg) {
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT) {
        FTerminated = true;
        return true;
    }
    if (IsShortCut(msg)) return true;
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (root && dynamic_cast<TCustomForm*>(TWinControl::FromHandle(root)) && IsDialogMessageA(root, &msg)) return true;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    return true;
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (ProcessMessage(msg)) {
    }
}

void TApplication::HandleMessage() {
    MSG msg;
    if (!ProcessMessage(msg)) WaitMessage();
    FreeReleased();
}

void TApplication::Terminate() {
    if (FTerminated) return;
    FTerminated = true;
    PostQuitMessage(0);
}

void TApplication::ReleaseForm(TCustomForm* f) {
    if (std::find(FReleased.begin(), FReleased.end(), f) != FReleased.end()) return;
    if (f->HandleAllocated()) ShowWindow(f->Handle(), SW_HIDE);
    // From now on the application frees it; its owner must not free it a second time.
    if (f->Owner()) f->Owner()->RemoveComponent(f);
    FReleased.push_back(f);
    PostMessageA(nullptr, WM_NULL, 0, 0);
}

void TApplication::FreeReleased() {
    while (!FReleased.empty()) {
        TCustomForm* f = FReleased.back();
        FReleased.pop_back();
        delete f;
    }
}

void TScreen::RemoveForm(TCustomForm* f) {
    FForms.erase(std::remove(FForms.begin(), FForms.end(), f), FForms.end());
}

void RegisterFrameworkClasses() {
    RegisterComponent<TForm>();
    RegisterComponent<TPanel>();
    RegisterComponent<TBevel>();
    RegisterComponent<TLabel>();
    RegisterComponent<TImage>();
    RegisterComponent<TMemo>();
    RegisterComponent<TEdit>();
    RegisterComponent<TButton>();
    RegisterComponent<TCheckBox>();
    RegisterComponent<TRadioButton>();
    RegisterComponent<TProgressBar>();
    RegisterComponent<TPopupMenu>();
    RegisterComponent<TMenuItem>();
}
