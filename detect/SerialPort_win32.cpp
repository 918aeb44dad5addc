// The serial seam on the Win32 communications API: one port handle per probe.
#include <windows.h>

#include <algorithm>
#include <string>

#include "detect/CommSettings_win32.h"
#include "detect/PortName.h"
#include "detect/SerialPort.h"

namespace lesamo {
namespace {

class Win32Port final : public SerialPort {
public:
    explicit Win32Port(HANDLE handle) : m_handle(handle) {}
    ~Win32Port() override { ::CloseHandle(m_handle); }
    Win32Port(const Win32Port&) = delete;
    Win32Port& operator=(const Win32Port&) = delete;

    void Configure(const LineSettings& settings) override
    {
        // Read, change the probe's fields, write back: what the driver reports for the rest
        // (handshaking, DTR and RTS control modes, special characters) goes back unchanged.
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        ::GetCommState(m_handle, &dcb);
        ApplyLineSettings(dcb, settings);
        ::SetCommState(m_handle, &dcb);
    }

    void SetLine(ControlLine line, bool on) override
    {
        const DWORD function = line == ControlLine::Dtr ? (on ? SETDTR : CLRDTR) : (on ? SETRTS : CLRRTS);
        ::EscapeCommFunction(m_handle, function);
    }

    void Pause(std::chrono::milliseconds time) override { ::SleepEx(static_cast<DWORD>(time.count()), FALSE); }

    void SetReadTimeouts(const ReadTimeouts& timeouts) override
    {
        COMMTIMEOUTS current{};
        ::GetCommTimeouts(m_handle, &current);
        ApplyReadTimeouts(current, timeouts);
        ::SetCommTimeouts(m_handle, &current);
    }

    std::size_t Read(char* buffer, std::size_t size) override
    {
        DWORD count = 0;
        const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(size, MAXDWORD));
        if (!::ReadFile(m_handle, buffer, wanted, &count, nullptr))
            return 0;
        return count;
    }

    void DiscardInput() override { ::PurgeComm(m_handle, PURGE_RXCLEAR); }

private:
    HANDLE m_handle;
};

class Win32Ports final : public PortOpener {
public:
    std::unique_ptr<SerialPort> Open(const std::string& name) override
    {
        // Only the four names the scan builds reach CreateFileA.
        if (!IsScannedPortName(name))
            return nullptr;
        // Share mode 0: a port that another program holds fails here and is passed over.
        const HANDLE handle = ::CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return nullptr;
        return std::make_unique<Win32Port>(handle);
    }

    // The default timer tick is 15.6 ms: without this, SleepEx(10) and the 30 ms read interval
    // would round up to whole ticks and the probes' patterns would stretch.
    void ScanStarting() override
    {
        if (const TimePeriodFunction begin = TimePeriod("timeBeginPeriod"))
            m_periodSet = begin(1) == 0;
    }
    void ScanFinished() override
    {
        if (const TimePeriodFunction end = TimePeriod("timeEndPeriod"); end && m_periodSet)
            end(1);
        m_periodSet = false;
    }

private:
    using TimePeriodFunction = UINT(WINAPI*)(UINT);

    /// A timer-period function of winmm, which is loaded for the first scan only: imported,
    /// it and the audio libraries behind it would be loaded at every start of the program.
    /// From the system folder by its full path, never from the search path. System DLLs export
    /// undecorated names in 32-bit Windows too, so the name needs no "@4".
    static TimePeriodFunction TimePeriod(const char* name)
    {
        static const HMODULE winmm = [] {
            char path[MAX_PATH];
            const UINT length = ::GetSystemDirectoryA(path, MAX_PATH);
            if (length == 0 || length + sizeof "\\winmm.dll" > MAX_PATH)
                return HMODULE{};
            return ::LoadLibraryA((std::string(path, length) + "\\winmm.dll").c_str());
        }();
        if (!winmm)
            return nullptr;
        return reinterpret_cast<TimePeriodFunction>(reinterpret_cast<void (*)()>(::GetProcAddress(winmm, name)));
    }

    bool m_periodSet = false;
};

}  // namespace

PortOpener& SystemPorts()
{
    static Win32Ports ports;
    return ports;
}

}  // namespace lesamo
