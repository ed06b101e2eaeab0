// The boot-time deletion list in wininit.ini.
#include "uninstall.h"

// Not built yet: arrives with the file and rights operations.
bool ScheduleDeleteAtBoot(const char*, const char*, const char*) { return false; }
