// What is already on the machine: the probes that set a SetupItem's installed
// and filesPresent flags, the 64-bit test and the PDF-reader test. Probes only
// read (the registry, the file system, recorded installer states); anything
// unreadable counts as not installed or not present.
#pragma once

#include "installer/SetupItem.h"

namespace installer {

// Sets item.installed from the probe its Action names (the built-in keys for
// .NET, updates, database clients, component versions, Word and replication),
// or else from its uninstall registry strings, product code, feature rules and
// alternate product codes. For the MDAC, InternetExplorer, WindowsInstaller
// and DirectX keys an empty MinVersion leaves the flag as it was.
void ProbeInstalled(SetupItem& item);

// Sets item.filesPresent: true unless CheckCommandLine asks for a test and a
// file the item's not-installed command lines or ShellExecute entries start
// is missing (the lines that would run here: the X64 ones where present).
void CheckFilesPresent(SetupItem& item);

// Whether this is a 64-bit system.
bool IsRunningOn64Bit();

// Whether a program is registered to open PDF documents: the classes-root
// key ".pdf" names a class, or the desktop has a default application for
// application/pdf.
bool PdfReaderRegistered();

// Whether the database client tools of the 2005 and of the 2000 generation
// are present: the page describes installed items that accept either by them.
bool SqlServer2005ClientToolsPresent();
bool SqlServer2000ClientToolsPresent();

}  // namespace installer
