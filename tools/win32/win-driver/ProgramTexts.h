// lesamo.exe as the driver expects to find it: control ids, the About command of the system
// menu, and the German texts byte for byte.
#pragma once

namespace lesamo::driver {

inline constexpr int kIdSearch = 1000;
inline constexpr int kIdResult = 1001;
inline constexpr int kIdStatic = -1;
inline constexpr unsigned kAboutCommand = 0x0010;

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
