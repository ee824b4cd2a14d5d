// TAltFixOnVista: placing it on a form links the Alt-key repaint fix. On Windows 6.0 and later
// with visual styles, a form whose keyboard-cue state changes is repainted with all its windows.
#pragma once
#include "framework/Component.h"
#include "framework/Controls.h"

class TAltFixOnVista : public TComponent {
public:
    KESTRIN_CLASS(TAltFixOnVista)
    explicit TAltFixOnVista(TComponent* owner) : TComponent(owner) {}
};

void InvalidateTree(TWinControl& control);
bool AltFixHookInstalled();
void InitializeAltFixOnVista();
void FinalizeAltFixOnVista();
