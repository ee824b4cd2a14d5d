// The window components under Wine: built from form resources, drawn (pixels checked on the
// screen), driven with real input through SendInput. Screenshots of the gallery are kept in
// the build directory (gallery/*.bmp) for people to look at.
#include "win32/uModule.h"
#include "container/OddBitmaps.h"
#include "controls/uAltFixOnVista.h"
#include "controls/uBitmapList.h"
#include "controls/uColorBtn.h"
#include "controls/uControls.h"
#include "controls/uDeactiveMemo.h"
#include "controls/uDebug.h"
#include "controls/uNotifier.h"
#include "controls/uXPUtils.h"
#include "system/uSWFTags.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "TestSupport.h"
#include <gtest/gtest.h>
#include <chrono>
#include <climits>
#include <filesystem>
#include <map>

using namespace testing_support;

namespace {

struct GuiEnvironment : ::testing::Environment {
    void SetUp() override {
        RegisterControlClasses();
        InitializeControlUnits();
        InitializeDebug();
    }
    void TearDown() override {
        FinalizeDebug();
        FinalizeControlUnits();
    }
};
::testing::Environment* const GEnv = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

void Pump(int ms = 150) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        Application->ProcessMessages();
        Sleep(5);
    }
}

// What the screen shows at a client point of the control.
COLORREF ScreenPixel(TControl& c, int x, int y) {
    TPoint p = c.ClientToScreen({x, y});
    HDC dc = GetDC(nullptr);
    COLORREF v = GetPixel(dc, p.X, p.Y);
    ReleaseDC(nullptr, dc);
    return v;
}

void MoveMouse(int x, int y) {
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dx = x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    in.mi.dy = y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &in, sizeof in);
}

void MouseButton(bool down) {
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    SendInput(1, &in, sizeof in);
}

void ClickAt(TControl& c, int x, int y, int times = 1) {
    TPoint p = c.ClientToScreen({x, y});
    MoveMouse(p.X, p.Y);
    Pump(60);
    for (int i = 0; i < times; ++i) {
        MouseButton(true);
        Pump(20);
        MouseButton(false);
        Pump(20);
    }
    Pump(100);
}

void PressKey(WORD vk) {
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = vk;
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
    Pump(100);
}

// The window as the screen shows it, saved as a bitmap file in the build's gallery directory.
void Screenshot(TWinControl& w, const std::string& name) {
    RECT r;
    GetWindowRect(w.Handle(), &r);
    TBitmap shot(r.right - r.left, r.bottom - r.top, pf24bit);
    HDC dc = GetDC(nullptr);
    BitBlt(shot.Canvas().Handle(), 0, 0, shot.Width(), shot.Height(), dc, r.left, r.top, SRCCOPY);
    ReleaseDC(nullptr, dc);
    std::filesystem::path dir = EnvPath("KESTRIN_BIN_DIR") / "gallery";
    std::filesystem::create_directories(dir);
    shot.SaveToFile(NativePath(dir / (name + (UseThemes() ? "-themed" : "-classic") + ".bmp")));
}

// A picture with a magenta background (the transparent colour) and a framed square.
void DrawPicture(TBitmap& b, int w, int h, TColor fill) {
    b.SetPixelFormat(pf24bit);
    b.SetSize(w, h);
    TCanvas& c = b.Canvas();
    c.Brush().SetColor(clFuchsia);
    c.FillRect(Rect(0, 0, w, h));
    c.Brush().SetColor(fill);
    c.Pen().SetColor(clBlack);
    c.Rectangle(2, 2, w - 2, h - 2);
}

// Waits for a state that input or a change brings about, pumping messages meanwhile; false when
// it has not come within the time.
template <class F> bool PumpUntil(F done, int ms = 3000) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        Application->ProcessMessages();
        if (done()) return true;
        if (std::chrono::steady_clock::now() > end) return false;
        Sleep(5);
    }
}

// Pumps until the queue has stayed empty (no input, paint or posted message) for a few rounds.
void PumpIdle() {
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    for (int quiet = 0; quiet < 4 && std::chrono::steady_clock::now() < end;) {
        Application->ProcessMessages();
        quiet = HIWORD(GetQueueStatus(QS_ALLINPUT)) == 0 ? quiet + 1 : 0;
        Sleep(5);
    }
}

class TWindowDC {
public:
    explicit TWindowDC(HWND w) : FWindow(w), FDC(GetDC(w)) {}
    ~TWindowDC() { ReleaseDC(FWindow, FDC); }
    TWindowDC(const TWindowDC&) = delete;
    TWindowDC& operator=(const TWindowDC&) = delete;
    HDC Get() const { return FDC; }
private:
    HWND FWindow;
    HDC FDC;
};

// A copy of what a device context holds, read in one go so that all pixels are of one moment.
struct TPixels {
    TPixels(HDC dc, int w, int h) : W(w), H(h), P(static_cast<size_t>(w * h)) {
        TBitmap shot(w, h, pf24bit);
        BitBlt(shot.Canvas().Handle(), 0, 0, w, h, dc, 0, 0, SRCCOPY);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) P[static_cast<size_t>(y * w + x)] = shot.Canvas().Pixel(x, y);
    }
    COLORREF operator()(int x, int y) const { return P.at(static_cast<size_t>(y * W + x)); }
    int W, H;
    std::vector<COLORREF> P;
};

// The client area of the control as its own window's device context holds it.
TPixels Snap(TWinControl& c) {
    TWindowDC dc(c.Handle());
    return TPixels(dc.Get(), c.ClientWidth(), c.ClientHeight());
}

int DifferingPixels(const TPixels& a, const TPixels& b) {
    int n = 0;
    for (size_t i = 0; i < a.P.size() && i < b.P.size(); ++i) n += a.P[i] != b.P[i];
    return n;
}

std::string Where(const TRect& r) {
    return "(" + std::to_string(r.Left) + "," + std::to_string(r.Top) + ")-(" + std::to_string(r.Right) + "," +
           std::to_string(r.Bottom) + ")";
}

