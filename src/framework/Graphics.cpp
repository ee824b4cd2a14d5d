#include "framework/Graphics.h"
#include "base/Endian.h"
#include "container/uBitmapFile.h"
#include "container/uIconFile.h"
#include <algorithm>
#include <cstring>
#include <memory>

// ---- font, pen, brush ------------------------------------------------------------------------

namespace {
const char* const KFontStyleNames[] = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};
const TEnumInfo KFontStyleInfo = {KFontStyleNames, 4};
const TIntIdent KCharsets[] = {
    {ANSI_CHARSET, "ANSI_CHARSET"}, {DEFAULT_CHARSET, "DEFAULT_CHARSET"}, {SYMBOL_CHARSET, "SYMBOL_CHARSET"},
    {SHIFTJIS_CHARSET, "SHIFTJIS_CHARSET"}, {OEM_CHARSET, "OEM_CHARSET"},
};
const TIntIdentMap KCharsetMap = {KCharsets, 5};
const char* const KPitchNames[] = {"fpDefault", "fpVariable", "fpFixed"};
const TEnumInfo KPitchInfo = {KPitchNames, 3};

int ScreenLogPixels() {
    TScreenDC dc;
    return GetDeviceCaps(dc.Get(), LOGPIXELSY);
}
}  // namespace

TFont::TFont() : FName("Tahoma"), FHeight(-11), FCharset(DEFAULT_CHARSET), FColor(clWindowText) {}

void TFont::Update() { FHandle.Reset(); Changed(); }
void TFont::SetName(const std::string& v) { if (v != FName) { FName = v; Update(); } }
void TFont::SetHeight(int v) { if (v != FHeight) { FHeight = v; Update(); } }
int TFont::Size() const { return -MulDiv(FHeight, 72, ScreenLogPixels()); }
void TFont::SetSize(int points) { SetHeight(-MulDiv(points, ScreenLogPixels(), 72)); }
void TFont::SetCharset(int v) { if (v != FCharset) { FCharset = v; Update(); } }
void TFont::SetColor(TColor v) { if (v != FColor) { FColor = v; Changed(); } }
void TFont::SetStyle(TFontStyles v) { if (v != FStyle) { FStyle = v; Update(); } }
void TFont::SetPitch(int v) { if (v != FPitch) { FPitch = v; Update(); } }

bool TFont::SameAs(const TFont& o) const {
    return FName == o.FName && FHeight == o.FHeight && FCharset == o.FCharset && FColor == o.FColor &&
           FStyle == o.FStyle && FPitch == o.FPitch;
}

void TFont::Assign(const TFont& o) {
    if (&o == this || SameAs(o)) return;
    FName = o.FName; FHeight = o.FHeight; FCharset = o.FCharset; FColor = o.FColor; FStyle = o.FStyle; FPitch = o.FPitch;
    Update();
}

