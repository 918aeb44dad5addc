// line-scan.exe: one scan on the Win32 back end, for the test that watches what Wine makes of
// it on the serial devices (tests/uart/wine-lines.sh).
#include "tests/uart/ScanReport.h"

int main()
{
    lesamo::test::ReportScan();
    return 0;
}
