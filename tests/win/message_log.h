#pragma once
// Message sequences in the style of Wine's user32/comctl32 tests: a recorder placed where a
// window's messages pass (a hook, a subclass or a window procedure) writes down what it sees,
// and a test compares that with an expected list, or with the list recorded on a twin window
// without the object under test.
#include <windows.h>

#include <string>
#include <vector>

struct LoggedMessage {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const LoggedMessage& o) const {
        return msg == o.msg && wParam == o.wParam && lParam == o.lParam;
    }
};

class MessageLog {
public:
    // Messages in `ignore` are not recorded (the system sends some at whim: WM_GETICON,
    // WM_TIMER, ...).
    explicit MessageLog(std::vector<UINT> ignore = DefaultIgnored()) : ignore_(std::move(ignore)) {}

    void Record(UINT msg, WPARAM w = 0, LPARAM l = 0) {
        for (UINT i : ignore_)
            if (i == msg) return;
        entries_.push_back({msg, w, l});
    }
    void Clear() { entries_.clear(); }
    const std::vector<LoggedMessage>& Entries() const { return entries_; }
    // The message numbers only, for comparing sequences whose parameters carry handles.
    std::vector<UINT> Messages() const {
        std::vector<UINT> out;
        for (const LoggedMessage& e : entries_) out.push_back(e.msg);
        return out;
    }
    int Count(UINT msg) const {
        int n = 0;
        for (const LoggedMessage& e : entries_) n += e.msg == msg;
        return n;
    }
    bool Contains(UINT msg) const { return Count(msg) > 0; }
    // Position of the first occurrence, or -1.
    int IndexOf(UINT msg) const {
        for (size_t i = 0; i < entries_.size(); ++i)
            if (entries_[i].msg == msg) return static_cast<int>(i);
        return -1;
    }
    // "0x0082 WM_NCDESTROY"-like dump for failure messages.
    std::string Dump() const {
        std::string out;
        char buf[32];
        for (const LoggedMessage& e : entries_) {
            wsprintfA(buf, "%04X ", e.msg);
            out += buf;
        }
        return out;
    }

    static std::vector<UINT> DefaultIgnored() {
        return {WM_GETICON,
                WM_TIMER,
                WM_NCHITTEST,
                WM_SETCURSOR,
                WM_ENTERIDLE,
                0x0090 /*themes*/,
                WM_DWMNCRENDERINGCHANGED};
    }

private:
    std::vector<UINT> ignore_;
    std::vector<LoggedMessage> entries_;
};