// The smallest rectangle holding every pixel of the area (less the skipped part) that hit accepts;
// all zero when there is none.
template <class F> TRect BoundsOf(const TPixels& p, const TRect& area, F hit, const TRect& skip = TRect()) {
    TRect b{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (int y = std::max(area.Top, 0); y < std::min(area.Bottom, p.H); ++y)
        for (int x = std::max(area.Left, 0); x < std::min(area.Right, p.W); ++x) {
            if (PtInRect(skip, x, y) || !hit(p(x, y))) continue;
            b = Rect(std::min(b.Left, x), std::min(b.Top, y), std::max(b.Right, x + 1), std::max(b.Bottom, y + 1));
        }
    return b.Left == INT_MAX ? TRect() : b;
}

TRect Moved(TRect r, int dx, int dy) { return Rect(r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy); }

// The gallery's "Image" picture: 32 x 32, a green square framed in black 2 pixels in from each
// edge, the rest transparent. Its top-left corner as the screen shows it, found by the green.
const int KPicture = 32;
const COLORREF KPictureGreen = 0x00C000;
TPoint PictureAt(const TPixels& p) {
    TRect g = BoundsOf(p, Rect(0, 0, p.W, p.H), [](COLORREF c) { return c == KPictureGreen; });
    EXPECT_EQ(g.Width(), KPicture - 6) << "picture cut or missing at " << Where(g);
    EXPECT_EQ(g.Height(), KPicture - 6) << "picture cut or missing at " << Where(g);
    return {g.Left - 3, g.Top - 3};
}

// The ink of the caption, anything but the face colour inside the area, apart from the picture.
TRect CaptionInk(const TPixels& p, TColorBtn& b, const TRect& area, TPoint picture) {
    COLORREF face = ColorToRGB(b.Color());
    return BoundsOf(p, area, [face](COLORREF c) { return c != face; }, Bounds(picture.X, picture.Y, KPicture, KPicture));
}

// The ink of the caption as the pixels that change when it is taken away: for faces that are not
// of one colour, and only where the picture does not move with the caption's width.
TRect CaptionInkByRemoval(TColorBtn& b) {
    TPixels with = Snap(b);
    std::string caption = b.Caption();
    b.SetCaption("");
    b.Repaint();
    PumpIdle();
    TPixels without = Snap(b);
    b.SetCaption(caption);
    b.Repaint();
    PumpIdle();
    TRect ink{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (int y = 0; y < with.H; ++y)
        for (int x = 0; x < with.W; ++x)
            if (with(x, y) != without(x, y))
                ink = Rect(std::min(ink.Left, x), std::min(ink.Top, y), std::max(ink.Right, x + 1), std::max(ink.Bottom, y + 1));
    return ink.Left == INT_MAX ? TRect() : ink;
}

// The button's caption measured and drawn apart in its font: width, height of "H", and the ink
// relative to the point the text is drawn at (glyphs start inside their cell).
struct TCaptionMetrics {
    int Width, Height;
    TRect Ink;
};
TCaptionMetrics MeasureCaption(TColorBtn& b) {
    TBitmap ref(200, 60);
    TCanvas& c = ref.Canvas();
    c.Brush().SetColor(b.Color());
    c.Brush().SetStyle(bsSolid);
    c.FillRect(Rect(0, 0, 200, 60));
    c.Font().Assign(b.Font());
    c.Brush().SetStyle(bsClear);
    TRect at = Rect(10, 10, 200, 60);
    c.DrawText(b.Caption(), at, 0);
    TPixels p(c.Handle(), 200, 60);
    COLORREF face = ColorToRGB(b.Color());
    TRect ink = BoundsOf(p, Rect(0, 0, 200, 60), [face](COLORREF v) { return v != face; });
    return {c.TextWidth(b.Caption()), c.TextHeight("H"), Moved(ink, -10, -10)};
}

// Where the pointer rests when it should be over none of the gallery's buttons.
void MoveMouseAway() {
    MoveMouse(5, GetSystemMetrics(SM_CYSCREEN) - 5);
}

void HoverOver(TColorBtn& b) {
    TPoint p = b.ClientToScreen({b.Width() / 2, 3});
    MoveMouse(p.X, p.Y);
    EXPECT_TRUE(PumpUntil([&] { return b.Hover(); })) << b.Name() << " never saw the pointer";
    PumpIdle();
}

void LeaveAlone(TColorBtn& b) {
    MoveMouseAway();
    EXPECT_TRUE(PumpUntil([&] { return !b.Hover(); })) << b.Name() << " never saw the pointer go";
    PumpIdle();
}

bool Pushed(TWinControl& b) { return (SendMessageA(b.Handle(), BM_GETSTATE, 0, 0) & BST_PUSHED) != 0; }

// Holds the left button down on the button until it shows pushed.
void PressAndHold(TColorBtn& b) {
    HoverOver(b);
    MouseButton(true);
    EXPECT_TRUE(PumpUntil([&] { return Pushed(b); })) << b.Name() << " never went down";
    PumpIdle();
}

// Lets go away from the button, so that the press makes no click.
void LetGoAway(TColorBtn& b) {
    MoveMouseAway();
    PumpUntil([&] { return !Pushed(b) && !b.Hover(); });
    MouseButton(false);
    PumpIdle();
}

// The rectangle the frame of a colour button leaves for its content: inside the one-pixel bevel
// (and the outline a focused button with Emphasis gets), less its last column and row; themed,
// the client area less those.
TRect ContentRect(TColorBtn& b, bool outlined) {
    if (b.IsThemed()) return Rect(0, 0, b.Width() - 1, b.Height() - 1);
    int m = outlined ? 2 : 1;
    return Rect(m, m, b.Width() - m - 1, b.Height() - m - 1);
}

// Where a picture of iw x ih and a caption box of tw x th go in r for each caption position:
// the pair is centred as a block, two pixels apart; below the picture the block sits one pixel
// higher.
struct TPlacement {
    TPoint Picture, Caption;
};
TPlacement Place(TCaptionPosition pos, const TRect& r, int tw, int th, int iw, int ih) {
    int w = r.Width(), h = r.Height();
    TPlacement p{{r.Left + (w - iw) / 2, r.Top + (h - ih) / 2}, {r.Left + (w - tw) / 2, r.Top + (h - th) / 2}};
    switch (pos) {
    case TCaptionPosition::cpNone: break;
    case TCaptionPosition::cpLeft: p.Caption.X = r.Left + (w - tw - iw) / 2; p.Picture.X = p.Caption.X + tw + 2; break;
    case TCaptionPosition::cpTop: p.Caption.Y = r.Top + (h - th - ih) / 2; p.Picture.Y = p.Caption.Y + th + 2; break;
    case TCaptionPosition::cpRight: p.Picture.X = r.Left + (w - iw - tw) / 2; p.Caption.X = p.Picture.X + iw + 2; break;
    case TCaptionPosition::cpBottom: p.Picture.Y = r.Top + (h - ih - th) / 2 - 1; p.Caption.Y = p.Picture.Y + ih + 2; break;
    }
    return p;
}

// Counts, while it lives, the paints each window of this thread takes from its queue and the
// keyboard-cue updates sent to each.
class TMessageLog {
public:
    TMessageLog() {
        Current = this;
        FGet = SetWindowsHookExA(WH_GETMESSAGE, GetHook, nullptr, GetCurrentThreadId());
        FCall = SetWindowsHookExA(WH_CALLWNDPROC, CallHook, nullptr, GetCurrentThreadId());
    }
    ~TMessageLog() {
        UnhookWindowsHookEx(FCall);
        UnhookWindowsHookEx(FGet);
        Current = nullptr;
    }
    TMessageLog(const TMessageLog&) = delete;
    TMessageLog& operator=(const TMessageLog&) = delete;
    std::map<HWND, int> Paints, CueUpdates;

private:
    static LRESULT CALLBACK GetHook(int code, WPARAM w, LPARAM l) {
        auto* m = reinterpret_cast<const MSG*>(l);
        if (code >= 0 && w == PM_REMOVE && m->message == WM_PAINT) ++Current->Paints[m->hwnd];
        return CallNextHookEx(nullptr, code, w, l);
    }
    static LRESULT CALLBACK CallHook(int code, WPARAM w, LPARAM l) {
        auto* m = reinterpret_cast<const CWPSTRUCT*>(l);
        if (code >= 0 && m->message == WM_UPDATEUISTATE) ++Current->CueUpdates[m->hwnd];
        return CallNextHookEx(nullptr, code, w, l);
    }
    static inline TMessageLog* Current = nullptr;
    HHOOK FGet, FCall;
};

BOOL CALLBACK CollectVisible(HWND w, LPARAM l) {
    if (IsWindowVisible(w)) reinterpret_cast<std::vector<HWND>*>(l)->push_back(w);
    return TRUE;
}

std::vector<HWND> VisibleWindowsIn(TWinControl& c) {
    std::vector<HWND> all;
    EnumChildWindows(c.Handle(), CollectVisible, reinterpret_cast<LPARAM>(&all));
    return all;
}

std::string Describe(HWND w) {
    char cls[64] = {};
    GetClassNameA(w, cls, sizeof cls);
    TWinControl* c = TWinControl::FromHandle(w);
    return std::string(cls) + " " + (c ? c->Name() : std::string("?"));
}

class TGalleryForm : public TForm {
public:
    KESTRIN_CLASS(TGalleryForm)
    explicit TGalleryForm(TComponent* owner) : TForm(owner) {
        RegisterMethod("FormCreate", [this](TObject*) { ++Created; });
        RegisterMethod("ButtonClick", [this](TObject* s) { Clicks.push_back(static_cast<TComponent*>(s)->Name()); });
        LoadFormResource();
    }
    template <class T> T* Get(const char* name) { return dynamic_cast<T*>(FindComponent(name)); }
    int Created = 0;
    std::vector<std::string> Clicks;
};

struct Gallery : ::testing::Test {
    static TGalleryForm* Form;
    static void SetUpTestSuite() {
        Form = new TGalleryForm(Application);
        auto* list = Form->Get<TBitmapList>("bmplstImages");
        TBitmap pic;
        DrawPicture(pic, 32, 32, 0x00C000);
        list->Add("Image", pic, clFuchsia);
        DrawPicture(pic, 24, 24, 0x0000C0);
        list->Add("Other", pic, clNoTransparent);
        list->GetBitmap("Left", &Form->Get<TImage>("imgLeft")->Picture());
        Form->Show();
        Pump(400);
    }
    static void TearDownTestSuite() {
        delete Form;
        Form = nullptr;
    }
};
TGalleryForm* Gallery::Form = nullptr;

TEST_F(Gallery, FormIsBuiltFromItsResourceByClassName) {
    EXPECT_EQ(Form->Created, 1);
    EXPECT_EQ(Form->ClientWidth(), 640);
    EXPECT_EQ(Form->ClientHeight(), 420);
    auto* top = Form->Get<TPanel>("pnlTop");
    ASSERT_TRUE(top);
    EXPECT_EQ(top->Width(), 640);   // alTop
    EXPECT_EQ(top->Height(), 40);
    auto* label = Form->Get<TLabel>("lblTitle");
    ASSERT_TRUE(label);
    EXPECT_GT(label->Width(), 20);  // sized to its text
    EXPECT_EQ(Form->Get<TFlatBitColorBtn>("btnFlatCool")->BitmapList(), Form->Get<TBitmapList>("bmplstImages"));
    Screenshot(*Form, "gallery");
}

TEST_F(Gallery, PicturesComeFromTheCompiledBitmapList) {
    auto* list = Form->Get<TBitmapList>("bmplstImages");
    EXPECT_TRUE(list->Compressed());
    TBitmap b, m;
    list->GetBitmap("left", &b);
    EXPECT_EQ(b.Width(), 164);
    EXPECT_EQ(b.Height(), 294);
    list->GetBitmap("Icon", &b);
    EXPECT_EQ(b.Width(), 49);
    list->GetMask("GetFlashPlayer", &m);
    EXPECT_EQ(m.Width(), 89);
    EXPECT_EQ(m.Canvas().Pixel(0, 0), static_cast<TColor>(clWhite));   // a rounded corner: transparent
    EXPECT_EQ(m.Canvas().Pixel(44, 16), static_cast<TColor>(clBlack));
    // The button shows the picture through its mask: the parent's colour in the corner.
    auto* btn = Form->Get<TFlatBitColorBtn>("btnPage5GetFlashPlayer");
    if (!btn->IsThemed()) {
        EXPECT_EQ(ScreenPixel(*btn, 0, 0), ColorToRGB(btn->Color()));
    }
    EXPECT_NE(ScreenPixel(*btn, 44, 16), ColorToRGB(btn->Color()));
}

TEST_F(Gallery, ColorButtonBevelAndOutline) {
    auto* b = Form->Get<TColorBtn>("btnPlain");
    ASSERT_TRUE(b);
    if (b->IsThemed()) GTEST_SKIP() << "the themed face is the theme's";
    b->Repaint();
    Pump();
    int w = b->Width(), h = b->Height();
    TColor face = b->Color();
    EXPECT_EQ(ScreenPixel(*b, 0, 0), static_cast<COLORREF>(LightenColor(face)));
    EXPECT_EQ(ScreenPixel(*b, 3, 0), static_cast<COLORREF>(LightenColor(face)));
    EXPECT_EQ(ScreenPixel(*b, w - 1, 3), 0u);           // outline on the dark side
    EXPECT_EQ(ScreenPixel(*b, 3, h - 1), 0u);
    EXPECT_EQ(ScreenPixel(*b, 3, h - 2), static_cast<COLORREF>(DarkenColor(face)));
    EXPECT_EQ(ScreenPixel(*b, w - 2, 3), static_cast<COLORREF>(DarkenColor(face)));
    EXPECT_EQ(ScreenPixel(*b, 2, 2), ColorToRGB(face));
}

TEST_F(Gallery, DisabledCaptionIsEmbossed) {
    auto* b = Form->Get<TColorBtn>("btnDisabled");
    ASSERT_TRUE(b);
    if (b->IsThemed()) GTEST_SKIP() << "the themed caption is the theme's";
    COLORREF dark = DarkenColor(b->Color()), light = LightenColor(b->Color());
    // The dark caption with its light copy one pixel below right: wherever the light copy is
    // fully drawn, the dark one is fully drawn one pixel up and left (a smoothed font blends only
    // partly covered pixels).
    int nd = 0, nl = 0, matched = 0;
    for (int y = 3; y < b->Height() - 3; ++y)
        for (int x = 3; x < b->Width() - 3; ++x) {
            COLORREF c = ScreenPixel(*b, x, y);
            if (c == dark) ++nd;
            if (c == light) {
                ++nl;
                if (ScreenPixel(*b, x - 1, y - 1) == dark) ++matched;
            }
        }
    ASSERT_GT(nd, 5);
    ASSERT_GT(nl, 5);
    EXPECT_EQ(matched, nl);
}

TEST_F(Gallery, DisabledImageWithoutDisableIDIsASilhouette) {
    auto* b = Form->Get<TBitColorBtn>("btnImageDisabled");
    ASSERT_TRUE(b);
    b->Repaint();
    Pump();
    // cpNone, 32 x 32 picture centred in the area the frame leaves.
    int cx = b->Width() / 2, cy = b->Height() / 2;
    EXPECT_EQ(ScreenPixel(*b, cx, cy), static_cast<COLORREF>(DarkenColor(b->Color())));
    auto* with = Form->Get<TBitColorBtn>("btnImageDisableID");
    EXPECT_EQ(ScreenPixel(*with, with->Width() / 2, with->Height() / 2), 0x0000C0u);  // the DisableID picture as it is
}

TEST_F(Gallery, DoubleClickActsAsASecondPress) {
    auto* b = Form->Get<TColorBtn>("btnPlain");
    Form->Clicks.clear();
    ClickAt(*b, 10, 10, 2);
    EXPECT_EQ(Form->Clicks, (std::vector<std::string>{"btnPlain", "btnPlain"}));
}

TEST_F(Gallery, FlatButtonGroupsSpanForms) {
    auto* a = Form->Get<TFlatBitColorBtn>("btnGroupA");
    ASSERT_TRUE(a);
    TForm other(nullptr);
    auto* b = new TFlatBitColorBtn(&other);
    b->SetParent(&other);
    b->SetGroupIndex(1);
    std::vector<std::string> log;
    a->OnDown = [&](TObject*) { log.push_back("A down"); };
    a->OnUp = [&](TObject*) { log.push_back("A up"); };
    b->OnDown = [&](TObject*) { log.push_back("B down"); };
    b->OnUp = [&](TObject*) { log.push_back("B up"); };
    a->SetDown(true);
    b->SetDown(true);
    EXPECT_FALSE(a->Down());
    EXPECT_EQ(log, (std::vector<std::string>{"A down", "A up", "B down"}));
    log.clear();
    b->SetDownFixed(true);
    b->SetDown(false);
    EXPECT_TRUE(b->Down());
    EXPECT_TRUE(log.empty());
    a->OnDown = a->OnUp = TNotifyEvent();
}

TEST_F(Gallery, ToggleButtonFollowsRealClicks) {
    auto* t = Form->Get<TFlatBitColorBtn>("btnToggle");
    ASSERT_TRUE(t);
    bool before = t->Down();
    ClickAt(*t, 10, 10);
    EXPECT_NE(t->Down(), before);
    ClickAt(*t, 10, 10);
    EXPECT_EQ(t->Down(), before);
}

// ---- Pressed and hover looks: the real pointer over the button, the real button held down.

TEST_F(Gallery, PressedButtonSinksAndShiftsPictureAndCaption) {
    auto* b = Form->Get<TBitColorBtn>("btnCapBottom");
    ASSERT_TRUE(b);
    b->SetFocus();  // a press focuses the button: compare with it focused
    LeaveAlone(*b);
    TPixels up = Snap(*b);
    PressAndHold(*b);
    TPixels down = Snap(*b);
    Screenshot(*Form, "gallery-pressed");
    LetGoAway(*b);
    Form->Get<TEdit>("edtName")->SetFocus();
    PumpIdle();
    TPoint pu = PictureAt(up), pd = PictureAt(down);
    if (b->IsThemed()) {
        // The theme draws the pushed face; the content stays where it was.
        EXPECT_GT(DifferingPixels(up, down), 0);
        EXPECT_EQ(pd.X, pu.X);
        EXPECT_EQ(pd.Y, pu.Y);
        return;
    }
    int w = b->Width(), h = b->Height(), mx = w / 2, my = h / 2;
    COLORREF light = LightenColor(b->Color()), dark = DarkenColor(b->Color());
    // The focus outline round both. Up: light top and left, black bottom and right with a dark
    // line inside; down: black top and left with a dark line inside, light bottom and right.
    for (const TPixels* p : {&up, &down}) {
        EXPECT_EQ((*p)(0, my), 0u);
        EXPECT_EQ((*p)(mx, 0), 0u);
        EXPECT_EQ((*p)(w - 1, my), 0u);
        EXPECT_EQ((*p)(mx, h - 1), 0u);
    }
    EXPECT_EQ(up(1, my), light);
    EXPECT_EQ(up(mx, 1), light);
    EXPECT_EQ(up(w - 2, my), 0u);
    EXPECT_EQ(up(mx, h - 2), 0u);
    EXPECT_EQ(up(w - 3, my), dark);
    EXPECT_EQ(up(mx, h - 3), dark);
    EXPECT_EQ(down(1, my), 0u);
    EXPECT_EQ(down(mx, 1), 0u);
    EXPECT_EQ(down(2, my), dark);
    EXPECT_EQ(down(mx, 2), dark);
    EXPECT_EQ(down(w - 2, my), light);
    EXPECT_EQ(down(mx, h - 2), light);
    // Up, the content sits where the layout puts it; down, one pixel right and down.
    TCaptionMetrics m = MeasureCaption(*b);
    TPlacement e = Place(TCaptionPosition::cpBottom, ContentRect(*b, true), m.Width, m.Height, KPicture, KPicture);
    EXPECT_EQ(pu.X, e.Picture.X);
    EXPECT_EQ(pu.Y, e.Picture.Y);
    EXPECT_EQ(pd.X, pu.X + 1);
    EXPECT_EQ(pd.Y, pu.Y + 1);
    TRect inside = Rect(5, 5, w - 5, h - 5);  // within the focus rectangle
    TRect iu = CaptionInk(up, *b, inside, pu), id = CaptionInk(down, *b, inside, pd);
    // The caption box is one pixel in from where the layout puts it.
    EXPECT_EQ(Where(iu), Where(Moved(m.Ink, e.Caption.X + 1, e.Caption.Y + 1)));
    EXPECT_EQ(Where(id), Where(Moved(iu, 1, 1)));
}

TEST_F(Gallery, PlainButtonShowsHotAndPressedOnlyThroughTheTheme) {
    auto* b = Form->Get<TColorBtn>("btnPlain");
    b->SetFocus();
    LeaveAlone(*b);
    TPixels normal = Snap(*b);
    HoverOver(*b);
    TPixels hot = Snap(*b);
    PressAndHold(*b);
    TPixels pressed = Snap(*b);
    LetGoAway(*b);
    TPixels after = Snap(*b);
    Form->Get<TEdit>("edtName")->SetFocus();
    PumpIdle();
    // Let go away from the button: no click, and the look it had before the press.
    EXPECT_EQ(DifferingPixels(after, normal), 0);
    if (b->IsThemed()) {
        EXPECT_GT(DifferingPixels(normal, hot), 0);
    } else {
        EXPECT_EQ(DifferingPixels(normal, hot), 0);  // no hover look of its own
    }
    EXPECT_GT(DifferingPixels(hot, pressed), 0);
    EXPECT_GT(DifferingPixels(normal, pressed), 0);
}

TEST_F(Gallery, CoolButtonIsFlatUntilThePointerComesAndSinksWhenPressed) {
    auto* b = Form->Get<TFlatBitColorBtn>("btnFlatCool");
    ASSERT_TRUE(b && b->Cool());
    LeaveAlone(*b);
    TPixels away = Snap(*b);
    HoverOver(*b);
    TPixels over = Snap(*b);
    PressAndHold(*b);
    TPixels down = Snap(*b);
    Screenshot(*Form, "gallery-cool-pressed");
    LetGoAway(*b);
    TPixels gone = Snap(*b);
    EXPECT_EQ(DifferingPixels(gone, away), 0);  // flat again once the pointer has left
    EXPECT_GT(DifferingPixels(away, over), 0);
    EXPECT_GT(DifferingPixels(over, down), 0);
    TPoint po = PictureAt(over), pd = PictureAt(down);
    if (b->IsThemed()) {
        EXPECT_EQ(pd.X, po.X);
        EXPECT_EQ(pd.Y, po.Y);
        return;
    }
    int w = b->Width(), h = b->Height(), mx = w / 2, my = h / 2;
    COLORREF face = ColorToRGB(b->Color()), light = LightenColor(b->Color()), dark = DarkenColor(b->Color());
    EXPECT_EQ(away(0, my), face);
    EXPECT_EQ(away(mx, 0), face);
    EXPECT_EQ(away(w - 1, my), face);
    EXPECT_EQ(away(mx, h - 1), face);
    // Raised over, sunken down; no focus outline (no Emphasis).
    EXPECT_EQ(over(0, my), light);
    EXPECT_EQ(over(mx, 0), light);
    EXPECT_EQ(over(w - 1, my), 0u);
    EXPECT_EQ(over(w - 2, my), dark);
    EXPECT_EQ(over(mx, h - 2), dark);
    EXPECT_EQ(down(0, my), 0u);
    EXPECT_EQ(down(mx, 0), 0u);
    EXPECT_EQ(down(1, my), dark);
    EXPECT_EQ(down(mx, 1), dark);
    EXPECT_EQ(down(w - 1, my), light);
    EXPECT_EQ(down(mx, h - 1), light);
    EXPECT_EQ(pd.X, po.X + 1);
    EXPECT_EQ(pd.Y, po.Y + 1);
    TRect r = Rect(2, 2, w - 2, h - 2);  // inside the dark line of the sunken frame
    EXPECT_EQ(Where(CaptionInk(down, *b, r, pd)), Where(Moved(CaptionInk(over, *b, r, po), 1, 1)));
}

TEST_F(Gallery, FlatButtonWithoutCoolGetsNoFrameAndShiftsOnlyWithoutStyles) {
    auto* b = Form->Get<TFlatBitColorBtn>("btnFlat");
    ASSERT_TRUE(b && !b->Cool());
    LeaveAlone(*b);
    TPixels away = Snap(*b);
    HoverOver(*b);
    TPixels over = Snap(*b);
    PressAndHold(*b);
    TPixels down = Snap(*b);
    LetGoAway(*b);
    TPoint po = PictureAt(over), pd = PictureAt(down);
    if (b->IsThemed()) {
        EXPECT_EQ(pd.X, po.X);
        EXPECT_EQ(pd.Y, po.Y);
        return;
    }
    EXPECT_EQ(DifferingPixels(away, over), 0);
    int w = b->Width(), h = b->Height();
    COLORREF face = ColorToRGB(b->Color());
    for (int x = 0; x < w; ++x) {
        EXPECT_EQ(down(x, 0), face) << x;
        EXPECT_EQ(down(x, h - 1), face) << x;
    }
    for (int y = 0; y < h; ++y) {
        EXPECT_EQ(down(0, y), face) << y;
        EXPECT_EQ(down(w - 1, y), face) << y;
    }
    EXPECT_EQ(pd.X, po.X + 1);
    EXPECT_EQ(pd.Y, po.Y + 1);
    TRect all = Rect(0, 0, w, h);
    EXPECT_EQ(Where(CaptionInk(down, *b, all, pd)), Where(Moved(CaptionInk(over, *b, all, po), 1, 1)));
}

// ---- Where picture and caption go.

TEST_F(Gallery, PictureAndCaptionArePlacedByCaptionPosition) {
    Form->Get<TEdit>("edtName")->SetFocus();
    MoveMouseAway();
    PumpIdle();
    for (const char* name : {"btnCapNone", "btnCapLeft", "btnCapTop", "btnCapRight", "btnCapBottom"}) {
        SCOPED_TRACE(name);
        auto* b = Form->Get<TBitColorBtn>(name);
        ASSERT_TRUE(b);
        TPixels p = Snap(*b);
        TCaptionMetrics m = MeasureCaption(*b);
        TRect r = ContentRect(*b, false);
        TPlacement e = Place(b->CaptionPosition(), r, m.Width, m.Height, KPicture, KPicture);
        TPoint at = PictureAt(p);
        EXPECT_EQ(at.X, e.Picture.X);
        EXPECT_EQ(at.Y, e.Picture.Y);
        TCaptionPosition pos = b->CaptionPosition();
        bool leftOrRight = pos == TCaptionPosition::cpLeft || pos == TCaptionPosition::cpRight;
        // The themed face under the caption is not of one colour.
        if (b->IsThemed() && leftOrRight) continue;
        TRect ink = b->IsThemed() ? CaptionInkByRemoval(*b) : CaptionInk(p, *b, r, at);
        if (pos == TCaptionPosition::cpNone) {
            EXPECT_EQ(ink.Width(), 0) << Where(ink);
        } else {
            EXPECT_EQ(Where(ink), Where(Moved(m.Ink, e.Caption.X + 1, e.Caption.Y + 1)));
        }
    }
}

TEST_F(Gallery, PlainCaptionCentredForEvenAndOddSpace) {
    auto* b = Form->Get<TColorBtn>("btnPlain");
    Form->Get<TEdit>("edtName")->SetFocus();
    MoveMouseAway();
    PumpIdle();
    int width = b->Width();
    TCaptionMetrics m = MeasureCaption(*b);
    // 10 pixels to spare put the caption 6 in, 9 put it 4 in; both widths give both cases.
    for (int w : {width, width + 1}) {
        SCOPED_TRACE(w);
        b->SetWidth(w);
        b->Repaint();
        PumpIdle();
        TRect r = ContentRect(*b, false);
        int sx = r.Width() - m.Width, sy = r.Height() - m.Height;
        TPoint at{r.Left + sx / 2 - sx % 2 + 1, r.Top + sy / 2 - sy % 2 + 1};
        COLORREF face = ColorToRGB(b->Color());
        TRect ink = b->IsThemed() ? CaptionInkByRemoval(*b) : BoundsOf(Snap(*b), r, [face](COLORREF c) { return c != face; });
        EXPECT_EQ(Where(ink), Where(Moved(m.Ink, at.X, at.Y)));
    }
    b->SetWidth(width);
    PumpIdle();
}

// ---- Alt-key repaint: Alt changes the keyboard cues of the focused form, the system tells the
// form with WM_UPDATEUISTATE, and with visual styles every window of the form must repaint for
// the underlines to follow.

TEST_F(Gallery, CueUpdateRepaintsEveryWindowOfTheFormOnlyWithStyles) {
    TForm other(nullptr);
    other.SetBounds(700, 100, 200, 100);
    auto* ob = new TColorBtn(&other);
    ob->SetParent(&other);
    ob->SetCaption("Other");
    other.Show();
    Form->Get<TEdit>("edtName")->SetFocus();
    MoveMouseAway();
    PumpIdle();
    std::vector<HWND> windows = VisibleWindowsIn(*Form);
    ASSERT_GT(windows.size(), 20u);
    {
        // One of the form's own windows told alone is not the form's change.
        TMessageLog log;
        SendMessageA(Form->Get<TColorBtn>("btnPlain")->Handle(), WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEACCEL), 0);
        PumpIdle();
        EXPECT_TRUE(log.Paints.empty()) << Describe(log.Paints.begin()->first);
    }
    TMessageLog log;
    SendMessageA(Form->Handle(), WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEACCEL), 0);
    PumpIdle();
    EXPECT_EQ(log.Paints[ob->Handle()], 0) << "another form repainted";
    EXPECT_EQ(log.Paints[Form->Handle()] > 0, UseThemes());
    for (HWND w : windows) {
        if (UseThemes()) {
            EXPECT_GE(log.Paints[w], 1) << Describe(w);
        } else {
            EXPECT_EQ(log.Paints[w], 0) << Describe(w);
        }
    }
}

