// The two dialogs' controls, written once: Lesamo.rc turns each list into its DIALOGEX
// statements, the terminal front end (ui/curses/DialogTemplates.cpp) into its templates, so
// neither can gain, lose or reorder a control the other lacks. Only #define, for windres.
//
// A list is called with one macro per kind of control, in tab order; each entry is
//   DEFPUSHBUTTON(id, text, style, rect)      the default push button
//   PUSHBUTTON(id, text, rect)
//   EDIT_MULTILINE(id, style, exstyle, rect)  an edit box of several lines
//   LTEXT(text, style, rect)                  left-aligned static text starting a group (id IDC_STATIC)
//   PICTURE(resource, style, rect)            a bitmap resource, centred (id IDC_STATIC)
//   ICON(resource, rect)                      an icon resource (id IDC_STATIC)
// `rect` is a LAYOUT_ name of Layout.h (x, y, width, height in dialog units), last, so that
// the macros take it as their variable arguments: a preprocessor may expand it to its four
// numbers before it reaches them. `style` and `exstyle` are the resource script's extra window
// styles (0 for none), which the terminal leaves aside: its controls behave as the defaults
// of their kind.
#pragma once

#include "common/Texts.h"
#include "res/Layout.h"
#include "res/Version.h"
#include "res/resource.h"

// The main dialog (IDD_READERSCAN_DIALOG). Access keys (&): none.
#define DIALOG_MAIN_CAPTION TXT_APP_TITLE
#define DIALOG_MAIN_CONTROLS(DEFPUSHBUTTON, PUSHBUTTON, EDIT_MULTILINE, LTEXT, PICTURE, ICON)                          \
    DEFPUSHBUTTON(IDOK, TXT_OK, 0, LAYOUT_MAIN_OK)                                                                     \
    PUSHBUTTON(IDCANCEL, TXT_CANCEL, LAYOUT_MAIN_CANCEL)                                                               \
    PUSHBUTTON(IDC_SEARCH, TXT_SEARCH, LAYOUT_MAIN_SEARCH)                                                             \
    EDIT_MULTILINE(IDC_RESULT, ES_AUTOHSCROLL | ES_READONLY, WS_EX_DLGMODALFRAME | WS_EX_STATICEDGE,                   \
                   LAYOUT_MAIN_RESULT)                                                                                 \
    LTEXT(TXT_INSTRUCTION, 0, LAYOUT_MAIN_INSTRUCTION)                                                                 \
    PICTURE(IDB_READER, SS_CENTERIMAGE, LAYOUT_MAIN_PICTURE)

// The About box (IDD_ABOUTBOX). Access keys (&): none.
#define DIALOG_ABOUT_CAPTION TXT_ABOUT_CAPTION
#define DIALOG_ABOUT_CONTROLS(DEFPUSHBUTTON, PUSHBUTTON, EDIT_MULTILINE, LTEXT, PICTURE, ICON)                         \
    ICON(IDR_MAINFRAME, LAYOUT_ABOUT_ICON)                                                                             \
    LTEXT(TXT_ABOUT_VERSION LESAMO_VERSION_SHORT, SS_NOPREFIX, LAYOUT_ABOUT_VERSION)                                   \
    LTEXT(TXT_ABOUT_NOTICE, 0, LAYOUT_ABOUT_NOTICE)                                                                    \
    DEFPUSHBUTTON(IDOK, TXT_OK, WS_GROUP, LAYOUT_ABOUT_OK)
