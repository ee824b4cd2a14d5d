// Whether the player control that the screensavers need is installed and new enough.
#pragma once
#include <string>

extern const char FlashPlayerRegistrationKey[];

bool IsFlashPlayerCreatable();
// The product version of the registered control's file, "0.0.0.0" when nothing is
// registered, empty when its file carries no version information.
std::string GetFlashPlayerVersion();
bool IsFlashPlayerVersionAtLeast(const std::string& requiredVersion);
