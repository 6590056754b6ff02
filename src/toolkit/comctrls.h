#pragma once
// Common controls: tab controls and page control with tab sheets, report-style list view,
// status bar, up-down, progress bar, track bar, date-time picker.
#include "toolkit/stdctrls.h"

#include <memory>

class TPageControl;

enum TTabStyle { tsTabs, tsButtons, tsFlatButtons };
enum TTabPosition { tpTop, tpBottom, tpLeft, tpRight };

// A system tab control (SysTabControl32): the tabs' look and place live in its window style.
class TCustomTabControl : public TWinControl {
    TOOLKIT_CLASS(TCustomTabControl)
public:
    explicit TCustomTabControl(TComponent* owner);
    TTabStyle Style() const { return style_; }
    void SetStyle(TTabStyle v);
    TTabPosition TabPosition() const { return tabPosition_; }
    void SetTabPosition(TTabPosition v);
    bool MultiLine() const { return multiLine_; }
    void SetMultiLine(bool v);
    // The area inside the tabs, in client coordinates.
    RECT DisplayRect() const;
    TNotifyEvent OnChange;

protected:
    void CreateParams(TCreateParams& p) override;
    void WndProc(TMessage& m) override;
    // The user chose tab `index`.
    virtual void TabChanged(int index) {}
    void InsertTab(int index, const std::string& text);
    void SetTabText(int index, const std::string& text);
    void DeleteTab(int index);
    int SelectedTab() const;
    void SelectTab(int index);

private:
    TTabStyle style_ = tsTabs;
    TTabPosition tabPosition_ = tpTop;
    bool multiLine_ = false;
};

class TTabControl;

// The tabs of a tab control, mirrored into its window.
class TTabStrings : public TStrings {
    TOOLKIT_CLASS(TTabStrings)
public:
    explicit TTabStrings(TTabControl& owner) : owner_(owner) {}
    int Count() const override { return static_cast<int>(tabs_.size()); }
    std::string Get(int index) const override;
    void Put(int index, const std::string& s) override;
    void Insert(int index, const std::string& s) override;
    void Delete(int index) override;
    void Clear() override;

private:
    TTabControl& owner_;
    std::vector<std::string> tabs_;
};

// Tabs without pages: the program shows what a tab stands for itself.
class TTabControl : public TCustomTabControl {
    TOOLKIT_CLASS(TTabControl)
public:
    explicit TTabControl(TComponent* owner);
    TStrings& Tabs() { return tabs_; }
    int TabIndex() const;
    void SetTabIndex(int v);

protected:
    void InitializeWnd() override;
    void WndProc(TMessage& m) override;
    void TabChanged(int index) override;

private:
    friend class TTabStrings;
    TTabStrings tabs_;
    int tabIndex_ = -1;
};

class TTabSheet : public TWinControl {
    TOOLKIT_CLASS(TTabSheet)
public:
    explicit TTabSheet(TComponent* owner);
    ~TTabSheet() override;
    TPageControl* PageControl() const { return pageControl_; }
    int PageIndex() const;
    void SetParent(TWinControl* parent) override;
    std::string GetText() const override { return text_; }
    void SetText(const std::string& v) override;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;

protected:
    void CreateParams(TCreateParams& p) override;

private:
    friend class TPageControl;
    TPageControl* pageControl_ = nullptr;
};

