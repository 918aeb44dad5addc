// The two dialogs' controls, written once: Lesamo.rc turns each list into its DIALOGEX
// statements, the terminal front end (ui/curses/DialogTemplates.cpp) into its templates, so
// neither can gain, lose or reorder a control the other lacks. Only #define, for windres.
//
// A list is called with one macro per kind of control, in tab order; each entry is
//   DEFPUSHBUTTON(id, text, rect, style)   the default push button
//   PUSHBUTTON(id, text, rect)
//   EDIT_MULTILINE(id, rect, style, exstyle)   an edit box of several lines
//   LTEXT(text, rect, style)               left-aligned static text starting a group (id IDC_STATIC)
//   PICTURE(resource, rect, style)         a bitmap resource, centred (id IDC_STATIC)
//   ICON(resource, rect)                   an icon resource (id IDC_STATIC)
// `rect` is a LAYOUT_ name of Layout.h (x, y, width, height in dialog units); `style` and
// `exstyle` are the resource script's extra window styles (0 for none), which the terminal
// leaves aside: its controls behave as the defaults of their kind.
#pragma once

#include "common/Texts.h"
#include "res/Layout.h"
#include "res/Version.h"
#include "res/resource.h"

// The main dialog (IDD_READERSCAN_DIALOG). Access keys (&): none.
#define DIALOG_MAIN_CAPTION TXT_APP_TITLE
#define DIALOG_MAIN_CONTROLS(DEFPUSHBUTTON, PUSHBUTTON, EDIT_MULTILINE, LTEXT, PICTURE, ICON)                          \
    DEFPUSHBUTTON(IDOK, TXT_OK, LAYOUT_MAIN_OK, 0)                                                                     \
    PUSHBUTTON(IDCANCEL, TXT_CANCEL, LAYOUT_MAIN_CANCEL)                                                               \
    PUSHBUTTON(IDC_SEARCH, TXT_SEARCH, LAYOUT_MAIN_SEARCH)                                                             \
    EDIT_MULTILINE(IDC_RESULT, LAYOUT_MAIN_RESULT, ES_AUTOHSCROLL | ES_READONLY,                                       \
                   WS_EX_DLGMODALFRAME | WS_EX_STATICEDGE)                                                             \
    LTEXT(TXT_INSTRUCTION, LAYOUT_MAIN_INSTRUCTION, 0)                                                                 \
    PICTURE(IDB_READER, LAYOUT_MAIN_PICTURE, SS_CENTERIMAGE)

// The About box (IDD_ABOUTBOX). Access keys (&): none.
#define DIALOG_ABOUT_CAPTION TXT_ABOUT_CAPTION
#define DIALOG_ABOUT_CONTROLS(DEFPUSHBUTTON, PUSHBUTTON, EDIT_MULTILINE, LTEXT, PICTURE, ICON)                         \
    ICON(IDR_MAINFRAME, LAYOUT_ABOUT_ICON)                                                                             \
    LTEXT(TXT_ABOUT_VERSION LESAMO_VERSION_SHORT, LAYOUT_ABOUT_VERSION, SS_NOPREFIX)                                   \
    LTEXT(TXT_ABOUT_NOTICE, LAYOUT_ABOUT_NOTICE, 0)                                                                    \
    DEFPUSHBUTTON(IDOK, TXT_OK, LAYOUT_ABOUT_OK, WS_GROUP)
