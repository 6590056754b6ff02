#pragma once
// Common controls: page control with tab sheets, report-style list view.
#include "toolkit/stdctrls.h"

#include <memory>

class TPageControl;

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

enum TTabStyle { tsTabs, tsButtons, tsFlatButtons };

class TPageControl : public TWinControl {
    TOOLKIT_CLASS(TPageControl)
public:
    explicit TPageControl(TComponent* owner);
    int PageCount() const { return static_cast<int>(pages_.size()); }
    TTabSheet* Pages(int i) const { return pages_[static_cast<size_t>(i)]; }
    TTabSheet* ActivePage() const { return active_; }
    void SetActivePage(TTabSheet* page);
    int ActivePageIndex() const;
    void SetActivePageIndex(int i);
    TTabStyle Style() const { return style_; }
    void SetStyle(TTabStyle v);
    // The area inside the tabs that the sheets fill, in client coordinates.
    RECT DisplayRect() const;
    void AlignControls() override;
    void Loaded() override;
    TNotifyEvent OnChange;

protected:
    void CreateParams(TCreateParams& p) override;
    void InitializeWnd() override;
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
    TTabStyle style_ = tsTabs;
};

class TListView;
class TListItem;

class TListColumn : public TPersistent {
    TOOLKIT_CLASS(TListColumn)
public:
    explicit TListColumn(TListView& owner) : owner_(owner) {}
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& v);
    int Width() const;
    void SetWidth(int v);
    int Index() const;

private:
    friend class TListView;
    TListView& owner_;
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
    explicit TListItem(TListView& owner) : owner_(owner), subItems_(*this) {}
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& v);
    TStrings& SubItems() { return subItems_; }
    int Index() const;
    TListView& Owner() const { return owner_; }
    void MakeVisible();

private:
    friend class TListSubItems;
    friend class TListView;
    friend class TListItems;
    TListView& owner_;
    std::string caption_;
    TListSubItems subItems_;
    int index_ = -1;
};

class TListItems {
public:
    explicit TListItems(TListView& owner) : owner_(owner) {}
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
    friend class TListView;
    TListView& owner_;
    std::vector<std::unique_ptr<TListItem>> items_;
};

enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };

class TListView : public TWinControl {
    TOOLKIT_CLASS(TListView)
public:
    explicit TListView(TComponent* owner);
    ~TListView() override;
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
    int updateCount_ = 0;
};
