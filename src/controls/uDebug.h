// The process-wide trace window Debug: a tall stay-on-top window at the right edge of the
// screen collecting text lines; it can hold the caller at every line until STEP is pressed.
#pragma once
#include "base/Trace.h"
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include <string>

constexpr int MaxDebugLines = 65535;

class TDebug : public TForm, public TTraceTarget {
public:
    KESTRIN_CLASS(TDebug)
    TDebug();
    ~TDebug() override;

    void Trace(const std::string& value) override;
    void Trace(const char* value) { Trace(std::string(value)); }
    void Trace(int64_t value) { Trace(std::to_string(value)); }
    void Trace(int value) { Trace(static_cast<int64_t>(value)); }
    void Trace(double value);
    void Trace(bool value) { Trace(std::string(value ? "True" : "False")); }
    void AddLine(const std::string& text);
    void SetControlsHidden(bool b);
    void SetStepMode(bool b);
    bool ControlsHidden() const { return FControlsHidden; }
    bool StepMode() const { return FStepMode; }
    bool Waiting() const { return FWaiting; }

    TButton* btStep = nullptr;
    TButton* btInvisible = nullptr;
    TButton* btHide = nullptr;
    TCheckBox* chStep = nullptr;
    TMemo* mmDebugData = nullptr;
    TPopupMenu* popupDummy = nullptr;

protected:
    void CreateParams(TCreateParams& p) override;
    void Loaded() override;

private:
    void FormResize(TObject*);
    bool FControlsHidden = false;
    bool FStepMode = false;
    bool FStepPressed = false;
    bool FWaiting = false;
};

// Nil when the program's file name contains "Delphi". While it exists it is the process's
// trace target.
extern TDebug* Debug;
void InitializeDebug();
void FinalizeDebug();
// The window for a program of that file name (the unit start without the file-name lookup).
void InitializeDebugFor(const std::string& exeFileName);
