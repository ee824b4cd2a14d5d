// The start and end of the user-interface component units, in unit order, and the
// registration of their classes for form resources.
#pragma once

// Theme library, flat-button list, Alt-key hook, debug window; counted, so nested calls are fine.
void InitializeControlUnits();
void FinalizeControlUnits();
// The framework's classes and the components, by name.
void RegisterControlClasses();
