// A dialog against its expectation twice: the template in the executable, control by
// control, and the running window built from it, down to the pixel positions.
#pragma once

#include <windows.h>

#include "DialogTemplate.h"
#include "ExpectedDialogs.h"

namespace lesamo::driver {

/// Checks the German template of `expected` in `module` and leaves it in `parsed` (empty when
/// it is missing or no extended template).
void CheckTemplate(HMODULE module, const ExpectedDialog& expected, DialogTemplate& parsed);

/// The running dialog against its template: the same controls in the same order (which is
/// the tab order), texts, styles, and pixel positions that are the template's dialog units
/// scaled by one pair of base units.
void CheckWindowAgainstTemplate(HWND dialog, const DialogTemplate& tmpl, const ExpectedDialog& expected);

/// The checked template of `expected` from the program's executable.
DialogTemplate LoadTemplate(const ExpectedDialog& expected);

}  // namespace lesamo::driver
