#pragma once
// The system's regular-expression service, the COM object "VBScript.RegExp", reached through
// its dispatch interface only. Text goes in and comes out as 8-bit system-code-page strings.
// The object is created on the first call that needs it, on the calling thread, which must
// have initialised COM; use an instance from that thread only.
#include <functional>
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

    // The matches in order of occurrence. Text, values and sub-matches are 8-bit: a value is
    // exactly the bytes of the text it was found in, also where they are not characters of the
    // code page.
    std::vector<RegExpMatch> Execute(const std::string& text);
    // The same, one match after another, without holding them all.
    void ForEachMatch(const std::string& text, const std::function<void(const RegExpMatch&)>& each);
    // Whether the first match in `text` is empty, found without global matching; Global stays
    // as it was set. Under Wine the service never returns from a global match that meets an
    // empty match, so such a pattern is told before it is run.
    bool FirstMatchIsEmpty(const std::string& text);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
