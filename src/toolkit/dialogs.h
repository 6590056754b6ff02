#pragma once
// The system's file-open dialog as a component.
#include "toolkit/classes.h"

#include <string>

class TOpenDialog : public TComponent {
    TOOLKIT_CLASS(TOpenDialog)
public:
    using TComponent::TComponent;
    // "Name|Pattern|Name|Pattern"
    const std::string& Filter() const { return filter_; }
    void SetFilter(const std::string& v) { filter_ = v; }
    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& v) { fileName_ = v; }
    const std::string& InitialDir() const { return initialDir_; }
    void SetInitialDir(const std::string& v) { initialDir_ = v; }
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& v) { title_ = v; }
    // Shows the dialog; true when the user chose a file (FileName then holds its full path).
    bool Execute();

private:
    std::string filter_, fileName_, initialDir_, title_;
};
