#pragma once
// TRegExp: the regular-expression component on the main window, over the system's
// "VBScript.RegExp" service. Not connected at creation: the service object is made on first use.
#include "analysis/regexp_service.h"
#include "toolkit/classes.h"

#include <memory>

class TRegExp : public TComponent {
    TOOLKIT_CLASS(TRegExp)
public:
    explicit TRegExp(TComponent* owner);
    ~TRegExp() override;

    void SetGlobal(bool on) { Service().SetGlobal(on); }
    void SetPattern(const std::string& pattern) { Service().SetPattern(pattern); }
    void SetIgnoreCase(bool on) { Service().SetIgnoreCase(on); }
    std::vector<RegExpMatch> Execute(const std::string& text) { return Service().Execute(text); }
    void ForEachMatch(const std::string& text,
                      const std::function<void(const RegExpMatch&)>& each) {
        Service().ForEachMatch(text, each);
    }
    bool FirstMatchIsEmpty(const std::string& text) { return Service().FirstMatchIsEmpty(text); }
    bool Connected() const { return service_ != nullptr; }

private:
    VBScriptRegExp& Service();
    std::unique_ptr<VBScriptRegExp> service_;
};
