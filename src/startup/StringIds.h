// Numbers of the start-up's string resources, in the program's string table.
#pragma once

#define SID_JA_ADMIN_REQUIRED 65216
#define SID_EN_ADMIN_REQUIRED 65217