HFONT TFont::Handle() {
    if (!FHandle) {
        LOGFONTA lf = {};
        lf.lfHeight = FHeight;
        lf.lfWeight = (FStyle & fsBold) ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = (FStyle & fsItalic) ? 1 : 0;
        lf.lfUnderline = (FStyle & fsUnderline) ? 1 : 0;
        lf.lfStrikeOut = (FStyle & fsStrikeOut) ? 1 : 0;
        lf.lfCharSet = static_cast<BYTE>(FCharset);
        lf.lfPitchAndFamily = FPitch == fpFixed ? FIXED_PITCH : FPitch == fpVariable ? VARIABLE_PITCH : DEFAULT_PITCH;
        lstrcpynA(lf.lfFaceName, FName.c_str(), LF_FACESIZE);
        FHandle.Reset(CreateFontIndirectA(&lf));
        if (!FHandle) FHandle.Reset(CreateFontA(FHeight, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma"));
    }
    return static_cast<HFONT>(FHandle.Get());
}

void TFont::Properties(TPropFiler& f) {
    // A stored font is written whole.
    f.IntegerIdent("Charset", FCharset, KCharsetMap, [this](int32_t v) { SetCharset(v); }, std::nullopt);
    f.Color("Color", FColor, [this](TColor v) { SetColor(v); }, std::nullopt);
    f.Integer("Height", FHeight, [this](int32_t v) { SetHeight(v); }, std::nullopt);
    f.String("Name", FName, [this](const std::string& v) { SetName(v); }, true);
    f.Enum("Pitch", FPitch, KPitchInfo, [this](int v) { SetPitch(v); }, fpDefault);
    f.Set("Style", FStyle, KFontStyleInfo, [this](uint32_t v) { SetStyle(v); }, std::nullopt);
}

HPEN TPen::Handle() {
    if (!FHandle) {
        static const int styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL};
        FHandle.Reset(CreatePen(styles[FStyle], FWidth, ColorToRGB(FColor)));
    }
    return static_cast<HPEN>(FHandle.Get());
}

HBRUSH TBrush::Handle() {
    if (!FHandle) {
        if (FStyle == bsClear) {
            LOGBRUSH lb = {BS_HOLLOW, 0, 0};
            FHandle.Reset(CreateBrushIndirect(&lb));
        } else {
            FHandle.Reset(CreateSolidBrush(ColorToRGB(FColor)));
        }
    }
    return static_cast<HBRUSH>(FHandle.Get());
}

// ---- canvas ----------------------------------------------------------------------------------

TCanvas::TCanvas() = default;

TCanvas::~TCanvas() { SetHandle(nullptr); }

HDC TCanvas::Handle() {
    if (!FHandle) CreateHandle();
    if (!FHandle) throw EInvalidGraphic("Canvas does not allow drawing");
    return FHandle;
}

void TCanvas::SetHandle(HDC dc) {
    if (dc == FHandle) return;
    if (FHandle) {
        if (FOldPen) SelectObject(FHandle, FOldPen);
        if (FOldBrush) SelectObject(FHandle, FOldBrush);
        if (FOldFont) SelectObject(FHandle, FOldFont);
        FOldPen = FOldBrush = FOldFont = nullptr;
    }
    FHandle = dc;
}

void TCanvas::RequiredState(bool pen, bool brush, bool font) {
    HDC dc = Handle();
    if (pen) {
        HGDIOBJ old = SelectObject(dc, FPen.Handle());
        if (!FOldPen) FOldPen = old;
    }
    if (brush) {
        HGDIOBJ old = SelectObject(dc, FBrush.Handle());
        if (!FOldBrush) FOldBrush = old;
    }
    if (font) {
        HGDIOBJ old = SelectObject(dc, FFont.Handle());
        if (!FOldFont) FOldFont = old;
        SetTextColor(dc, ColorToRGB(FFont.Color()));
        if (FBrush.Style() == bsClear) {
            SetBkMode(dc, TRANSPARENT);
        } else {
            SetBkMode(dc, OPAQUE);
            SetBkColor(dc, ColorToRGB(FBrush.Color()));
        }
    }
}

void TCanvas::MoveTo(int x, int y) { MoveToEx(Handle(), x, y, nullptr); }
void TCanvas::LineTo(int x, int y) { RequiredState(true, false, false); ::LineTo(FHandle, x, y); }

void TCanvas::Rectangle(int l, int t, int r, int b) {
    RequiredState(true, true, false);
    ::Rectangle(FHandle, l, t, r, b);
}

void TCanvas::FillRect(const TRect& r) {
    RequiredState(false, true, false);
    RECT rc = ToRECT(r);
    ::FillRect(FHandle, &rc, FBrush.Handle());
}

void TCanvas::FrameRect(const TRect& r) {
    RequiredState(false, true, false);
    RECT rc = ToRECT(r);
    ::FrameRect(FHandle, &rc, FBrush.Handle());
}

void TCanvas::TextOut(int x, int y, const std::string& text) {
    RequiredState(false, true, true);
    ::TextOutA(FHandle, x, y, text.data(), static_cast<int>(text.size()));
}

SIZE TCanvas::TextExtent(const std::string& text) {
    RequiredState(false, false, true);
    SIZE s = {0, 0};
    GetTextExtentPoint32A(FHandle, text.data(), static_cast<int>(text.size()), &s);
    return s;
}

int TCanvas::DrawText(const std::string& text, TRect& r, UINT format) {
    RequiredState(false, true, true);
    RECT rc = ToRECT(r);
    int h = ::DrawTextA(FHandle, text.data(), static_cast<int>(text.size()), &rc, format);
    r = FromRECT(rc);
    return h;
}

void TCanvas::DrawFocusRect(const TRect& r) {
    RequiredState(false, true, false);
    RECT rc = ToRECT(r);
    ::DrawFocusRect(FHandle, &rc);
}

void TCanvas::CopyRect(const TRect& dest, TCanvas& source, const TRect& src) {
    RequiredState(false, true, true);
    HDC sdc = source.Handle();
    StretchBlt(FHandle, dest.Left, dest.Top, dest.Width(), dest.Height(), sdc, src.Left, src.Top, src.Width(),
               src.Height(), FCopyMode);
}

void TCanvas::Draw(int x, int y, TBitmap& bitmap) {
    if (bitmap.Empty()) return;
    RequiredState(false, false, false);
    BitBlt(Handle(), x, y, bitmap.Width(), bitmap.Height(), bitmap.Canvas().Handle(), 0, 0, FCopyMode);
}

void TCanvas::StretchDraw(const TRect& dest, TBitmap& bitmap) {
    if (bitmap.Empty()) return;
    HDC dc = Handle();
    int old = SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, dest.Left, dest.Top, dest.Width(), dest.Height(), bitmap.Canvas().Handle(), 0, 0, bitmap.Width(),
               bitmap.Height(), FCopyMode);
    SetStretchBltMode(dc, old);
}

