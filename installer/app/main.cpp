// setup: the installer front end.
#include "SVApp.h"

wxIMPLEMENT_APP(installer::CSVApp);
