// Graphics: fonts, pens, brushes, the canvas over a device context, bitmaps (BMP files) and
// icons (ICO files), as thin owners of their GDI handles.
#pragma once
#include "base/PixelBuffer.h"
#include <windows.h>
#include "framework/Colors.h"
#include "framework/Component.h"
#include "framework/Types.h"
#include "base/Classes.h"
#include "base/SysUtils.h"
#include <string>
#include <vector>

KESTRIN_EXCEPTION(EInvalidGraphic, Exception);
KESTRIN_EXCEPTION(EOutOfResources, Exception);

inline RECT ToRECT(const TRect& r) { return RECT{r.Left, r.Top, r.Right, r.Bottom}; }
inline TRect FromRECT(const RECT& r) { return TRect{r.left, r.top, r.right, r.bottom}; }

// Owns one GDI object.
class TGdiHandle {
public:
    TGdiHandle() = default;
    explicit TGdiHandle(HGDIOBJ h) : FHandle(h) {}
    ~TGdiHandle() { Reset(); }
    TGdiHandle(const TGdiHandle&) = delete;
    TGdiHandle& operator=(const TGdiHandle&) = delete;
    void Reset(HGDIOBJ h = nullptr) { if (FHandle) DeleteObject(FHandle); FHandle = h; }
    HGDIOBJ Get() const { return FHandle; }
    explicit operator bool() const { return FHandle != nullptr; }
private:
    HGDIOBJ FHandle = nullptr;
};

class TGraphicsObject : public TPersistent {
public:
    TNotifyEvent OnChange;
protected:
    void Changed() { OnChange(this); }
};

enum : uint32_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = uint32_t;
enum TFontPitch { fpDefault, fpVariable, fpFixed };

class TFont : public TGraphicsObject {
public:
    KESTRIN_CLASS(TFont)
    TFont();
    const std::string& Name() const { return FName; }
    void SetName(const std::string& v);
    int Height() const { return FHeight; }
    void SetHeight(int v);
    int Size() const;          // points at the screen's resolution
    void SetSize(int points);
    int Charset() const { return FCharset; }
    void SetCharset(int v);
    TColor Color() const { return FColor; }
    void SetColor(TColor v);
    TFontStyles Style() const { return FStyle; }
    void SetStyle(TFontStyles v);
    int Pitch() const { return FPitch; }
    void SetPitch(int v);
    void Assign(const TFont& other);
    bool SameAs(const TFont& other) const;
    HFONT Handle();
    void Properties(TPropFiler& filer) override;
private:
    void Update();
    std::string FName;
    int FHeight;
    int FCharset;
    TColor FColor;
    TFontStyles FStyle = 0;
    int FPitch = fpDefault;
    TGdiHandle FHandle;
};

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear };

class TPen : public TGraphicsObject {
public:
    KESTRIN_CLASS(TPen)
    TColor Color() const { return FColor; }
    void SetColor(TColor v) { if (v != FColor) { FColor = v; FHandle.Reset(); Changed(); } }
    TPenStyle Style() const { return FStyle; }
    void SetStyle(TPenStyle v) { if (v != FStyle) { FStyle = v; FHandle.Reset(); Changed(); } }
    int Width() const { return FWidth; }
    void SetWidth(int v) { if (v != FWidth) { FWidth = v; FHandle.Reset(); Changed(); } }
    HPEN Handle();
private:
    TColor FColor = clBlack;
    TPenStyle FStyle = psSolid;
    int FWidth = 1;
    TGdiHandle FHandle;
};

enum TBrushStyle { bsSolid, bsClear };

class TBrush : public TGraphicsObject {
public:
    KESTRIN_CLASS(TBrush)
    TColor Color() const { return FColor; }
    void SetColor(TColor v) { if (v != FColor) { FColor = v; FHandle.Reset(); if (FStyle == bsClear) FStyle = bsSolid; Changed(); } }
    TBrushStyle Style() const { return FStyle; }
    void SetStyle(TBrushStyle v) { if (v != FStyle) { FStyle = v; FHandle.Reset(); Changed(); } }
    HBRUSH Handle();
private:
    TColor FColor = clWhite;
    TBrushStyle FStyle = bsSolid;
    TGdiHandle FHandle;
};

class TBitmap;