TEST_F(Gallery, FocusNeverEntersADeactiveMemo) {
    auto* m = Form->Get<TDeactiveMemo>("dmemoText");
    ASSERT_TRUE(m);
    EXPECT_EQ(m->Memo().LineCount(), 2);
    auto* edit = Form->Get<TEdit>("edtName");
    edit->SetFocus();
    Pump();
    ClickAt(*m, 5, 5);
    EXPECT_NE(GetFocus(), m->Memo().Handle());
    for (int i = 0; i < 8; ++i) {
        PressKey(VK_TAB);
        EXPECT_NE(GetFocus(), m->Memo().Handle());
    }
    // A change in place shows at once.
    m->Lines().SetText("one\r\ntwo\r\nthree");
    EXPECT_EQ(m->Memo().LineCount(), 3);
    m->Lines().SetText("First line\r\nSecond line");
}

TEST_F(Gallery, DeactiveMemoTakesItsNewParentsColour) {
    auto* m = Form->Get<TDeactiveMemo>("dmemoText");
    auto* white = Form->Get<TPanel>("pnlWhite");
    TWinControl* old = m->Parent();
    m->SetParent(white);
    EXPECT_EQ(m->Color(), white->Color());
    EXPECT_EQ(m->Memo().Color(), white->Color());
    m->SetParent(old);
}

