// The steps of a run, each what one verb of the command line does; the table of verbs in
// Verbs.cpp says which verb runs which step.
#pragma once

#include <string>

namespace lesamo::driver {

// ---- The program's life (ProgramSteps.cpp) ----

/// Starts the program and waits for its main dialog.
void StartProgram();

/// Takes over a program started by an earlier run of the driver (which ended with "detach"):
/// the main dialog found by its caption, the process by the dialog.
void AttachProgram();

/// Ends the dialog: "ok" confirms every message box on the way and expects status 1; the
/// others expect the normal exit. `boxes` names the files whose writers must show their
/// failure box, in this order: each exactly the text "Error: Create File: NAME.INI " (upper
/// case, a trailing blank), the error icon, the system's default caption (the writers pass
/// none) and no owner window.
void StepEnd(const std::string& how, const std::string& boxes);

// ---- The main dialog and the About box (DialogSteps.cpp) ----

/// Every step of the main dialog against the template and by keyboard: the tab order.
void StepTemplate();

/// Leser suchen: the warning (text, caption, icon), then the scan, then the result box.
void StepSearch(const std::string& argument);

/// Opens the About box: through the system menu by keyboard (Alt+Space, then its access key)
/// when `byMenu`, else with the system command alone.
void StepOpenAbout(bool byMenu);

/// Closes the About box with "ok", "enter" or "escape"; the main dialog is usable again.
void StepCloseAbout(const std::string& how);

/// Minimises the main dialog (it then paints its icon itself) and restores it.
void StepMinimize();
void StepRestore();

/// F1: the help command has nothing behind it; no window appears and the dialog stays.
void StepHelp();

// ---- The layout at the screen's scale (LayoutSteps.cpp) ----

/// "DPI": the screen and the dialog in front (the About box when open, else the main dialog)
/// are at DPI dots per inch; the dialog is its 96 DPI size grown by DPI / 96, its controls lie
/// inside it and apart, every text fits its control, and the reader picture is drawn at that
/// scale, whole and centred in its frame.
void StepLayout(const std::string& argument);

// ---- Files in %windir% (FileSteps.cpp) ----

/// "NAME=SOURCE": puts SOURCE into %windir% as NAME before the program starts.
void StepPut(const std::string& argument);

/// "NAME=EXPECTED": %windir%\NAME equals the file EXPECTED byte for byte; "NAME=" : no such file.
void StepFile(const std::string& argument, bool present);

// ---- The executable (ResourceCheck.cpp) ----

/// The resources of the program's executable, read as data; needs no running program.
void StepResources();

}  // namespace lesamo::driver
