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
        // In a job that dies with this process, so a timeout that kills this one kills both.
        HANDLE job = CreateJobObjectW(nullptr, nullptr);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (job)
            SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
        STARTUPINFOW si{sizeof si};
        PROCESS_INFORMATION pi{};
        wchar_t exe[MAX_PATH];
        GetModuleFileNameW(nullptr, exe, MAX_PATH);
        std::wstring line = GetCommandLineW();
        if (CreateProcessW(exe, line.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr,
                           nullptr, &si, &pi)) {
            if (job) AssignProcessToJobObject(job, pi.hProcess);
            ResumeThread(pi.hThread);
            WaitForSingleObject(pi.hProcess, INFINITE);
            DWORD rc = 1;
            GetExitCodeProcess(pi.hProcess, &rc);
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
            if (job) CloseHandle(job);
            return static_cast<int>(rc);
        }
        if (job) CloseHandle(job);
    }
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    testing::InitGoogleTest(&argc, argv);
    int rc = RUN_ALL_TESTS();
    OleUninitialize();
    return rc;
}
