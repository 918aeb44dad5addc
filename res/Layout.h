// Dialog geometry in dialog units (x, y, width, height) and the font the units are made of,
// for the control lists of Dialogs.h: Lesamo.rc and the terminal front end lay out the same
// controls from the same numbers.
#pragma once

#define LAYOUT_FONT      "MS Sans Serif"
#define LAYOUT_FONT_SIZE 8

// Main dialog (IDD_READERSCAN_DIALOG), controls in tab order.
#define LAYOUT_MAIN_SIZE        222, 215
#define LAYOUT_MAIN_OK          164, 7, 50, 14
#define LAYOUT_MAIN_CANCEL      164, 23, 50, 14
#define LAYOUT_MAIN_SEARCH      91, 154, 48, 17
#define LAYOUT_MAIN_RESULT      7, 173, 207, 32
#define LAYOUT_MAIN_INSTRUCTION 7, 108, 207, 27
#define LAYOUT_MAIN_PICTURE     7, 7, 69, 94

// About box (IDD_ABOUTBOX).
#define LAYOUT_ABOUT_SIZE    235, 55
#define LAYOUT_ABOUT_ICON    11, 17, 20, 20
#define LAYOUT_ABOUT_VERSION 40, 10, 119, 8
#define LAYOUT_ABOUT_NOTICE  40, 25, 119, 8
#define LAYOUT_ABOUT_OK      178, 7, 50, 14
