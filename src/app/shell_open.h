#pragma once
// The shell's "open" action, behind a seam so that tests can see what would be opened
// without launching a browser.
#include <windows.h>

#include <functional>
#include <string>

using ShellOpenFunction = std::function<void(HWND owner, const std::string& target)>;

// Opens a file or web address with its default program; the result is not examined.
void ShellOpen(HWND owner, const std::string& target);
// Replaces the action (tests); an empty function restores the shell's own.
void SetShellOpenFunction(ShellOpenFunction f);
