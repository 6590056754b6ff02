#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <string>

#include "http_server.h"

int main(int argc, char** argv) {
    // A test must never leave an error dialog waiting for a click that never comes.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    if (TrustPrefixTestAuthority() == AuthorityTrust::AddedNow) {
        // This process cannot see the new authority any more: the same run, in a new process.
        STARTUPINFOW si{sizeof si};
        PROCESS_INFORMATION pi{};
        wchar_t exe[MAX_PATH];
        GetModuleFileNameW(nullptr, exe, MAX_PATH);
        std::wstring line = GetCommandLineW();
        if (CreateProcessW(exe, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si,
                           &pi)) {
            WaitForSingleObject(pi.hProcess, INFINITE);
            DWORD rc = 1;
            GetExitCodeProcess(pi.hProcess, &rc);
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
            return static_cast<int>(rc);
        }
    }
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    testing::InitGoogleTest(&argc, argv);
    int rc = RUN_ALL_TESTS();
    OleUninitialize();
    return rc;
}