TEST(DeactiveMemoStreaming, RealLinesFollowThePublishedLines) {
    TForm holder(nullptr);
    auto* m = new TDeactiveMemo(&holder);
    m->SetName("dm");
    TFormObject empty = WriteComponentProperties(*m, "dm");
    EXPECT_EQ(empty.Find("Lines.Strings"), nullptr);
    EXPECT_EQ(empty.Find("RealLines"), nullptr);
    EXPECT_EQ(empty.Find("Enabled")->Kind, TValueKind::vkFalse);
    EXPECT_EQ(empty.Find("ParentColor")->Kind, TValueKind::vkTrue);
    m->Lines().SetText("a\r\nb");
    TFormObject full = WriteComponentProperties(*m, "dm");
    EXPECT_EQ(full.Find("Lines.Strings")->AsStrings(""), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(full.Find("RealLines")->Str, "a\r\nb\r\n");
    EXPECT_EQ(full.Properties.back().Name, "RealLines");
    // Disagreeing values: RealLines decides.
    full.Properties.back().Value = TFormValue::String("x\r\ny\r\nz\r\n");
    TDeactiveMemo fresh(nullptr);
    ReadComponentProperties(fresh, full, nullptr);
    EXPECT_EQ(fresh.Lines().Count(), 3);
    full.Properties.back().Value = TFormValue::Integer(1);
    EXPECT_THROW(ReadComponentProperties(fresh, full, nullptr), EReadError);
}

TEST(Notifier, MessageOnlyLayout) {
    TForm owner(nullptr);
    owner.SetBounds(100, 100, 400, 300);
    owner.Show();
    auto* n = new TNotifier(&owner);
    n->SetCaption("");
    n->SetMsg("Now installing...");
    n->ShowOver(&owner);
    Pump();
    TLabel& l = n->Label();
    EXPECT_EQ(n->Window().ClientHeight(), l.Height() + 30);
    EXPECT_EQ(l.Top(), 15);
    EXPECT_EQ(l.Left(), 9);
    EXPECT_EQ(n->Window().ClientWidth(), static_cast<int>(std::nearbyint(l.Width() * 1.2)));
    EXPECT_FALSE(owner.Enabled());
    EXPECT_FALSE(IsWindowEnabled(owner.Handle()));
    Screenshot(n->Window(), "notifier-message");
    int width = n->Window().Width();
    n->SetMsg("Now installing.");   // same height, other width: nothing moves
    EXPECT_EQ(n->Window().Width(), width);
    delete n;
    EXPECT_TRUE(owner.Enabled());
}

TEST(Notifier, CancelButtonAndProgressBarAndEscape) {
    TForm owner(nullptr);
    owner.SetBounds(100, 100, 400, 300);
    owner.Show();
    TNotifier n(&owner);
    n.SetCaption("A caption much wider than the message itself");
    n.SetCanCancel(true);
    n.SetMsg("Copying");
    int cancels = 0;
    n.OnCancel = [&](TObject*) { ++cancels; };
    n.ShowCentered();
    Pump();
    TLabel& l = n.Label();
    EXPECT_EQ(l.Top(), 8);
    EXPECT_EQ(n.CancelButton().Top(), 8 + l.Height() + 10);
    EXPECT_EQ(n.Window().ClientHeight(), l.Height() + 30 + 20);
    int capW = n.Window().ControlCanvas().TextWidth(n.Caption());
    EXPECT_EQ(n.Window().ClientWidth(), static_cast<int>(std::nearbyint(capW * 1.2)));
    Screenshot(n.Window(), "notifier-cancel");
    SetForegroundWindow(n.Window().Handle());
    n.Window().SetFocus();
    Pump();
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(n.IsCancel());
    EXPECT_EQ(cancels, 1);
    EXPECT_FALSE(n.Showing());
    EXPECT_TRUE(owner.Enabled());

    n.SetShowProgressBar(true);
    n.ProgressBar().SetPosition(40);
    n.ShowCentered();
    Pump();
    EXPECT_FALSE(n.IsCancel());
    EXPECT_EQ(n.ProgressBar().Top(), l.Top() + l.Height() + 12);
    EXPECT_EQ(n.CancelButton().Top(), n.ProgressBar().Top() + n.ProgressBar().Height() + 4);
    Screenshot(n.Window(), "notifier-progress");
    n.HideWindow();
}

TEST(DebugWindow, NameCaptionAndPlacement) {
    ASSERT_NE(Debug, nullptr);  // test_gui.exe
    TDebug* saved = Debug;
    Debug = nullptr;
    InitializeDebugFor("MyDelphiTool.exe");
    EXPECT_EQ(Debug, nullptr);
    InitializeDebugFor("Installer.exe");
    ASSERT_NE(Debug, nullptr);
    EXPECT_EQ(Debug->Caption(), "DEBUG PROCESS  [Installer.exe]");
    EXPECT_EQ(Debug->Left(), Screen->Width() - 200);
    EXPECT_EQ(Debug->Top(), 0);
    EXPECT_EQ(Debug->Width(), 200);
    EXPECT_EQ(Debug->Height(), Screen->Height());
    EXPECT_FALSE(Debug->Visible());
    EXPECT_EQ(TraceTarget(), Debug);
    delete Debug;
    EXPECT_EQ(TraceTarget(), nullptr);  // no dangling target
    Debug = saved;
    SetTraceTarget(saved);
}

TEST(DebugWindow, TracesShowTheWindowAndKeepAtMostMaxLines) {
    TDebug& d = *Debug;
    d.Trace("**** ActID  96");
    Pump();
    EXPECT_TRUE(d.Visible());
    EXPECT_EQ(d.mmDebugData->LineCount(), 1);
    // Controls hidden: the memo fills the window.
    EXPECT_EQ(d.mmDebugData->Height(), d.ClientHeight());
    d.SetControlsHidden(false);
    EXPECT_EQ(d.mmDebugData->Height(), d.ClientHeight() - 70);
    EXPECT_EQ(d.btStep->Top(), d.ClientHeight() - 70 + 5);
    Pump();
    Screenshot(d, "debug");
    d.SetControlsHidden(true);
    std::string block;
    for (int i = 2; i <= MaxDebugLines + 2; ++i) { block += "line " + std::to_string(i); if (i <= MaxDebugLines + 1) block += "\r\n"; }
    d.Trace(block);  // 65537 lines in all
    EXPECT_EQ(d.mmDebugData->LineCount(), MaxDebugLines + 2);
    d.Trace(42);
    EXPECT_EQ(d.mmDebugData->LineCount(), MaxDebugLines);  // three went, one came
    d.SetVisible(false);
}

TEST(DebugWindow, SWFActionsAreTracedToIt) {
    TDebug& d = *Debug;
    ASSERT_EQ(TraceTarget(), &d);
    d.mmDebugData->Lines().Clear();
    const uint8_t body[] = {0x96, 0x02, 0x00, 0x08, 0x01, 0x07, 0x00};  // push, stop, end
    TMemoryStream source;
    source.WriteBuffer(body, sizeof body);
    auto tag = CreateSWFTag(nullptr, SWFTagDoAction, 0, sizeof body, source);
    Pump();
    EXPECT_TRUE(d.Visible());
    ASSERT_EQ(d.mmDebugData->LineCount(), 3);
    EXPECT_EQ(d.mmDebugData->Lines()[0], "**** ActID  96");
    EXPECT_EQ(d.mmDebugData->Lines()[1], "**** ActID  07");
    EXPECT_EQ(d.mmDebugData->Lines()[2], "**** ActID  00");
    d.SetVisible(false);
}

void CALLBACK PressStep(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    Debug->btStep->Click();
}

TEST(DebugWindow, StepModeWaitsForStep) {
    TDebug& d = *Debug;
    d.SetStepMode(true);
    EXPECT_TRUE(d.chStep->Checked());
    EXPECT_FALSE(d.ControlsHidden());
    d.SetVisible(true);
    Pump();
    // Press STEP from a timer while the trace waits.
    UINT_PTR timer = SetTimer(nullptr, 0, 300, PressStep);
    auto start = std::chrono::steady_clock::now();
    d.Trace("wait here");
    auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(250));
    KillTimer(nullptr, timer);
    d.SetStepMode(false);
    d.SetControlsHidden(true);
    d.SetVisible(false);
}