// Draws on a device context it does not own. Pen, brush and font are selected before each
// drawing call and the context's original objects are put back when it is unbound.
class TCanvas : public TObject {
public:
    KESTRIN_CLASS(TCanvas)
    TCanvas();
    ~TCanvas() override;
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    HDC Handle();
    void SetHandle(HDC dc);
    bool HandleAllocated() const { return FHandle != nullptr; }
    TPen& Pen() { return FPen; }
    TBrush& Brush() { return FBrush; }
    TFont& Font() { return FFont; }
    DWORD CopyMode() const { return FCopyMode; }
    void SetCopyMode(DWORD rop) { FCopyMode = rop; }

    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void Rectangle(int left, int top, int right, int bottom);
    void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
    void FillRect(const TRect& r);
    void FrameRect(const TRect& r);
    void TextOut(int x, int y, const std::string& text);
    SIZE TextExtent(const std::string& text);
    int TextWidth(const std::string& text) { return TextExtent(text).cx; }
    int TextHeight(const std::string& text) { return TextExtent(text).cy; }
    int DrawText(const std::string& text, TRect& r, UINT format);
    void DrawFocusRect(const TRect& r);
    void CopyRect(const TRect& dest, TCanvas& source, const TRect& src);
    void Draw(int x, int y, TBitmap& bitmap);
    void StretchDraw(const TRect& dest, TBitmap& bitmap);
    TColor Pixel(int x, int y);
    void SetPixel(int x, int y, TColor c);
    void ClipRect(const TRect& r);
    void RemoveClip();

protected:
    virtual void CreateHandle() {}
    void RequiredState(bool pen, bool brush, bool font);

private:
    HDC FHandle = nullptr;
    HGDIOBJ FOldPen = nullptr, FOldBrush = nullptr, FOldFont = nullptr;
    TPen FPen;
    TBrush FBrush;
    TFont FFont;
    DWORD FCopyMode = SRCCOPY;
};

class TBitmapCanvas;

// A device-independent bitmap section of one of the pixel formats; Canvas draws into it.
class TBitmap : public TPersistent {
public:
    KESTRIN_CLASS(TBitmap)
    TBitmap();
    TBitmap(int width, int height, TPixelFormat format = pfDevice);
    ~TBitmap() override;
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    bool Empty() const { return FWidth == 0 || FHeight == 0; }
    void SetWidth(int w) { SetSize(w, FHeight); }
    void SetHeight(int h) { SetSize(FWidth, h); }
    void SetSize(int w, int h);
    TPixelFormat PixelFormat() const { return FFormat; }
    void SetPixelFormat(TPixelFormat f);
    bool Monochrome() const { return FFormat == pf1bit; }
    void SetMonochrome(bool v);
    HBITMAP Handle() const { return FBitmap; }
    TCanvas& Canvas();
    void Assign(const TBitmap& other);  // a copy of the pixels and the format
    void Clear();                       // empty

    // A whole BMP file from the stream's position; the position ends after the file. Takes what
    // the bitmap-file check accepts; raises EInvalidGraphic, with its message, for the rest.
    void LoadFromStream(TStream& stream);
    // The picture as a 24-bit bitmap.
    void LoadPixels(const TPixelBuffer& pixels);
    void SaveToStream(TStream& stream);
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName);

private:
    friend class TBitmapCanvas;
    void Create(int w, int h, TPixelFormat f, const RGBQUAD* palette, int paletteCount);
    void FreeImage();
    HDC MemoryDC();
    int FWidth = 0, FHeight = 0;
    TPixelFormat FFormat = pfDevice;
    HBITMAP FBitmap = nullptr;
    void* FBits = nullptr;
    HDC FDC = nullptr;
    HGDIOBJ FOldBitmap = nullptr;
    TCanvas* FCanvas = nullptr;
};

// An icon kept as the bytes of its ICO file, with a handle made from its first image.
class TIcon : public TPersistent {
public:
    KESTRIN_CLASS(TIcon)
    TIcon() = default;
    ~TIcon() override;
    TIcon(const TIcon&) = delete;
    TIcon& operator=(const TIcon&) = delete;
    bool Empty() const { return FData.empty(); }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    HICON Handle();
    // Raises EInvalidGraphic for data that is not an icon file.
    void LoadFromStream(TStream& stream);
    void SaveToStream(TStream& stream);
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName);
    void Clear();
    const std::string& Data() const { return FData; }
private:
    std::string FData;
    int FWidth = 0, FHeight = 0;
    HICON FHandle = nullptr;
};

// A screen device context for measuring, released on scope exit.
class TScreenDC {
public:
    TScreenDC() : FDC(GetDC(nullptr)) {}
    ~TScreenDC() { ReleaseDC(nullptr, FDC); }
    TScreenDC(const TScreenDC&) = delete;
    TScreenDC& operator=(const TScreenDC&) = delete;
    HDC Get() const { return FDC; }
private:
    HDC FDC;
};
