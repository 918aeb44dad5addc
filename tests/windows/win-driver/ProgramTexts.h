// lesamo.exe as the driver expects to find it: control ids, the About command of the system
// menu, the German texts byte for byte, and the version of the build under test (the numbers
// of project(VERSION), which the driver's CMakeLists passes in, so a new version needs no edit here).
#pragma once

namespace lesamo::driver {

inline constexpr int kIdSearch = 1000;
inline constexpr int kIdResult = 1001;
inline constexpr int kIdStatic = -1;
inline constexpr unsigned kAboutCommand = 0x0010;

// The version block's numbers, as its two double words hold them.
inline constexpr unsigned long kVersionHigh = (LESAMO_TESTED_VERSION_MAJOR << 16) | LESAMO_TESTED_VERSION_MINOR;
inline constexpr unsigned long kVersionLow = (LESAMO_TESTED_VERSION_PATCH << 16) | LESAMO_TESTED_VERSION_TWEAK;
#define LESAMO_DRIVER_TEXT(x) #x
#define LESAMO_DRIVER_NUMBER(x) LESAMO_DRIVER_TEXT(x)
// The version block's strings, and the short form in the About box.
inline constexpr char kVersionText[] = LESAMO_DRIVER_NUMBER(LESAMO_TESTED_VERSION_MAJOR) ", " LESAMO_DRIVER_NUMBER(
    LESAMO_TESTED_VERSION_MINOR) ", " LESAMO_DRIVER_NUMBER(LESAMO_TESTED_VERSION_PATCH) ", " LESAMO_DRIVER_NUMBER(LESAMO_TESTED_VERSION_TWEAK);
inline constexpr char kAboutVersion[] =
    "Lesamo Version " LESAMO_DRIVER_NUMBER(LESAMO_TESTED_VERSION_MAJOR) "." LESAMO_DRIVER_NUMBER(LESAMO_TESTED_VERSION_MINOR);

// Expected texts, in the program's code page (the driver is compiled as Windows-1252).
inline constexpr char kMainCaption[] = "Lesamo";
inline constexpr char kAboutCaption[] = "Info über Lesamo";
inline constexpr char kWarning[] =
    "Achtung: Sollten Sie einen Kavirex(schwarz) haben, stecken Sie bitte eine Chipkarte in den Leser. ";
inline constexpr char kInstruction[] =
    "Bitte klicken Sie auf den Knopf \"Leser suchen\", um nach Ihrem Kartenleser zu suchen. Sollten Sie mehr "
    "als einen Leser haben, werden auch alle weiteren Leser am System gefunden";
inline constexpr char kKrmLine[] = "Kavirex(KRM) Kartenleser gefunden an Anschluß: Com";
inline constexpr char kKavirex3Line[] = "Kavirex3 Kartenleser gefunden an Anschluß: Com";
inline constexpr char kNothingFound[] = "Keinen Kartenleser gefunden.";

}  // namespace lesamo::driver