TColor TCanvas::Pixel(int x, int y) { return static_cast<TColor>(GetPixel(Handle(), x, y)); }
void TCanvas::SetPixel(int x, int y, TColor c) { ::SetPixel(Handle(), x, y, ColorToRGB(c)); }

void TCanvas::ClipRect(const TRect& r) {
    HDC dc = Handle();
    HRGN rgn = CreateRectRgn(r.Left, r.Top, r.Right, r.Bottom);
    // Region coordinates are device coordinates: follow the window origin of the context.
    POINT org;
    GetViewportOrgEx(dc, &org);
    OffsetRgn(rgn, org.x, org.y);
    ExtSelectClipRgn(dc, rgn, RGN_AND);
    DeleteObject(rgn);
}

void TCanvas::RemoveClip() { SelectClipRgn(Handle(), nullptr); }

// ---- bitmap ----------------------------------------------------------------------------------

class TBitmapCanvas : public TCanvas {
public:
    explicit TBitmapCanvas(TBitmap& owner) : FOwner(owner) {}
protected:
    void CreateHandle() override { SetHandle(FOwner.MemoryDC()); }
private:
    TBitmap& FOwner;
};

namespace {

int BitCountOf(TPixelFormat f) {
    switch (f) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit: case pf16bit: return 16;
    case pf24bit: return 24;
    case pfDevice: case pf32bit: return 32;
    default: throw EInvalidGraphic("Invalid pixel format");
    }
}

uint32_t Stride(int width, int bits) { return ((static_cast<uint32_t>(width) * bits + 31) / 32) * 4; }

struct TBitmapInfo {
    BITMAPINFOHEADER Header;
    RGBQUAD Colors[256];
};

void DefaultPalette(TPixelFormat f, RGBQUAD* pal, int& count) {
    count = 0;
    if (f == pf1bit) {
        pal[0] = {0, 0, 0, 0};
        pal[1] = {255, 255, 255, 0};
        count = 2;
    } else if (f == pf4bit) {
        static const uint32_t vga[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080,
                                         0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF,
                                         0x00FFFF, 0xFFFFFF};
        for (int i = 0; i < 16; ++i)
            pal[i] = {static_cast<BYTE>(vga[i] >> 16), static_cast<BYTE>(vga[i] >> 8), static_cast<BYTE>(vga[i]), 0};
        count = 16;
    } else if (f == pf8bit) {
        for (int i = 0; i < 216; ++i)
            pal[i] = {static_cast<BYTE>((i % 6) * 51), static_cast<BYTE>((i / 6 % 6) * 51), static_cast<BYTE>((i / 36) * 51), 0};
        for (int i = 216; i < 256; ++i) {
            BYTE g = static_cast<BYTE>((i - 216) * 255 / 39);
            pal[i] = {g, g, g, 0};
        }
        count = 256;
    }
}

}  // namespace

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int width, int height, TPixelFormat format) {
    FFormat = format;
    SetSize(width, height);
}

