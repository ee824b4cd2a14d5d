// Every component class by name, with the writers of the binary properties: for the programs that
// write forms or show any form (tools, tests). Apart from the units, so that a program that
// registers only its own form's classes (the installer) links no writer and no compressor.
#include "controls/uControls.h"
#include "controls/uComponentClasses.h"
#include "framework/FormResource.h"

void TBitmapList::WriteBitmaps(TStream& s) { FData.WriteBitmaps(s); }

void TBitmapList::RegisterWriter() { RegisterBinaryPropertyWriter<TBitmapList, &TBitmapList::WriteBitmaps>("Bitmaps"); }

void TNotifier::WriteClassData(TStream& stream) { WriteFormBinary(stream, WriteComponentProperties(*FProgressBar, "")); }

void TNotifier::RegisterWriter() { RegisterBinaryPropertyWriter<TNotifier, &TNotifier::WriteClassData>("ClassData"); }

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
    TNotifier::RegisterWriter();
    TBitmapList::RegisterWriter();
    TFileEmbedder::RegisterWriter();
}
