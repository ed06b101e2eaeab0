// Administrator check (NT).
#include "uninstall.h"

// Not built yet: the rights check arrives with the file and rights
// operations. Until then every user passes.
int IsAdministrator() { return 1; }