TBitmap::~TBitmap() {
    FreeImage();
    delete FCanvas;
}

void TBitmap::FreeImage() {
    if (FCanvas) FCanvas->SetHandle(nullptr);
    if (FDC) {
        SelectObject(FDC, FOldBitmap);
        DeleteDC(FDC);
        FDC = nullptr;
    }
    if (FBitmap) DeleteObject(FBitmap);
    FBitmap = nullptr;
    FBits = nullptr;
}

HDC TBitmap::MemoryDC() {
    if (!FBitmap) Create(1, 1, FFormat, nullptr, 0);  // drawing on an empty bitmap needs a surface
    if (!FDC) {
        FDC = CreateCompatibleDC(nullptr);
        if (!FDC) throw EOutOfResources("Out of system resources");
        FOldBitmap = SelectObject(FDC, FBitmap);
    }
    return FDC;
}

TCanvas& TBitmap::Canvas() {
    if (!FCanvas) FCanvas = new TBitmapCanvas(*this);
    return *FCanvas;
}

void TBitmap::Create(int w, int h, TPixelFormat f, const RGBQUAD* palette, int paletteCount) {
    if (w < 0 || h < 0 || w > 32768 || h > 32768) throw EInvalidGraphic("Invalid bitmap size");
    int bits = BitCountOf(f);
    FreeImage();
    FWidth = w;
    FHeight = h;
    FFormat = f;
    if (w == 0 || h == 0) return;
    auto info = std::make_unique<TBitmapInfo>();
    std::memset(info.get(), 0, sizeof(TBitmapInfo));
    BITMAPINFOHEADER& bh = info->Header;
    bh.biSize = sizeof(BITMAPINFOHEADER);
    bh.biWidth = w;
    bh.biHeight = h;
    bh.biPlanes = 1;
    bh.biBitCount = static_cast<WORD>(bits);
    bh.biCompression = BI_RGB;
    if (f == pf16bit) {
        bh.biCompression = BI_BITFIELDS;
        DWORD* masks = reinterpret_cast<DWORD*>(info->Colors);
        masks[0] = 0xF800; masks[1] = 0x07E0; masks[2] = 0x001F;
    } else if (bits <= 8) {
        int count = 0;
        if (palette && paletteCount > 0) {
            count = paletteCount > (1 << bits) ? (1 << bits) : paletteCount;
            std::memcpy(info->Colors, palette, sizeof(RGBQUAD) * static_cast<size_t>(count));
        } else {
            DefaultPalette(f, info->Colors, count);
        }
        bh.biClrUsed = static_cast<DWORD>(count);
    }
    FBitmap = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(info.get()), DIB_RGB_COLORS, &FBits, nullptr, 0);
    if (!FBitmap) {
        FWidth = FHeight = 0;
        throw EOutOfResources("Out of system resources");
    }
}

void TBitmap::SetSize(int w, int h) {
    if (w == FWidth && h == FHeight && (FBitmap || w == 0 || h == 0)) return;
    TBitmap old;
    old.Assign(*this);
    RGBQUAD pal[256];
    int count = 0;
    if (FBitmap && BitCountOf(FFormat) <= 8) count = static_cast<int>(GetDIBColorTable(MemoryDC(), 0, 256, pal));
    Create(w, h, FFormat, count ? pal : nullptr, count);
    if (!old.Empty() && FBitmap)
        BitBlt(MemoryDC(), 0, 0, old.Width(), old.Height(), old.MemoryDC(), 0, 0, SRCCOPY);
}

