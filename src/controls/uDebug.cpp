#include "controls/uDebug.h"
#include <cstdio>

TDebug* Debug = nullptr;

namespace {
int GInitCount = 0;
}

TDebug::TDebug() : TForm(nullptr) {
    RegisterMethod("FormCreate", [this](TObject*) { SetControlsHidden(true); });
    RegisterMethod("FormDestroy", [](TObject*) {});
    RegisterMethod("FormResize", [this](TObject* s) { FormResize(s); });
    RegisterMethod("btStepClick", [this](TObject*) { FStepPressed = true; });
    RegisterMethod("btInvisibleClick", [this](TObject*) { SetControlsHidden(true); });
    RegisterMethod("btHideClick", [this](TObject*) { SetVisible(false); });
    RegisterMethod("chStepClick", [this](TObject*) { SetStepMode(chStep->Checked()); });
    RegisterMethod("mmDebugDataDblClick", [this](TObject*) { SetControlsHidden(false); });
    RegisterMethod("SelectAllClick", [this](TObject*) { mmDebugData->SelectAll(); });
    LoadFormResource();
}

void TDebug::Loaded() {
    TForm::Loaded();
    btStep = dynamic_cast<TButton*>(FindComponent("btStep"));
    btInvisible = dynamic_cast<TButton*>(FindComponent("btInvisible"));
    btHide = dynamic_cast<TButton*>(FindComponent("btHide"));
    chStep = dynamic_cast<TCheckBox*>(FindComponent("chStep"));
    mmDebugData = dynamic_cast<TMemo*>(FindComponent("mmDebugData"));
    popupDummy = dynamic_cast<TPopupMenu*>(FindComponent("popupDummy"));
    if (!btStep || !btInvisible || !btHide || !chStep || !mmDebugData || !popupDummy)
        throw EReadError("The Debug form resource lacks one of its controls");
}

void TDebug::CreateParams(TCreateParams& p) {
    TForm::CreateParams(p);
    p.Style = WS_CAPTION | WS_THICKFRAME | WS_MINIMIZEBOX;
}

TDebug::~TDebug() {
    if (TraceTarget() == this) SetTraceTarget(nullptr);
}

void TDebug::Trace(double value) {
    // The system library's formatter: MinGW's own would add about 20 KB to the program.
    char buf[64] = {};
    _snprintf(buf, sizeof buf - 1, "%.15g", value);
    Trace(std::string(buf));
}

void TDebug::Trace(const std::string& value) {
    if (!Visible()) SetVisible(true);
    AddLine(value);
}

void TDebug::AddLine(const std::string& text) {
    int count = mmDebugData->LineCount();
    if (count >= MaxDebugLines) mmDebugData->DeleteFirstLines(count - MaxDebugLines + 1);
    mmDebugData->AppendText(text);
    if (FStepMode && Visible()) {
        FWaiting = true;
        // Hiding the window leaves no STEP to press, so hiding it ends the wait as well.
        while (!FStepPressed && Visible() && !Application->Terminated()) {
            Application->ProcessMessages();
            if (!FStepPressed && Visible()) WaitMessage();
        }
        FWaiting = false;
        FStepPressed = false;
    }
}

void TDebug::SetControlsHidden(bool b) {
    FControlsHidden = b;
    btStep->SetVisible(!b);
    btInvisible->SetVisible(!b);
    btHide->SetVisible(!b);
    chStep->SetVisible(!b);
    FormResize(this);
}

void TDebug::SetStepMode(bool b) {
    if (FControlsHidden) SetControlsHidden(false);
    FStepMode = b;
    chStep->SetChecked(b);
}

void TDebug::FormResize(TObject*) {
    if (!btStep) return;  // while the resource is still being read
    int bw = btStep->Width() + btInvisible->Width() + btHide->Width();
    int mh = FControlsHidden ? ClientHeight() : ClientHeight() - 70;
    int gap = (ClientWidth() - bw) / 4;
    mmDebugData->SetBounds(0, 0, ClientWidth(), mh);
    btStep->SetBounds(gap, mh + 5, btStep->Width(), btStep->Height());
    btInvisible->SetBounds(2 * gap + btStep->Width(), mh + 5, btInvisible->Width(), btInvisible->Height());
    btHide->SetBounds(3 * gap + btStep->Width() + btInvisible->Width(), mh + 5, btHide->Width(), btHide->Height());
    chStep->SetBounds(gap, mh + 5 + btStep->Height() + 5, chStep->Width(), chStep->Height());
}

void InitializeDebugFor(const std::string& exeFileName) {
    if (exeFileName.find("Delphi") != std::string::npos) return;
    Debug = new TDebug();
    Debug->SetVisible(false);
    Debug->SetCaption(Debug->Caption() + "[" + exeFileName + "]");
    Debug->SetBounds(Screen->Width() - 200, 0, 200, Screen->Height());
    SetTraceTarget(Debug);
}

void InitializeDebug() {
    if (GInitCount++ > 0) return;
    const std::string& path = Application->ExeName();
    size_t slash = path.find_last_of("\\/:");
    InitializeDebugFor(slash == std::string::npos ? path : path.substr(slash + 1));
}

void FinalizeDebug() {
    if (GInitCount == 0 || --GInitCount > 0) return;
    delete Debug;
    Debug = nullptr;
}
