#pragma once
// The system's regular-expression service, the COM object "VBScript.RegExp", reached through
// its dispatch interface only. Text goes in and comes out as 8-bit system-code-page strings.
// The object is created on the first call that needs it, on the calling thread, which must
// have initialised COM; use an instance from that thread only.
#include <memory>
#include <string>
#include <vector>

struct RegExpMatch {
    std::string value;                   // the whole match
    std::vector<std::string> subMatches; // one per group; a group that took no part is empty
};

class VBScriptRegExp {
public:
    VBScriptRegExp();
    ~VBScriptRegExp();
    VBScriptRegExp(const VBScriptRegExp&) = delete;
    VBScriptRegExp& operator=(const VBScriptRegExp&) = delete;

    // Each setter passes its value to the service at once. They and Execute throw
    // EOleException with the service's message when it cannot be created or refuses a call
    // (a pattern it rejects is reported by Execute).
    void SetGlobal(bool on);
    void SetPattern(const std::string& pattern);
    void SetIgnoreCase(bool on);

    // The matches in order of occurrence.
    std::vector<RegExpMatch> Execute(const std::string& text);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