void TBitmap::SetPixelFormat(TPixelFormat f) {
    if (f == FFormat) return;
    if (Empty()) { BitCountOf(f); FFormat = f; return; }
    TBitmap old;
    old.Assign(*this);
    Create(FWidth, FHeight, f, nullptr, 0);
    BitBlt(MemoryDC(), 0, 0, FWidth, FHeight, old.MemoryDC(), 0, 0, SRCCOPY);
}

void TBitmap::SetMonochrome(bool v) {
    if (v) SetPixelFormat(pf1bit);
    else if (FFormat == pf1bit) SetPixelFormat(pfDevice);
}

void TBitmap::Clear() {
    FreeImage();
    FWidth = FHeight = 0;
}

void TBitmap::Assign(const TBitmap& other) {
    if (&other == this) return;
    if (other.Empty() || !other.FBitmap) {
        Clear();
        FFormat = other.FFormat;
        FWidth = other.FWidth;
        FHeight = other.FHeight;
        return;
    }
    RGBQUAD pal[256];
    int count = 0;
    if (BitCountOf(other.FFormat) <= 8)
        count = static_cast<int>(GetDIBColorTable(const_cast<TBitmap&>(other).MemoryDC(), 0, 256, pal));
    Create(other.FWidth, other.FHeight, other.FFormat, pal, count);
    GdiFlush();
    std::memcpy(FBits, other.FBits, Stride(FWidth, BitCountOf(FFormat)) * static_cast<size_t>(FHeight));
}

void TBitmap::LoadFromStream(TStream& stream) {
    uint8_t fh[BitmapFileHeaderSize];
    if (stream.Read(fh, sizeof fh) != sizeof fh) throw EInvalidGraphic("Bitmap file is truncated");
    const uint32_t fileSize = GetLE32(fh + 2);
    if (fileSize < sizeof fh || static_cast<int64_t>(fileSize - sizeof fh) > stream.Remaining())
        throw EInvalidGraphic("Bitmap file size runs past the data");
    TBuffer file(fileSize);
    std::memcpy(file.Data(), fh, sizeof fh);
    stream.ReadBuffer(file.Data() + sizeof fh, fileSize - sizeof fh);
    TBitmapFileInfo info;
    try {
        info = CheckBitmapFile(file.Data(), file.Size());
        if (!info.StoredAsDrawn()) {
            LoadPixels(DecodeBitmapFile(file.Data(), file.Size()));
            return;
        }
    } catch (const EBitmapFormatError& e) {
        throw EInvalidGraphic(e.Message());
    }
    RGBQUAD pal[256];
    for (uint32_t i = 0; i < info.ColorCount && i < 256; ++i) {
        const uint8_t* c = file.Data() + info.ColorTableOffset + i * info.ColorEntrySize;
        pal[i] = {c[0], c[1], c[2], 0};
    }
    const int w = info.Width, h = info.Height;
    Create(w, h, static_cast<TPixelFormat>(info.PixelFormat()), pal, static_cast<int>(std::min(info.ColorCount, 256u)));
    GdiFlush();
    const size_t stride = Stride(w, info.BitCount);
    const uint8_t* src = file.Data() + info.BitsOffset;
    uint8_t* dst = static_cast<uint8_t*>(FBits);
    for (int y = 0; y < h; ++y) {
        int from = info.TopDown ? h - 1 - y : y;
        std::memcpy(dst + stride * static_cast<size_t>(y), src + stride * static_cast<size_t>(from), stride);
    }
}

void TBitmap::LoadPixels(const TPixelBuffer& pixels) {
    const int w = pixels.Width(), h = pixels.Height();
    Create(w, h, pf24bit, nullptr, 0);
    GdiFlush();
    const size_t stride = Stride(w, 24);
    uint8_t* bits = static_cast<uint8_t*>(FBits);
    for (int y = 0; y < h; ++y) {
        uint8_t* row = bits + stride * static_cast<size_t>(h - 1 - y);  // bottom-up
        for (int x = 0; x < w; ++x) {
            TRGB c = pixels.Pixel(x, y);
            row[3 * x] = static_cast<uint8_t>(c >> 16);
            row[3 * x + 1] = static_cast<uint8_t>(c >> 8);
            row[3 * x + 2] = static_cast<uint8_t>(c);
        }
    }
}

