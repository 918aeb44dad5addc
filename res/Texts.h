// The window texts, shared by Lesamo.rc and the C++ code so they cannot drift apart.
// UTF-8 here; the resource compiler reads it as code page 65001 and the C++ compilers turn
// it into Windows-1252 ("\xFC" for the u with diaeresis).
#pragma once

#include "res/Version.h"

#define TXT_APP_TITLE        "Lesamo"
#define TXT_DIALOG_FONT      "MS Sans Serif"
#define TXT_DIALOG_FONT_SIZE 8

#define TXT_OK     "OK"
#define TXT_CANCEL "Abbrechen"
#define TXT_SEARCH "Leser suchen"
#define TXT_INSTRUCTION                                                                                                \
    "Bitte klicken Sie auf den Knopf \"Leser suchen\", um nach Ihrem Kartenleser zu suchen. Sollten Sie mehr als einen Leser haben, werden auch alle weiteren Leser am System gefunden"

#define TXT_ABOUT_CAPTION    "Info über Lesamo"
#define TXT_ABOUT_VERSION    "Lesamo Version " LESAMO_VERSION_SHORT
#define TXT_ABOUT_NOTICE     "© 2026 Lesamo-Entwickler"
#define TXT_ABOUT_MENU_ENTRY "Inf&o über Lesamo..."
