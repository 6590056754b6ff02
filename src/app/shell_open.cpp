#include "app/shell_open.h"

#include <shellapi.h>

namespace {
ShellOpenFunction& Override() {
    static ShellOpenFunction f;
    return f;
}
} // namespace

void ShellOpen(HWND owner, const std::string& target) {
    if (Override()) {
        Override()(owner, target);
        return;
    }
    ShellExecuteA(owner, nullptr, target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void SetShellOpenFunction(ShellOpenFunction f) {
    Override() = std::move(f);
}