void TBitmap::SaveToStream(TStream& stream) {
    int bits = BitCountOf(FFormat);
    uint32_t stride = Stride(FWidth, bits);
    uint32_t bitsSize = Empty() ? 0 : stride * static_cast<uint32_t>(FHeight);
    RGBQUAD pal[256];
    int colors = 0;
    if (!Empty() && bits <= 8) colors = static_cast<int>(GetDIBColorTable(MemoryDC(), 0, 256, pal));
    uint32_t extra = FFormat == pf16bit ? 12 : static_cast<uint32_t>(colors) * 4;
    uint32_t off = 14 + 40 + extra;
    uint8_t hdr[54] = {};
    hdr[0] = 'B'; hdr[1] = 'M';
    SetLE32(hdr + 2, off + bitsSize);
    SetLE32(hdr + 10, off);
    SetLE32(hdr + 14, 40);
    SetLE32(hdr + 18, static_cast<uint32_t>(FWidth));
    SetLE32(hdr + 22, static_cast<uint32_t>(FHeight));
    SetLE16(hdr + 26, 1);
    SetLE16(hdr + 28, static_cast<uint16_t>(bits));
    SetLE32(hdr + 30, FFormat == pf16bit ? BI_BITFIELDS : BI_RGB);
    SetLE32(hdr + 34, bitsSize);
    SetLE32(hdr + 38, 3780);
    SetLE32(hdr + 42, 3780);
    SetLE32(hdr + 46, static_cast<uint32_t>(colors));
    stream.WriteBuffer(hdr, 54);
    if (FFormat == pf16bit) {
        uint8_t m[12];
        SetLE32(m, 0xF800); SetLE32(m + 4, 0x07E0); SetLE32(m + 8, 0x001F);
        stream.WriteBuffer(m, 12);
    } else if (colors) {
        stream.WriteBuffer(pal, static_cast<size_t>(colors) * 4);
    }
    if (bitsSize) {
        GdiFlush();
        stream.WriteBuffer(FBits, bitsSize);
    }
}

void TBitmap::LoadFromFile(const std::string& fileName) {
    TFileStream f(fileName, fmOpenRead | fmShareDenyNone);
    LoadFromStream(f);
}

void TBitmap::SaveToFile(const std::string& fileName) {
    TMemoryStream m;
    SaveToStream(m);
    m.SaveToFile(fileName);
}

// ---- icon ------------------------------------------------------------------------------------

TIcon::~TIcon() { Clear(); }

void TIcon::Clear() {
    if (FHandle) DestroyIcon(FHandle);
    FHandle = nullptr;
    FData.clear();
    FWidth = FHeight = 0;
}

void TIcon::LoadFromStream(TStream& stream) {
    std::string data;
    try {
        data = ReadIconFile(stream);
    } catch (const EIconFormatError& e) {
        throw EInvalidGraphic(e.Message());
    }
    Clear();
    FData = std::move(data);
    const TIconImageInfo first = CheckIconFile(reinterpret_cast<const uint8_t*>(FData.data()), FData.size()).Images[0];
    FWidth = first.Width;
    FHeight = first.Height;
}

HICON TIcon::Handle() {
    if (!FHandle && !FData.empty()) {
        const uint8_t* e = reinterpret_cast<const uint8_t*>(FData.data()) + 6;
        uint32_t size = GetLE32(e + 8), off = GetLE32(e + 12);
        FHandle = CreateIconFromResourceEx(reinterpret_cast<PBYTE>(FData.data() + off), size, TRUE, 0x00030000,
                                           FWidth, FHeight, LR_DEFAULTCOLOR);
    }
    return FHandle;
}

void TIcon::SaveToStream(TStream& stream) {
    if (!FData.empty()) stream.WriteBuffer(FData.data(), FData.size());
}

void TIcon::LoadFromFile(const std::string& fileName) {
    TFileStream f(fileName, fmOpenRead | fmShareDenyNone);
    LoadFromStream(f);
}

void TIcon::SaveToFile(const std::string& fileName) {
    TFileStream f(fileName, fmCreate);
    SaveToStream(f);
}
