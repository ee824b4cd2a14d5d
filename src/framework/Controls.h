// Controls: the non-windowed TControl (painted by its parent) and the windowed TWinControl
// (one platform window), parent/child, bounds and alignment, colour and font inheritance,
// enabling, visibility, cursors, mouse enter/leave, and messages dispatched to the object.
#pragma once
#include <windows.h>
#include "framework/Component.h"
#include "framework/Graphics.h"
#include "framework/Messages.h"
#include <string>
#include <vector>

class TWinControl;
class TPopupMenu;
class TCustomForm;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

enum TCursor : int32_t {
    crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4, crSizeNESW = -6, crSizeNS = -7,
    crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10, crHourGlass = -11, crNo = -18, crAppStart = -19,
    crHelp = -20, crHandPoint = -21, crSizeAll = -22,
};

enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum : uint32_t { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32, ssDouble = 64 };
using TShiftState = uint32_t;
using TMouseEvent = TEvent<TObject*, TMouseButton, TShiftState, int, int>;

class TControl : public TComponent {
public:
    KESTRIN_CLASS(TControl)
    explicit TControl(TComponent* owner);
    ~TControl() override;

    TWinControl* Parent() const { return FParent; }
    virtual void SetParent(TWinControl* parent);
    int Left() const { return FLeft; }
    int Top() const { return FTop; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    void SetLeft(int v) { SetBounds(v, FTop, FWidth, FHeight); }
    void SetTop(int v) { SetBounds(FLeft, v, FWidth, FHeight); }
    void SetWidth(int v) { SetBounds(FLeft, FTop, v, FHeight); }
    void SetHeight(int v) { SetBounds(FLeft, FTop, FWidth, v); }
    virtual void SetBounds(int left, int top, int width, int height);
    TRect BoundsRect() const { return Bounds(FLeft, FTop, FWidth, FHeight); }
    virtual TRect ClientRect() const { return Rect(0, 0, FWidth, FHeight); }
    int ClientWidth() const { return ClientRect().Width(); }
    int ClientHeight() const { return ClientRect().Height(); }
    virtual void SetClientSize(int w, int h) { SetBounds(FLeft, FTop, w, h); }
    TPoint ClientToScreen(TPoint p) const;
    TPoint ScreenToClient(TPoint p) const;

    TAlign Align() const { return FAlign; }
    void SetAlign(TAlign a);
    bool Visible() const { return FVisible; }
    virtual void SetVisible(bool v);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    bool Enabled() const { return FEnabled; }
    virtual void SetEnabled(bool v);
    TColor Color() const { return FColor; }
    void SetColor(TColor c);
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool v);
    TFont& Font() { return FFont; }
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool v);
    const std::string& Caption() const { return FText; }
    void SetCaption(const std::string& s) { SetText(s); }
    const std::string& Text() const { return FText; }
    virtual void SetText(const std::string& s);
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor c) { FCursor = c; }
    TPopupMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TPopupMenu* m);
    bool MouseInControl() const { return FMouseInControl; }
    TCustomForm* ParentForm() const;

    // Repaints: a windowed control its window, any other the area it covers on its parent.
    virtual void Invalidate();
    virtual void Update();
    void Repaint() { Invalidate(); Update(); }
    void BringToFront();

    // Runs the control's own message handling, without the platform's queue.
    LRESULT Perform(UINT msg, WPARAM w = 0, LPARAM l = 0);
    virtual void WndProc(TMessage& m);
    virtual void Click();
    virtual void DblClick();
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);

    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* parent) override;
    void Properties(TPropFiler& f) override;

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;

protected:
    friend class TWinControl;
    virtual void Paint(TCanvas& canvas) {}
    virtual void DefaultHandler(TMessage& m) { m.Result = 0; }
    virtual void FontChanged();
    virtual void ColorChanged() {}
    virtual void TextChanged() { Invalidate(); }
    void Notification(TComponent* c, TOperation op) override;
    // Sets the colour and its streaming default (and the ParentColor default) at construction.
    void InitColor(TColor c, bool parentColor) { FColor = FColorDefault = c; FParentColor = FParentColorDefault = parentColor; }
    void CopyParentColor();
    void CopyParentFont();
    // Streaming defaults differ between control classes.
    TColor FColorDefault = clBtnFace;
    bool FParentColorDefault = false;
    bool FPublishCaption = true;
    bool FPublishColor = true;
    bool FPublishFont = true;
    bool FVisibleDefault = true;
    int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
    bool FMouseInControl = false;
    std::string FText;

