#pragma once
// Standard controls: labels, buttons, check boxes, edits and memos, and string lists.
#include "toolkit/controls.h"

#include <string>
#include <vector>

// A list of 8-bit lines.
class TStrings : public TPersistent {
    TOOLKIT_CLASS(TStrings)
public:
    virtual int Count() const = 0;
    virtual std::string Get(int index) const = 0;
    virtual void Put(int index, const std::string& s);
    virtual void Insert(int index, const std::string& s) = 0;
    virtual void Delete(int index) = 0;
    virtual void Clear() = 0;
    void Add(const std::string& s) { Insert(Count(), s); }
    std::string operator[](int index) const { return Get(index); }
    // Every line followed by CR LF (lists); a memo's own text for memo lines.
    virtual std::string Text() const;
    // Split at CR LF, lone CR or lone LF; a final line break adds no empty line.
    virtual void SetText(const std::string& text);
    std::vector<std::string> ToVector() const;
    void Assign(const std::vector<std::string>& lines);
    void BeginUpdate();
    void EndUpdate();
    int IndexOf(const std::string& s) const;

protected:
    virtual void SetUpdateState(bool updating) {}
    int updateCount_ = 0;
};

class TStringList : public TStrings {
    TOOLKIT_CLASS(TStringList)
public:
    int Count() const override { return static_cast<int>(lines_.size()); }
    std::string Get(int index) const override;
    void Put(int index, const std::string& s) override;
    void Insert(int index, const std::string& s) override;
    void Delete(int index) override;
    void Clear() override;
    std::function<void()> OnChange;

private:
    void Changed() {
        if (OnChange && updateCount_ == 0) OnChange();
    }
    std::vector<std::string> lines_;
};

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TTextLayout { tlTop, tlCenter, tlBottom };

class TCustomLabel : public TGraphicControl {
    TOOLKIT_CLASS(TCustomLabel)
public:
    explicit TCustomLabel(TComponent* owner);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool v);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool v);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool v);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment v);
    TTextLayout Layout() const { return layout_; }
    void SetLayout(TTextLayout v);
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool v);
    void SetText(const std::string& v) override;
    void Paint(TCanvas& canvas) override;
    void Loaded() override;

protected:
    void FontChanged() override;
    // Fits the bounds to the caption when AutoSize is on.
    void AdjustBounds();
    UINT DrawFlags() const;

private:
    bool transparent_ = false, autoSize_ = true, wordWrap_ = false, showAccelChar_ = true;
    TAlignment alignment_ = taLeftJustify;
    TTextLayout layout_ = tlTop;
};

class TLabel : public TCustomLabel {
    TOOLKIT_CLASS(TLabel)
public:
    using TCustomLabel::TCustomLabel;
};

class TButtonControl : public TWinControl {
    TOOLKIT_CLASS(TButtonControl)
public:
    explicit TButtonControl(TComponent* owner);
};

class TButton : public TButtonControl {
    TOOLKIT_CLASS(TButton)
public:
    using TButtonControl::TButtonControl;
    bool Default() const { return default_; }
    void SetDefault(bool v);

protected:
    void CreateParams(TCreateParams& p) override;
    void WndProc(TMessage& m) override;

private:
    bool default_ = false;
};

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

class TCustomCheckBox : public TButtonControl {
    TOOLKIT_CLASS(TCustomCheckBox)
public:
    using TButtonControl::TButtonControl;
    bool Checked() const { return State() == cbChecked; }
    void SetChecked(bool v) { SetState(v ? cbChecked : cbUnchecked); }
    TCheckBoxState State() const;
    void SetState(TCheckBoxState v);

protected:
    void CreateParams(TCreateParams& p) override;
    void InitializeWnd() override;
    void WndProc(TMessage& m) override;

private:
    TCheckBoxState state_ = cbUnchecked;
};

class TCheckBox : public TCustomCheckBox {
    TOOLKIT_CLASS(TCheckBox)
public:
    using TCustomCheckBox::TCustomCheckBox;
};

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

// An edit keeps the exact bytes the program gives it: text set by the program is read back
// unchanged even where the system code page cannot show every byte; text typed by the user
// is read from the window.
class TCustomEdit : public TWinControl {
    TOOLKIT_CLASS(TCustomEdit)
public:
    explicit TCustomEdit(TComponent* owner);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool v);
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int v);
    std::string GetText() const override;
    void SetText(const std::string& v) override;
    void SelectAll();
    TNotifyEvent OnChange;
    virtual void Change();

protected:
    void CreateParams(TCreateParams& p) override;
    void InitializeWnd() override;
    void WndProc(TMessage& m) override;
    // Replaces the held text; the window follows unless updates are deferred.
    void SetModelText(std::string text);
    const std::string& ModelText() const;
    void SyncWindow();
    // The held text changed (by the program or by typing).
    virtual void ModelChanged() {}
    bool deferWindow_ = false;
    bool windowStale_ = false;

private:
    bool readOnly_ = false;
    int maxLength_ = 0;
    mutable std::string model_;
    mutable bool modelValid_ = true;
    bool settingWindow_ = false;
};

class TEdit : public TCustomEdit {
    TOOLKIT_CLASS(TEdit)
public:
    using TCustomEdit::TCustomEdit;
};

class TCustomMemo;

// The lines of a memo, a view of its text: Count does not count a final empty line.
class TMemoStrings : public TStrings {
    TOOLKIT_CLASS(TMemoStrings)
public:
    explicit TMemoStrings(TCustomMemo& memo) : memo_(memo) {}
    int Count() const override;
    std::string Get(int index) const override;
    void Insert(int index, const std::string& s) override;
    void Delete(int index) override;
    void Clear() override;
    std::string Text() const override;
    void SetText(const std::string& text) override;

protected:
    void SetUpdateState(bool updating) override;

private:
    TCustomMemo& memo_;
};

class TCustomMemo : public TCustomEdit {
    TOOLKIT_CLASS(TCustomMemo)
public:
    explicit TCustomMemo(TComponent* owner);
    TStrings& Lines() { return lines_; }
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle v);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool v);
    bool WantReturns() const { return wantReturns_; }
    void SetWantReturns(bool v) { wantReturns_ = v; }

protected:
    void CreateParams(TCreateParams& p) override;
    void WndProc(TMessage& m) override;

private:
    friend class TMemoStrings;
    // Start offsets of the lines of the held text, built when first needed.
    const std::vector<size_t>& LineStarts() const;
    void ModelChanged() override { lineStartsValid_ = false; }
    TMemoStrings lines_;
    TScrollStyle scrollBars_ = ssNone;
    bool wordWrap_ = true, wantReturns_ = true;
    mutable std::vector<size_t> lineStarts_;
    mutable bool lineStartsValid_ = false;
};

class TMemo : public TCustomMemo {
    TOOLKIT_CLASS(TMemo)
public:
    using TCustomMemo::TCustomMemo;
};