TEST(Framework, BitmapFilesRoundTripAndDamageIsRefused) {
    TBitmap b;
    DrawPicture(b, 13, 7, clRed);
    TMemoryStream m;
    b.SaveToStream(m);
    m.SetPosition(0);
    TBitmap c;
    c.LoadFromStream(m);
    EXPECT_EQ(m.Position(), m.Size());
    EXPECT_EQ(c.Width(), 13);
    EXPECT_EQ(c.PixelFormat(), pf24bit);
    EXPECT_EQ(c.Canvas().Pixel(0, 0), static_cast<TColor>(clFuchsia));
    EXPECT_EQ(c.Canvas().Pixel(5, 3), static_cast<TColor>(clRed));
    c.SetMonochrome(true);
    EXPECT_EQ(c.PixelFormat(), pf1bit);
    std::string bytes(reinterpret_cast<const char*>(m.Memory()), static_cast<size_t>(m.Size()));
    for (size_t n : {size_t(0), size_t(10), size_t(40), bytes.size() - 1}) {
        TMemoryStream t;
        t.WriteBuffer(bytes.data(), n);
        t.SetPosition(0);
        TBitmap x;
        EXPECT_THROW(x.LoadFromStream(t), EInvalidGraphic) << n;
    }
    std::string wide = bytes;
    wide[18] = '\x7F'; wide[19] = '\x7F';  // a width the pixels do not have
    TMemoryStream t;
    t.WriteBuffer(wide.data(), wide.size());
    t.SetPosition(0);
    TBitmap x;
    EXPECT_THROW(x.LoadFromStream(t), EInvalidGraphic);
}