private:
    TWinControl* FParent = nullptr;
    TAlign FAlign = alNone;
    bool FVisible = true;
    bool FEnabled = true;
    TColor FColor = clBtnFace;
    bool FParentColor = true;
    TFont FFont;
    bool FParentFont = true;
    bool FSettingFont = false;
    TCursor FCursor = crDefault;
    TPopupMenu* FPopupMenu = nullptr;
};

// Non-windowed control: painted on its parent's canvas.
class TGraphicControl : public TControl {
public:
    KESTRIN_CLASS(TGraphicControl)
    explicit TGraphicControl(TComponent* owner) : TControl(owner) {}
};

struct TCreateParams {
    std::string Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0, Y = 0, Width = 0, Height = 0;
    HWND WndParent = nullptr;
    std::string WinClassName;   // a platform class to subclass, or empty for the framework's own
    UINT ClassStyle = CS_DBLCLKS;
};

class TWinControl : public TControl {
public:
    KESTRIN_CLASS(TWinControl)
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;

    HWND Handle();
    bool HandleAllocated() const { return FHandle != nullptr; }
    void HandleNeeded() { Handle(); }
    void DestroyHandle();
    int ControlCount() const { return static_cast<int>(FControls.size()); }
    TControl* Controls(int i) const { return FControls.at(static_cast<size_t>(i)); }
    void InsertControl(TControl* c);
    void RemoveControl(TControl* c);
    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool v);
    bool Focused() const;
    virtual void SetFocus();
    bool CanFocus() const;
    int ControlId() const { return FControlId; }
    TCanvas& ControlCanvas();  // a canvas for measuring text with this control's font

    void SetBounds(int left, int top, int width, int height) override;
    void SetVisible(bool v) override;
    void SetEnabled(bool v) override;
    void SetText(const std::string& s) override;
    void Invalidate() override;
    void Update() override;
    void Realign();
    void WndProc(TMessage& m) override;
    void GetChildren(TFunctionRef<void(TComponent*)> proc, TComponent* root) override;
    void Properties(TPropFiler& f) override;

    static TWinControl* FromHandle(HWND h);

    TNotifyEvent OnResize;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

protected:
    virtual void CreateParams(TCreateParams& p);
    virtual void CreateWnd();
    virtual void CreateHandle();
    void DefaultHandler(TMessage& m) override;
    virtual void AlignControls(TRect& r);
    virtual void PaintWindow(HDC dc);
    virtual void Resize() { OnResize(this); }
    void PaintControls(HDC dc);
    void FontChanged() override;
    TBrush FBackBrush;            // the background brush handed out for colour requests
    bool FTabStop = false;
    bool FOwnPaint = false;       // the framework's own window class paints itself
    WNDPROC FDefWndProc = nullptr;

private:
    friend class TControl;
    friend LRESULT CALLBACK KestrinWndProc(HWND, UINT, WPARAM, LPARAM);
    TControl* ControlAtPos(int x, int y);
    void UpdateMouseControl(int x, int y);
    void PlaceInSiblingOrder();
    HWND FHandle = nullptr;
    std::vector<TControl*> FControls;
    int FControlId = 0;
    TCanvas* FControlCanvas = nullptr;
    TControl* FMouseControl = nullptr;   // the non-windowed child under the pointer
    TControl* FPressedControl = nullptr;
    bool FAligning = false;
    bool FTrackingLeave = false;
};

// Windowed control that paints itself on a canvas (panels, owner-drawn controls).
class TCustomControl : public TWinControl {
public:
    KESTRIN_CLASS(TCustomControl)
    explicit TCustomControl(TComponent* owner) : TWinControl(owner) { FOwnPaint = true; }
};

// The framework's window class for its own windows.
extern const char* const KWindowClassName;
