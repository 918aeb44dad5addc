// Every text the user sees, in one place: the dialogs, the message and error boxes, the result
// lines, the terminal's own words and its command-line answers. Every layer may include it
// (the writers' error boxes belong to the core) and Lesamo.rc reads it through windres, so it
// holds only #define. Kept elsewhere: the file names the writers show after their error texts
// (the files' own names), and the frame of the --version answer (common/StandardOptions.cpp,
// which the simulator shares).
// UTF-8 here; the resource compiler reads it as code page 65001 and the C++ compilers turn it
// into Windows-1252 ("ß" is 0xDF). A double quote inside a text is written \042: the same
// byte to both compilers, where \" draws a warning from windres.
#pragma once

// ---- The dialogs (res/Dialogs.h places them) ----------------------------------------------

#define TXT_APP_TITLE "Lesamo"

#define TXT_OK     "OK"
#define TXT_CANCEL "Abbrechen"
#define TXT_SEARCH "Leser suchen"
#define TXT_INSTRUCTION                                                                                                \
    "Bitte klicken Sie auf den Knopf \042Leser suchen\042, um nach Ihrem Kartenleser zu suchen. Sollten Sie mehr als einen Leser haben, werden auch alle weiteren Leser am System gefunden"

#define TXT_ABOUT_CAPTION    "Info über Lesamo"
#define TXT_ABOUT_VERSION    "Lesamo Version "  // followed by the short version, "1.0"
#define TXT_ABOUT_NOTICE     "© 2026 Lesamo-Entwickler"
#define TXT_ABOUT_MENU_ENTRY "Inf&o über Lesamo..."

// The properties of lesamo.exe (its version block).
#define TXT_FILE_COMPANY     "Die Lesamo-Entwickler"
#define TXT_FILE_DESCRIPTION "Lesamo: Chipkartenleser finden und einrichten"
#define TXT_FILE_PRODUCT     "Lesamo"

// ---- The search (ui/ReaderScanDlg.cpp) ---------------------------------------------------

// The box before a search, under the application's name; the trailing blank is the program's.
#define TXT_SEARCH_WARNING                                                                                             \
    "Achtung: Sollten Sie einen Kavirex(schwarz) haben, stecken Sie bitte eine Chipkarte in den Leser. "
// One result line each, followed by the port's number and CR LF.
#define TXT_FOUND_KRM      "Kavirex(KRM) Kartenleser gefunden an Anschluß: Com"
#define TXT_FOUND_KAVIREX3 "Kavirex3 Kartenleser gefunden an Anschluß: Com"
#define TXT_FOUND_NONE     "Keinen Kartenleser gefunden."

// ---- The writers' error boxes (config/ConfigFile.cpp) --------------------------------------

// Followed by the file's name in capitals and a blank.
#define TXT_ERROR_CREATE_FILE "Error: Create File: "
#define TXT_ERROR_WRITE_FILE  "Error: Write File: "

// ---- The terminal's own words (ui/curses/) -----------------------------------------------

// The caption Windows gives a message box without one.
#define TXT_TERM_ERROR_CAPTION "Fehler"
// The system menu of a dialog that cannot be moved in a terminal.
#define TXT_TERM_CLOSE "&Schließen"
// Right in the caption bar: while a command runs, and otherwise how to open the system menu.
#define TXT_TERM_PLEASE_WAIT "Bitte warten..."
#define TXT_TERM_MENU_HINT   "F10: Menü"
// printf format: the window's columns and rows, then the terminal's.
#define TXT_TERM_TOO_SMALL                                                                                             \
    "Das Terminal ist zu klein: dieses Fenster braucht %d × %d Zeichen, "                                             \
    "das Terminal hat %d × %d. Bitte vergrößern Sie es."

// ---- The terminal program's command line (ui/curses/), English as on Linux ----------------

#define TXT_TERM_USAGE                                                                                                 \
    "Usage: lesamo [--help | --version]\n"                                                                             \
    "\n"                                                                                                               \
    "Searches com1 to com4 of a Wine prefix for serial chip-card readers of the Kavirex family\n"                      \
    "and registers them with the banking software of that prefix (icchscr.ini, hbcikrnl.ini),\n"                       \
    "in the German dialog of the Windows program, shown in the terminal.\n"                                            \
    "\n"                                                                                                               \
    "  --help, -h  prints this help and ends\n"                                                                        \
    "  --version   prints the version and ends\n"                                                                      \
    "\n"                                                                                                               \
    "Environment: WINEPREFIX (the prefix; ~/.wine when unset), windir (the folder of both\n"                           \
    "files; the prefix's drive_c/windows when unset), veskrexdir (the folder of the CT-API\n"                          \
    "driver). Exit status: 0 nothing written, 1 OK (both files written), 2 could not start\n"                          \
    "or wrong usage. More in lesamo(1).\n"
// printf formats on standard error; the first %s is the program's name.
#define TXT_TERM_NOT_UNDERSTOOD "%s: %s: not understood (see lesamo --help)\n"
#define TXT_TERM_NEEDS_TERMINAL "%s: needs a terminal: standard input and output must both be a terminal\n"
#define TXT_TERM_NO_APPLICATION "%s: no application object\n"
// Around the value of TERM.
#define TXT_TERM_UNKNOWN_TYPE     "cannot drive the terminal type \042"
#define TXT_TERM_UNKNOWN_TYPE_END "\042 (set TERM to your terminal, e.g. xterm)"