class TPageControl : public TCustomTabControl {
    TOOLKIT_CLASS(TPageControl)
public:
    explicit TPageControl(TComponent* owner);
    int PageCount() const { return static_cast<int>(pages_.size()); }
    TTabSheet* Pages(int i) const { return pages_[static_cast<size_t>(i)]; }
    TTabSheet* ActivePage() const { return active_; }
    void SetActivePage(TTabSheet* page);
    int ActivePageIndex() const;
    void SetActivePageIndex(int i);
    void AlignControls() override;
    void Loaded() override;
    // The next page (or the previous), wrapping round, as the user's choice: OnChange runs.
    void SelectNextPage(bool forward);

protected:
    void InitializeWnd() override;
    void TabChanged(int index) override;
    // Ctrl+Tab and Ctrl+Shift+Tab turn the pages while the focus is in the control.
    void WndProc(TMessage& m) override;

private:
    friend class TTabSheet;
    void AddPage(TTabSheet* page);
    void RemovePage(TTabSheet* page);
    void UpdateTab(TTabSheet* page);
    void ShowPage(TTabSheet* page);
    std::vector<TTabSheet*> pages_;
    TTabSheet* active_ = nullptr;
    std::string pendingActive_;
};

class TCustomListView;
class TListItem;

class TListColumn : public TPersistent {
    TOOLKIT_CLASS(TListColumn)
public:
    explicit TListColumn(TCustomListView& owner) : owner_(owner) {}
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& v);
    int Width() const;
    void SetWidth(int v);
    int Index() const;

private:
    friend class TCustomListView;
    TCustomListView& owner_;
    std::string caption_;
    int width_ = 50;
};

// Sub-items of a list item: the columns after the caption.
class TListSubItems : public TStrings {
    TOOLKIT_CLASS(TListSubItems)
public:
    explicit TListSubItems(TListItem& item) : item_(item) {}
    int Count() const override { return static_cast<int>(items_.size()); }
    std::string Get(int index) const override;
    void Put(int index, const std::string& s) override;
    void Insert(int index, const std::string& s) override;
    void Delete(int index) override;
    void Clear() override;

private:
    void Sync(int from);
    TListItem& item_;
    std::vector<std::string> items_;
};

class TListItem : public TPersistent {
    TOOLKIT_CLASS(TListItem)
public:
    explicit TListItem(TCustomListView& owner) : owner_(owner), subItems_(*this) {}
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& v);
    TStrings& SubItems() { return subItems_; }
    int Index() const;
    TCustomListView& Owner() const { return owner_; }
    void MakeVisible();

private:
    friend class TListSubItems;
    friend class TCustomListView;
    friend class TListItems;
    TCustomListView& owner_;
    std::string caption_;
    TListSubItems subItems_;
    int index_ = -1;
};

class TListItems {
public:
    explicit TListItems(TCustomListView& owner) : owner_(owner) {}
    int Count() const { return static_cast<int>(items_.size()); }
    TListItem* Item(int i) const;
    TListItem* operator[](int i) const { return Item(i); }
    TListItem* Add();
    void Delete(int i);
    void Clear();
    int IndexOf(const TListItem* item) const;
    void BeginUpdate();
    void EndUpdate();

private:
    friend class TCustomListView;
    TCustomListView& owner_;
    std::vector<std::unique_ptr<TListItem>> items_;
};

enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };

class TCustomListView : public TWinControl {
    TOOLKIT_CLASS(TCustomListView)
public:
    explicit TCustomListView(TComponent* owner);
    ~TCustomListView() override;
    TListItems& Items() { return items_; }
    int ColumnCount() const { return static_cast<int>(columns_.size()); }
    TListColumn* Column(int i) const { return columns_[static_cast<size_t>(i)].get(); }
    TListColumn* AddColumn();
    void ClearColumns();
    TViewStyle ViewStyle() const { return viewStyle_; }
    void SetViewStyle(TViewStyle v);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool v) { readOnly_ = v; }
    bool RowSelect() const { return rowSelect_; }
    void SetRowSelect(bool v);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle v);
    void Scroll(int dx, int dy);

protected:
    void CreateParams(TCreateParams& p) override;
    void InitializeWnd() override;
    void WndProc(TMessage& m) override;

private:
    friend class TListItem;
    friend class TListItems;
    friend class TListSubItems;
    friend class TListColumn;
    void InsertColumnWindow(int index);
    void InsertItemWindow(int index);
    void SetItemText(int index, int column, const std::string& text);
    TListItems items_;
    std::vector<std::unique_ptr<TListColumn>> columns_;
    TViewStyle viewStyle_ = vsIcon;
    bool readOnly_ = false, rowSelect_ = false;
    TBorderStyle borderStyle_ = bsSingle;
    int updateCount_ = 0;
};

