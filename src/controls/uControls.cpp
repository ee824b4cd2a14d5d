#include "controls/uControls.h"
#include "controls/uFileEmbedder.h"
#include "controls/uAltFixOnVista.h"
#include "controls/uBitmapList.h"
#include "controls/uColorBtn.h"
#include "controls/uDeactiveMemo.h"
#include "controls/uDebug.h"
#include "controls/uNotifier.h"
#include "controls/uXPUtils.h"
#include "framework/Forms.h"

void InitializeControlUnits() {
    InitializeXPUtils();
    InitializeColorBtn();
    InitializeAltFixOnVista();
    InitializeDebug();
}

void FinalizeControlUnits() {
    FinalizeDebug();
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
