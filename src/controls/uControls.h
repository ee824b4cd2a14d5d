// The start and end of the user-interface component units, in unit order, and the
// registration of their classes for form resources.
#pragma once

// Theme library, flat-button list, Alt-key hook; counted, so nested calls are fine. The debug
// window is a unit of its own (uDebug), started by the programs that trace.
void InitializeControlUnits();
void FinalizeControlUnits();
// The framework's classes and the components, by name, and the writers of their binary properties.
// A program with one form registers only the classes its form names instead (kestrin_form_resource's
// REGISTER), and no writer.
void RegisterControlClasses();