class TListView : public TCustomListView {
    TOOLKIT_CLASS(TListView)
public:
    using TCustomListView::TCustomListView;
};

class TStatusBar;
enum TStatusPanelBevel { pbNone, pbLowered, pbRaised };

class TStatusPanel : public TPersistent {
    TOOLKIT_CLASS(TStatusPanel)
public:
    explicit TStatusPanel(TStatusBar& owner) : owner_(owner) {}
    const std::string& Text() const { return text_; }
    void SetText(const std::string& v);
    int Width() const { return width_; }
    void SetWidth(int v);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment v);
    TStatusPanelBevel Bevel() const { return bevel_; }
    void SetBevel(TStatusPanelBevel v);
    int Index() const;

private:
    TStatusBar& owner_;
    std::string text_;
    int width_ = 50;
    TAlignment alignment_ = taLeftJustify;
    TStatusPanelBevel bevel_ = pbLowered;
};

// A system status bar; SimplePanel shows SimpleText across the whole bar instead of the panels.
class TStatusBar : public TWinControl {
    TOOLKIT_CLASS(TStatusBar)
public:
    explicit TStatusBar(TComponent* owner);
    int PanelCount() const { return static_cast<int>(panels_.size()); }
    TStatusPanel* Panel(int i) const { return panels_.at(static_cast<size_t>(i)).get(); }
    TStatusPanel* AddPanel();
    void ClearPanels();
    bool SimplePanel() const { return simplePanel_; }
    void SetSimplePanel(bool v);
    const std::string& SimpleText() const { return simpleText_; }
    void SetSimpleText(const std::string& v);
    bool SizeGrip() const { return sizeGrip_; }
    void SetSizeGrip(bool v);

protected:
    void CreateParams(TCreateParams& p) override;
    void InitializeWnd() override;

private:
    friend class TStatusPanel;
    void UpdatePanels();
    void UpdatePanelText(int index);
    std::vector<std::unique_ptr<TStatusPanel>> panels_;
    bool simplePanel_ = false, sizeGrip_ = true;
    std::string simpleText_;
};

enum TUDOrientation { udHorizontal, udVertical };

// Up-down arrows; with an Associate (a sibling edit) they sit at its right edge and show
// the position in it.
class TUpDown : public TWinControl {
    TOOLKIT_CLASS(TUpDown)
public:
    explicit TUpDown(TComponent* owner);
    int Min() const { return min_; }
    void SetMin(int v);
    int Max() const { return max_; }
    void SetMax(int v);
    int Position() const;
    void SetPosition(int v);
    int Increment() const { return increment_; }
    void SetIncrement(int v);
    TUDOrientation Orientation() const { return orientation_; }
    void SetOrientation(TUDOrientation v);
    bool Wrap() const { return wrap_; }
    void SetWrap(bool v);
    // Found by name among the components of the up-down's owner.
    TWinControl* Associate() const;
    void SetAssociate(TWinControl* c);
    void Loaded() override;

protected:
    void CreateParams(TCreateParams& p) override;
    void InitializeWnd() override;
    void WndProc(TMessage& m) override;

private:
    void AttachBuddy();
    int min_ = 0, max_ = 100, increment_ = 1;
    mutable int position_ = 0;
    TUDOrientation orientation_ = udVertical;
    bool wrap_ = false;
    std::string associate_;
};

enum TProgressBarOrientation { pbHorizontal, pbVertical };
enum TProgressBarStyle { pbstNormal, pbstMarquee };

