// Every component class a form resource may name, declared (nothing of them is linked by this):
// what a registration of the classes of one form includes.
#pragma once
#include "controls/uAltFixOnVista.h"
#include "controls/uBitmapList.h"
#include "controls/uColorBtn.h"
#include "controls/uDeactiveMemo.h"
#include "controls/uFileEmbedder.h"
#include "controls/uNotifier.h"
#include "framework/ComCtrls.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
