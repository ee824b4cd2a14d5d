// Build-and-show time of a wizard-sized form from its resource under Wine, for
// scripts/bench-forms.sh. The first window of a process pays Wine's one-time costs (its window
// system, the fonts of the first text), so the form's own cost is the figure of the next one.
#include "controls/uControls.h"
#include "framework/Forms.h"
#include <chrono>
#include <cstdio>

namespace {
class TBenchForm : public TForm {
public:
    KESTRIN_CLASS(TBenchForm)
    explicit TBenchForm(TComponent* owner) : TForm(owner) { LoadFormResource(); }
};

void Pump(int ms) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        Application->ProcessMessages();
        Sleep(5);
    }
}
}  // namespace

int main() {
    RegisterControlClasses();
    InitializeControlUnits();
    int status = 0;
    for (const char* which : {"first form of the process", "next form"}) {
        auto start = std::chrono::steady_clock::now();
        auto* f = new TBenchForm(Application);
        f->Show();
        f->Update();
        auto ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        std::printf("[bench] %s: %d components built from its resource and shown in %.1f ms\n", which,
                    f->ComponentCount(), ms);
        // A form that lost its children would time nothing worth knowing.
        if (f->ComponentCount() < 60) status = 1;
        Pump(150);
        delete f;
    }
    FinalizeControlUnits();
    return status;
}
