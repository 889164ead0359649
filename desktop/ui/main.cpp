// The desktop program hushdesk.
#include "CQuellixApp.h"

wxIMPLEMENT_APP(CQuellixApp);
