// lesamo.exe as the driver expects to find it: control ids, the About command of the system
// menu, the German texts byte for byte, and the version of the build under test (the numbers
// of project(VERSION), which the driver's CMakeLists passes in, so a new version needs no edit here).
#pragma once

namespace lesamo::driver {

inline constexpr int kIdSearch = 1000;
inline constexpr int kIdResult = 1001;
inline constexpr int kIdStatic = -1;
inline constexpr unsigned kAboutCommand = 0x0010;

// The version block's numbers, as its two double words hold them, and its strings; the About
// box shows the short form.
inline constexpr unsigned long kVersionHigh = (LESAMO_TESTED_VERSION_MAJOR << 16) | LESAMO_TESTED_VERSION_MINOR;
inline constexpr unsigned long kVersionLow = (LESAMO_TESTED_VERSION_PATCH << 16) | LESAMO_TESTED_VERSION_TWEAK;
inline constexpr char kVersionText[] = LESAMO_TESTED_VERSION_TEXT;
inline constexpr char kAboutVersion[] = "Lesamo Version " LESAMO_TESTED_VERSION_SHORT;

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