class TProgressBar : public TWinControl {
    TOOLKIT_CLASS(TProgressBar)
public:
    explicit TProgressBar(TComponent* owner);
    int Min() const { return min_; }
    void SetMin(int v);
    int Max() const { return max_; }
    void SetMax(int v);
    int Position() const;
    void SetPosition(int v);
    int Step() const { return step_; }
    void SetStep(int v);
    void StepIt();
    TProgressBarOrientation Orientation() const { return orientation_; }
    void SetOrientation(TProgressBarOrientation v);
    bool Smooth() const { return smooth_; }
    void SetSmooth(bool v);
    TProgressBarStyle Style() const { return style_; }
    void SetStyle(TProgressBarStyle v);

protected:
    void CreateParams(TCreateParams& p) override;
    void InitializeWnd() override;
    void WndProc(TMessage& m) override;

private:
    int min_ = 0, max_ = 100, step_ = 10;
    mutable int position_ = 0;
    TProgressBarOrientation orientation_ = pbHorizontal;
    bool smooth_ = false;
    TProgressBarStyle style_ = pbstNormal;
};

enum TTrackBarOrientation { trHorizontal, trVertical };
enum TTickStyle { tsNone, tsAuto, tsManual };
enum TTickMark { tmBottomRight, tmTopLeft, tmBoth };

class TTrackBar : public TWinControl {
    TOOLKIT_CLASS(TTrackBar)
public:
    explicit TTrackBar(TComponent* owner);
    int Min() const { return min_; }
    void SetMin(int v);
    int Max() const { return max_; }
    void SetMax(int v);
    int Position() const;
    void SetPosition(int v);
    int Frequency() const { return frequency_; }
    void SetFrequency(int v);
    int PageSize() const { return pageSize_; }
    void SetPageSize(int v);
    TTrackBarOrientation Orientation() const { return orientation_; }
    void SetOrientation(TTrackBarOrientation v);
    TTickStyle TickStyle() const { return tickStyle_; }
    void SetTickStyle(TTickStyle v);
    TTickMark TickMarks() const { return tickMarks_; }
    void SetTickMarks(TTickMark v);
    // The user moved the thumb.
    TNotifyEvent OnChange;

protected:
    void CreateParams(TCreateParams& p) override;
    void InitializeWnd() override;
    void WndProc(TMessage& m) override;

private:
    int min_ = 0, max_ = 10, frequency_ = 1, pageSize_ = 2;
    mutable int position_ = 0;
    TTrackBarOrientation orientation_ = trHorizontal;
    TTickStyle tickStyle_ = tsAuto;
    TTickMark tickMarks_ = tmBottomRight;
};

enum TDateTimeKind { dtkDate, dtkTime };
enum TDTDateFormat { dfShort, dfLong };

// A system date-time picker. Date reads and writes "YYYY-MM-DD", Time "HH:MM:SS".
class TDateTimePicker : public TWinControl {
    TOOLKIT_CLASS(TDateTimePicker)
public:
    explicit TDateTimePicker(TComponent* owner);
    SYSTEMTIME DateTime() const;
    void SetDateTime(const SYSTEMTIME& v);
    std::string Date() const;
    void SetDate(const std::string& v);
    std::string Time() const;
    void SetTime(const std::string& v);
    TDateTimeKind Kind() const { return kind_; }
    void SetKind(TDateTimeKind v);
    TDTDateFormat DateFormat() const { return dateFormat_; }
    void SetDateFormat(TDTDateFormat v);
    // A check box in the picker; unchecked means "no date".
    bool ShowCheckbox() const { return showCheckbox_; }
    void SetShowCheckbox(bool v);
    bool Checked() const;
    void SetChecked(bool v);
    TNotifyEvent OnChange;

protected:
    void CreateParams(TCreateParams& p) override;
    void InitializeWnd() override;
    void WndProc(TMessage& m) override;

private:
    void SaveState();
    mutable SYSTEMTIME value_{};
    mutable bool checked_ = true;
    TDateTimeKind kind_ = dtkDate;
    TDTDateFormat dateFormat_ = dfShort;
    bool showCheckbox_ = false;
};