// A one-image icon file: 16 x 16, 32 bits per pixel, opaque red, with its AND mask.
std::string SmallIconFile() {
    std::string img;
    auto le32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) img += static_cast<char>(v >> (8 * i)); };
    auto le16 = [&](uint16_t v) { img += static_cast<char>(v); img += static_cast<char>(v >> 8); };
    le32(40); le32(16); le32(32); le16(1); le16(32); le32(0); le32(16 * 16 * 4 + 16 * 4); le32(0); le32(0); le32(0); le32(0);
    for (int i = 0; i < 256; ++i) { img += '\0'; img += '\0'; img += '\xFF'; img += '\xFF'; }
    img += std::string(16 * 4, '\0');
    std::string f;
    auto put16 = [&](uint16_t v) { f += static_cast<char>(v); f += static_cast<char>(v >> 8); };
    auto put32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) f += static_cast<char>(v >> (8 * i)); };
    put16(0); put16(1); put16(1);
    f += '\x10'; f += '\x10'; f += '\0'; f += '\0'; put16(1); put16(32); put32(static_cast<uint32_t>(img.size())); put32(22);
    return f + img;
}

// A form whose destroy handler reads its own members: it must run while they still exist.
class TMemberForm : public TGalleryForm {
public:
    explicit TMemberForm(TComponent* owner) : TGalleryForm(owner) {
        OnDestroy = [this](TObject*) { Seen.push_back(static_cast<int>(Members.size())); };
    }
    ~TMemberForm() override { DoDestroy(); }
    std::vector<int> Members{1, 2, 3};
    static std::vector<int> Seen;
};
std::vector<int> TMemberForm::Seen;

