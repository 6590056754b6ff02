#pragma once
// Standard controls: labels, buttons, check boxes, edits and memos, and string lists.
#include "toolkit/controls.h"
#include "toolkit/forms.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Throws the list's "index out of bounds" error unless 0 <= index < count.
void CheckListIndex(int index, int count);

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

protected:
    // A batch of changes tells once, at its end.
    void SetUpdateState(bool updating) override {
        if (!updating) Changed();
    }

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
    bool AllowGrayed() const { return allowGrayed_; }
    void SetAllowGrayed(bool v);
    // taLeftJustify puts the caption left of the box.
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment v);

protected:
    void CreateParams(TCreateParams& p) override;
    void InitializeWnd() override;
    void WndProc(TMessage& m) override;

private:
    TCheckBoxState state_ = cbUnchecked;
    bool allowGrayed_ = false;
    TAlignment alignment_ = taRightJustify;
};

class TCheckBox : public TCustomCheckBox {
    TOOLKIT_CLASS(TCheckBox)
public:
    using TCustomCheckBox::TCustomCheckBox;
};

// A radio button unchecks the radio buttons beside it (same parent) when it becomes checked.
class TRadioButton : public TButtonControl {
    TOOLKIT_CLASS(TRadioButton)
public:
    explicit TRadioButton(TComponent* owner);
    bool Checked() const;
    void SetChecked(bool v);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment v);

protected:
    void CreateParams(TCreateParams& p) override;
    void InitializeWnd() override;
    void WndProc(TMessage& m) override;

private:
    bool checked_ = false;
    TAlignment alignment_ = taRightJustify;
};

// A group box is a container: the system draws the frame and caption, the children are ours.
class TCustomGroupBox : public TWinControl {
    TOOLKIT_CLASS(TCustomGroupBox)
public:
    explicit TCustomGroupBox(TComponent* owner);

protected:
    void CreateParams(TCreateParams& p) override;
    void WndProc(TMessage& m) override;
};

class TGroupBox : public TCustomGroupBox {
    TOOLKIT_CLASS(TGroupBox)
public:
    using TCustomGroupBox::TCustomGroupBox;
};

// Only bsNone and bsSingle apply to controls.
using TBorderStyle = TFormBorderStyle;

// The items of a combo box or list box, held here and mirrored into the window.
class TListControlItems : public TStrings {
    TOOLKIT_CLASS(TListControlItems)
public:
    TListControlItems(TWinControl& control, bool combo) : control_(control), combo_(combo) {}
    int Count() const override { return static_cast<int>(items_.size()); }
    std::string Get(int index) const override;
    void Put(int index, const std::string& s) override;
    void Insert(int index, const std::string& s) override;
    void Delete(int index) override;
    void Clear() override;
    // Fills a new window with the items.
    void FillWindow() const;

private:
    void InsertIntoWindow(int index) const;
    TWinControl& control_;
    bool combo_;
    std::vector<std::string> items_;
};

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList };

class TCustomComboBox : public TWinControl {
    TOOLKIT_CLASS(TCustomComboBox)
public:
    explicit TCustomComboBox(TComponent* owner);
    TStrings& Items() { return items_; }
    TComboBoxStyle Style() const { return style_; }
    void SetStyle(TComboBoxStyle v);
    int ItemIndex() const;
    void SetItemIndex(int v);
    int DropDownCount() const { return dropDownCount_; }
    void SetDropDownCount(int v);
    // The edit's text, or the selected item's in a drop-down list.
    std::string GetText() const override;
    void SetText(const std::string& v) override;
    void SetBounds(int left, int top, int width, int height) override;
    TNotifyEvent OnChange;
    virtual void Change();

protected:
    void CreateParams(TCreateParams& p) override;
    void InitializeWnd() override;
    void WndProc(TMessage& m) override;

private:
    void ApplyDropDownHeight();
    TListControlItems items_;
    TComboBoxStyle style_ = csDropDown;
    int itemIndex_ = -1;
    int dropDownCount_ = 8;
};

class TComboBox : public TCustomComboBox {
    TOOLKIT_CLASS(TComboBox)
public:
    using TCustomComboBox::TCustomComboBox;
};

class TCustomListBox : public TWinControl {
    TOOLKIT_CLASS(TCustomListBox)
public:
    explicit TCustomListBox(TComponent* owner);
    TStrings& Items() { return items_; }
    // The selected item, or with MultiSelect the item with the focus rectangle.
    int ItemIndex() const;
    void SetItemIndex(int v);
    bool MultiSelect() const { return multiSelect_; }
    void SetMultiSelect(bool v);
    bool Selected(int index) const;
    void SetSelected(int index, bool v);
    int SelCount() const;
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle v);

protected:
    void CreateParams(TCreateParams& p) override;
    void InitializeWnd() override;
    void WndProc(TMessage& m) override;

private:
    void SaveSelection();
    TListControlItems items_;
    int itemIndex_ = -1;
    std::vector<int> selected_; // kept while there is no window
    bool multiSelect_ = false;
    TBorderStyle borderStyle_ = bsSingle;
};

class TListBox : public TCustomListBox {
    TOOLKIT_CLASS(TListBox)
public:
    using TCustomListBox::TCustomListBox;
};

enum TScrollBarKind { sbHorizontal, sbVertical };

class TScrollBar : public TWinControl {
    TOOLKIT_CLASS(TScrollBar)
public:
    explicit TScrollBar(TComponent* owner);
    TScrollBarKind Kind() const { return kind_; }
    void SetKind(TScrollBarKind v);
    int Min() const { return min_; }
    int Max() const { return max_; }
    int Position() const { return position_; }
    void SetMin(int v) { SetParams(position_, v, max_); }
    void SetMax(int v) { SetParams(position_, min_, v); }
    void SetPosition(int v) { SetParams(v, min_, max_); }
    // The position is kept within the range; OnChange fires when it moves.
    void SetParams(int position, int min, int max);
    int SmallChange() const { return smallChange_; }
    void SetSmallChange(int v) { smallChange_ = v; }
    int LargeChange() const { return largeChange_; }
    void SetLargeChange(int v) { largeChange_ = v; }
    int PageSize() const { return pageSize_; }
    void SetPageSize(int v);
    TNotifyEvent OnChange;

protected:
    void CreateParams(TCreateParams& p) override;
    void InitializeWnd() override;
    void WndProc(TMessage& m) override;

private:
    void UpdateScrollInfo();
    TScrollBarKind kind_ = sbHorizontal;
    int min_ = 0, max_ = 100, position_ = 0, smallChange_ = 1, largeChange_ = 1, pageSize_ = 0;
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
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle v);
    TNotifyEvent OnChange;
    virtual void Change();
    // How the held bytes and the window's characters map; the system code page unless set.
    // A mapping that gives every byte a character of its own (and back) makes typing keep the
    // bytes of the text around the change, also bytes that are no character of the code page.
    struct TextCodec {
        std::function<std::wstring(std::string_view)> toWindow;
        std::function<std::string(std::wstring_view)> fromWindow;
    };
    void SetTextCodec(TextCodec codec);

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
    TBorderStyle borderStyle_ = bsSingle;
    mutable std::string model_;
    mutable bool modelValid_ = true;
    bool settingWindow_ = false;
    TextCodec codec_;
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
