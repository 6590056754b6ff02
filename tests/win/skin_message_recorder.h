#pragma once
// While it lives, the messages the program would show about skin files, and the skin reader's
// own message box, are recorded instead of shown, so that no test waits on one.
#include "app/skin_choice.h"
#include "skin/data/skin_shared.h"

#include <string>
#include <vector>

struct SkinMessageRecorder {
    std::vector<std::string> messages; // the reader's own start with "reader: "
    SkinMessageRecorder() {
        TSkinChoice::SetMessageSink([this](HWND, const std::string& t) { messages.push_back(t); });
        skin::SetSkinMessageBoxInterceptor(
            [this](const std::string& t) { messages.push_back("reader: " + t); });
    }
    ~SkinMessageRecorder() {
        TSkinChoice::SetMessageSink(nullptr);
        skin::SetSkinMessageBoxInterceptor({});
    }
    SkinMessageRecorder(const SkinMessageRecorder&) = delete;
    SkinMessageRecorder& operator=(const SkinMessageRecorder&) = delete;
};
