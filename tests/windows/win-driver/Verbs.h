// The verbs of win-driver's command line, each with the step it runs, and the usage text
// that explains them.
#pragma once

#include <string>

namespace lesamo::driver {

/// One step of the command line: its verb (the text before the first colon), whether it
/// needs the program's main dialog (after "start" or "attach"), and what it does with the
/// text after the colon.
struct Verb {
    const char* name;
    bool needsProgram;
    void (*run)(const std::string& argument);
};

/// The verb called `name`, or null when there is none.
const Verb* FindVerb(const std::string& name);

extern const char kUsage[];

}  // namespace lesamo::driver
