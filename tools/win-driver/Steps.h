// The steps of a run, each what one verb of the command line does (Verbs.cpp lists them).
#pragma once

#include <string>

namespace lesamo::driver {

// ---- Files in %windir% (FileSteps.cpp) ----

/// "NAME=SOURCE": puts SOURCE into %windir% as NAME before the program starts.
void StepPut(const std::string& argument);

/// "NAME=EXPECTED": %windir%\NAME equals the file EXPECTED byte for byte; "NAME=" : no such file.
void StepFile(const std::string& argument, bool present);

// ---- The executable (ResourceCheck.cpp) ----

/// The resources of the program's executable, read as data; needs no running program.
void StepResources();

}  // namespace lesamo::driver
