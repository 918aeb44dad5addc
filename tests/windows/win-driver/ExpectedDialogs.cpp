// The expected dialogs: the main dialog (102) and the About box (100).
#include "ExpectedDialogs.h"

#include <windows.h>

#include "ProgramTexts.h"

namespace lesamo::driver {

const ExpectedDialog kMainDialog{
    102,
    kMainCaption,
    DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU,
    WS_EX_APPWINDOW,
    222,
    215,
    {
        {IDOK, 0x80, "Button", "OK", 0, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 164, 7, 50, 14},
        {IDCANCEL, 0x80, "Button", "Abbrechen", 0, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 164, 23, 50,
         14},
        {kIdSearch, 0x80, "Button", "Leser suchen", 0, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 91, 154,
         48, 17},
        {kIdResult, 0x81, "Edit", "", 0,
         WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_LEFT | ES_MULTILINE | ES_AUTOHSCROLL | ES_READONLY,
         WS_EX_STATICEDGE | WS_EX_DLGMODALFRAME, 7, 173, 207, 32},
        {kIdStatic, 0x82, "Static", kInstruction, 0, WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT, 0, 7, 108, 207, 27},
        {kIdStatic, 0x82, "Static", "", 131, WS_CHILD | WS_VISIBLE | SS_BITMAP | SS_CENTERIMAGE, 0, 7, 7, 69, 94},
    }};

const ExpectedDialog kAboutDialog{
    100,
    kAboutCaption,
    DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU,
    0,
    235,
    55,
    {
        {kIdStatic, 0x82, "Static", "", 128, WS_CHILD | WS_VISIBLE | SS_ICON, 0, 11, 17, 20, 20},
        {kIdStatic, 0x82, "Static", kAboutVersion, 0, WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT | SS_NOPREFIX, 0, 40,
         10, 119, 8},
        {kIdStatic, 0x82, "Static", nullptr, 0, WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT, 0, 40, 25, 119, 8},
        {IDOK, 0x80, "Button", "OK", 0, WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 178, 7, 50,
         14},
    }};

}  // namespace lesamo::driver
