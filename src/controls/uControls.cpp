#include "controls/uControls.h"
#include "controls/uComponentClasses.h"
#include "controls/uXPUtils.h"

void InitializeControlUnits() {
    InitializeXPUtils();
    InitializeColorBtn();
    InitializeAltFixOnVista();
}

void FinalizeControlUnits() {
    FinalizeAltFixOnVista();
    FinalizeColorBtn();
    FinalizeXPUtils();
}

void RegisterControlClasses() {
    RegisterFrameworkClasses();
    RegisterComponent<TDeactiveMemo>();
    RegisterComponent<TAltFixOnVista>();
    RegisterComponent<TNotifier>();
    RegisterComponent<TColorBtn>();
    RegisterComponent<TBitColorBtn>();
    RegisterComponent<TFlatBitColorBtn>();
    RegisterComponent<TBitmapList>();
    RegisterComponent<TFileEmbedder>();
}
