// Geometry and pixel-format numbering shared by the graphics classes and their users.
#pragma once

struct TRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
};

struct TPoint {
    int X = 0, Y = 0;
};

inline TRect Rect(int left, int top, int right, int bottom) { return TRect{left, top, right, bottom}; }
inline TRect Bounds(int left, int top, int width, int height) { return TRect{left, top, left + width, top + height}; }
inline bool PtInRect(const TRect& r, int x, int y) { return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom; }

// Pixel formats as the bitmap class numbers them; a set of them is a mask with bit n for n.
enum TPixelFormat : int {
    pfDevice = 0, pf1bit = 1, pf4bit = 2, pf8bit = 3, pf15bit = 4, pf16bit = 5, pf24bit = 6, pf32bit = 7,
    pfCustom = 8,
};

// Modal results of forms and message boxes.
enum TModalResult : int { mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6, mrNo = 7 };
