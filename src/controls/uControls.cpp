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
