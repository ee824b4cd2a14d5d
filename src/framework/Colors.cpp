#include "framework/Colors.h"
#ifdef _WIN32
#include <windows.h>
#endif

namespace {
struct TColorName { TColor Color; const char* Name; };
const TColorName KColorNames[] = {
    {clBlack, "clBlack"}, {clMaroon, "clMaroon"}, {clGreen, "clGreen"}, {clOlive, "clOlive"},
    {clNavy, "clNavy"}, {clPurple, "clPurple"}, {clTeal, "clTeal"}, {clGray, "clGray"},
    {clSilver, "clSilver"}, {clRed, "clRed"}, {clLime, "clLime"}, {clYellow, "clYellow"},
    {clBlue, "clBlue"}, {clFuchsia, "clFuchsia"}, {clAqua, "clAqua"}, {clWhite, "clWhite"},
    {clScrollBar, "clScrollBar"}, {clBackground, "clBackground"}, {clActiveCaption, "clActiveCaption"},
    {clInactiveCaption, "clInactiveCaption"}, {clMenu, "clMenu"}, {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"}, {clMenuText, "clMenuText"}, {clWindowText, "clWindowText"},
    {clCaptionText, "clCaptionText"}, {clActiveBorder, "clActiveBorder"},
    {clInactiveBorder, "clInactiveBorder"}, {clAppWorkSpace, "clAppWorkSpace"},
    {clHighlight, "clHighlight"}, {clHighlightText, "clHighlightText"}, {clBtnFace, "clBtnFace"},
    {clBtnShadow, "clBtnShadow"}, {clGrayText, "clGrayText"}, {clBtnText, "clBtnText"},
    {clInactiveCaptionText, "clInactiveCaptionText"}, {clBtnHighlight, "clBtnHighlight"},
    {cl3DDkShadow, "cl3DDkShadow"}, {cl3DLight, "cl3DLight"}, {clInfoText, "clInfoText"},
    {clInfoBk, "clInfoBk"}, {clNone, "clNone"}, {clDefault, "clDefault"},
};

#ifndef _WIN32
// The classic scheme, so that native tests of colour arithmetic have fixed system colours.
const uint32_t KClassicScheme[25] = {
    0xC8C8C8, 0x000000, 0x800000, 0x808080, 0xC0C0C0, 0xFFFFFF, 0x000000, 0x000000, 0x000000,
    0xFFFFFF, 0xC0C0C0, 0xC0C0C0, 0x808080, 0x800000, 0xFFFFFF, 0xC0C0C0, 0x808080, 0x808080,
    0x000000, 0xC0C0C0, 0xFFFFFF, 0x000000, 0xC0C0C0, 0x000000, 0xE1FFFF,
};
#endif
}  // namespace

uint32_t ColorToRGB(TColor color) {
    if (color < 0) {
        int index = color & 0xFF;
#ifdef _WIN32
        return static_cast<uint32_t>(GetSysColor(index));
#else
        return index < 25 ? KClassicScheme[index] : 0;
#endif
    }
    return static_cast<uint32_t>(color) & 0xFFFFFF;
}

bool ColorToIdent(TColor color, std::string& ident) {
    for (const auto& c : KColorNames)
        if (c.Color == color) { ident = c.Name; return true; }
    return false;
}

bool IdentToColor(const std::string& ident, TColor& color) {
    for (const auto& c : KColorNames)
        if (ident == c.Name) { color = c.Color; return true; }
    return false;
}