TEST(Framework, DestroyHandlerRunsOnceWhileTheDerivedFormStillExists) {
    TMemberForm::Seen.clear();
    delete new TMemberForm(Application);
    EXPECT_EQ(TMemberForm::Seen, std::vector<int>{3});
}

TEST(Framework, BitmapsLoadExactlyWhatTheBitmapFileCheckAccepts) {
    auto stream = [](const std::vector<uint8_t>& b, TMemoryStream& m) {
        m.WriteBuffer(b.data(), b.size());
        m.SetPosition(0);
    };
    TMemoryStream rle;
    stream(oddbitmaps::RunLength8(), rle);
    TBitmap refused;
    try {
        refused.LoadFromStream(rle);
        ADD_FAILURE() << "a run-length picture was loaded";
    } catch (const EInvalidGraphic& e) {
        EXPECT_NE(e.Message().find("run-length"), std::string::npos) << e.Message();
    }
    EXPECT_TRUE(refused.Empty());

    TMemoryStream odd;
    stream(oddbitmaps::BitFields444(), odd);
    TBitmap b;
    b.LoadFromStream(odd);
    EXPECT_EQ(odd.Position(), odd.Size());
    ASSERT_EQ(b.Width(), 2);
    EXPECT_EQ(b.PixelFormat(), pf24bit);
    EXPECT_EQ(b.Canvas().Pixel(0, 0), static_cast<TColor>(oddbitmaps::BitFields444Pixels[0]));
    EXPECT_EQ(b.Canvas().Pixel(1, 0), static_cast<TColor>(oddbitmaps::BitFields444Pixels[1]));
    EXPECT_EQ(b.Canvas().Pixel(0, 1), static_cast<TColor>(oddbitmaps::BitFields444Pixels[2]));
    EXPECT_EQ(b.Canvas().Pixel(1, 1), static_cast<TColor>(oddbitmaps::BitFields444Pixels[3]));
}

TEST(Framework, IconFilesLoadSaveAndRefuseDamage) {
    std::string file = SmallIconFile();
    TMemoryStream m;
    m.WriteBuffer(file.data(), file.size());
    m.SetPosition(0);
    TIcon icon;
    EXPECT_TRUE(icon.Empty());
    icon.LoadFromStream(m);
    EXPECT_FALSE(icon.Empty());
    EXPECT_EQ(icon.Width(), 16);
    EXPECT_NE(icon.Handle(), nullptr);
    TMemoryStream out;
    icon.SaveToStream(out);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(out.Memory()), static_cast<size_t>(out.Size())), file);
    for (size_t n : {size_t(3), size_t(10), size_t(30), file.size() - 1}) {
        TMemoryStream t;
        t.WriteBuffer(file.data(), n);
        t.SetPosition(0);
        TIcon bad;
        EXPECT_THROW(bad.LoadFromStream(t), EInvalidGraphic) << n;
    }
}

