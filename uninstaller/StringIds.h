// Numbers of the uninstaller's string resources: one text per language, Japanese first.
#pragma once

#define SID_JAPANESE 100
#define SID_ENGLISH 200

#define SID_DISPLAY_SUFFIX 0  // appended to the name, as the installer names the entry
#define SID_CONFIRM 1         // %1: the display name
#define SID_REMOVED 2         // %1: the display name
#define SID_PARTLY 3          // %1: the display name, %2: what stayed, one a line
#define SID_RUNNING 4         // %1: the display name
#define SID_DAMAGED 5
#define SID_NO_RIGHTS 6       // %1: the display name