TEST(Framework, BitmapListStreamsAndRejectsDamage) {
    TBitmapList list(nullptr);
    TBitmap pic;
    DrawPicture(pic, 20, 10, clBlue);
    list.Add("icon", pic, clFuchsia);
    DrawPicture(pic, 8, 8, clGreen);
    list.Add("Left", pic);
    list.SetCompressed(true);
    TMemoryStream s;
    list.WriteBitmaps(s);
    s.SetPosition(0);
    TBitmapList back(nullptr);
    back.ReadBitmaps(s);
    EXPECT_TRUE(back.Compressed());
    EXPECT_EQ(back.AreaSize(), list.AreaSize());
    TBitmap got, mask;
    back.GetBitmap("Icon", &got);  // any case
    back.GetMask("ICON", &mask);
    EXPECT_EQ(got.Width(), 20);
    EXPECT_EQ(mask.Canvas().Pixel(0, 0), static_cast<TColor>(clWhite));
    EXPECT_EQ(mask.Canvas().Pixel(5, 5), static_cast<TColor>(clBlack));
    back.GetBitmap("missing", &got);
    EXPECT_TRUE(got.Empty());
    // An offset past the data and a count past the stream are refused with a clear error.
    std::string bytes(reinterpret_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size()));
    std::string badCount = bytes;
    badCount[0] = '\x7F';
    std::string badOffset = bytes;
    size_t at = 4 + 4 + 4;  // first entry: name length 4, "Left" (sorted first), then offset
    badOffset[at + 4] = '\x7F'; badOffset[at + 7] = '\x7F';
    for (const std::string& bad : {badCount, badOffset, bytes.substr(0, bytes.size() - 3)}) {
        TMemoryStream t;
        t.WriteBuffer(bad.data(), bad.size());
        t.SetPosition(0);
        TBitmapList l(nullptr);
        EXPECT_THROW(l.ReadBitmaps(t), EReadError);
        EXPECT_FALSE(l.HasBitmap("icon"));
    }
}

// Stands in for a button: shows the pictures named in Ids and counts the repaints asked of it.
struct TCountingClient : IBitmapListClient {
    std::vector<std::string> Ids;
    int Changed = 0;
    TBitmapList* List = nullptr;
    void GetImageIDs(TStrings& s) override { for (const auto& id : Ids) s.Add(id); }
    void ImageChanged() override { ++Changed; }
    void SetBitmapList(TBitmapList* v) override { List = v; }
    TBitmapList* GetBitmapList() override { return List; }
};

TEST(Framework, BitmapListEditsCompactTheAreaAndNotifyTheClientsShowingTheName) {
    TBitmapList list(nullptr);
    TCountingClient icon, other;
    icon.Ids = {"ICON"};
    other.Ids = {"Left"};
    list.RegisterClient(&icon);
    list.RegisterClient(&other);
    list.RegisterClient(&icon);  // registered once only
    TBitmap a, b;
    DrawPicture(a, 20, 10, clBlue);
    DrawPicture(b, 30, 12, clGreen);
    list.Add("Left", b);
    list.Add("icon", a, clFuchsia);
    EXPECT_EQ(icon.Changed, 2);  // picture and mask
    EXPECT_EQ(other.Changed, 1);
    const int64_t withBoth = list.AreaSize();

    // Replacing without a colour: old bytes cut out, the new file at the end, one repaint.
    icon.Changed = 0;
    DrawPicture(a, 40, 10, clRed);
    list.Add("icon", a);
    EXPECT_EQ(icon.Changed, 1);
    EXPECT_EQ(other.Changed, 1);
    TBitmap got, mask;
    list.GetBitmap("Icon", &got);
    EXPECT_EQ(got.Width(), 40);
    list.GetMask("icon", &mask);
    EXPECT_EQ(mask.Width(), 20);  // the old mask stays until replaced
    list.GetBitmap("left", &got);
    EXPECT_EQ(got.Width(), 30);   // an entry behind the cut one still finds its file

    // A mask made later notifies once more; deleting takes picture and mask out of the area.
    icon.Changed = 0;
    list.CreateMask("icon", clFuchsia);
    EXPECT_GE(icon.Changed, 1);
    list.GetMask("icon", &mask);
    EXPECT_EQ(mask.Width(), 40);
    TMemoryStream leftOnly;
    list.GetBitmap("Left", &got);
    got.SaveToStream(leftOnly);
    list.Delete("ICON");
    EXPECT_FALSE(list.HasBitmap("icon"));
    list.GetMask("icon", &mask);
    EXPECT_TRUE(mask.Empty());
    EXPECT_EQ(list.AreaSize(), leftOnly.Size());
    EXPECT_LT(list.AreaSize(), withBoth);

    // Renaming keeps the file and does not notify; unknown names are no errors.
    other.Changed = 0;
    list.Rename("Left", "LEFT");
    EXPECT_EQ(list.ImageNames(), std::vector<std::string>{"LEFT"});
    EXPECT_EQ(other.Changed, 0);
    list.Delete("missing");
    list.Rename("missing", "x");
    list.GetBitmap("LEFT", &got);
    EXPECT_EQ(got.Width(), 30);
    list.UnregisterClient(&icon);
    list.UnregisterClient(&other);
}

TEST(Framework, DestroyingTheListDetachesItsButtons) {
    TForm f(nullptr);
    auto* list = new TBitmapList(nullptr);
    auto* b = new TBitColorBtn(&f);
    b->SetParent(&f);
    b->SetBitmapListProp(list);
    delete list;
    EXPECT_EQ(b->BitmapList(), nullptr);
}

TEST(Framework, HiddenControlsGetTheirWindowsWhenShownInTheirListPlace) {
    TForm f(nullptr);
    auto* first = new TButton(&f);
    first->SetParent(&f);
    auto* page = new TPanel(&f);
    page->SetParent(&f);
    page->SetVisible(false);
    auto* inner = new TButton(&f);
    inner->SetParent(page);
    auto* last = new TButton(&f);
    last->SetParent(&f);
    auto* late = new TButton(&f);
    late->SetParent(&f);
    late->SetVisible(false);
    f.Show();
    Pump();
    EXPECT_TRUE(first->HandleAllocated());
    EXPECT_TRUE(last->HandleAllocated());
    EXPECT_FALSE(page->HandleAllocated());
    EXPECT_FALSE(inner->HandleAllocated());

    page->SetVisible(true);
    ASSERT_TRUE(page->HandleAllocated());
    ASSERT_TRUE(inner->HandleAllocated());
    EXPECT_TRUE(IsWindowVisible(inner->Handle()));
    EXPECT_EQ(GetParent(inner->Handle()), page->Handle());
    // Stacking (and so tab) order is the control list's, not the order of creation.
    EXPECT_EQ(GetWindow(first->Handle(), GW_HWNDNEXT), page->Handle());
    EXPECT_EQ(GetWindow(page->Handle(), GW_HWNDNEXT), last->Handle());
    // Asking for a hidden control's handle makes its window, hidden, in its place.
    HWND h = late->Handle();
    EXPECT_FALSE(IsWindowVisible(h));
    EXPECT_EQ(GetWindow(last->Handle(), GW_HWNDNEXT), h);
    f.Hide();
}

TEST(Framework, ApplicationTitleFromExecutableName) {
    EXPECT_EQ(TitleFromExeName("C:\\Program Files\\INSTALLER.EXE"), "Installer");
    EXPECT_EQ(TitleFromExeName("setup"), "setup");
    EXPECT_EQ(Application->Title(), "test_gui");  // the first character stays as it is
}

}  // namespace
