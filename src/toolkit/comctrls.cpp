#include "toolkit/comctrls.h"

#include "toolkit/exceptions.h"
#include "toolkit/win_text.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>

// ---------------------------------------------------------------- TTabSheet

const TClassInfo& TTabSheet::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TTabSheet>("TTabSheet", TWinControl::StaticClass())
            .Bool(
                "ParentBackground", [](TTabSheet& t) { return t.ParentBackground(); },
                [](TTabSheet& t, bool v) { t.SetParentBackground(v); })
            .Event("OnShow", [](TTabSheet& t, TNotifyEvent e) { t.OnShow = std::move(e); })
            .Event("OnHide", [](TTabSheet& t, TNotifyEvent e) { t.OnHide = std::move(e); })
            .Creatable()
            .Build();
    return info;
}

TTabSheet::TTabSheet(TComponent* owner) : TWinControl(owner) {
    SetVisible(false);
}

TTabSheet::~TTabSheet() {
    if (pageControl_) pageControl_->RemovePage(this);
}

int TTabSheet::PageIndex() const {
    if (!pageControl_) return -1;
    auto& p = pageControl_->pages_;
    auto it = std::find(p.begin(), p.end(), this);
    return it == p.end() ? -1 : static_cast<int>(it - p.begin());
}

void TTabSheet::SetParent(TWinControl* parent) {
    if (pageControl_) pageControl_->RemovePage(this);
    pageControl_ = nullptr;
    TWinControl::SetParent(parent);
    if (auto* pc = dynamic_cast<TPageControl*>(parent)) pc->AddPage(this);
}

void TTabSheet::SetText(const std::string& v) {
    // A sheet's caption is its tab's text, not window text.
    text_ = v;
    if (pageControl_) pageControl_->UpdateTab(this);
}

void TTabSheet::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.Style |= WS_CLIPCHILDREN;
    p.ExStyle |= WS_EX_CONTROLPARENT;
    p.Caption.clear();
}

// ---------------------------------------------------------------- TCustomTabControl

const TClassInfo& TCustomTabControl::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TCustomTabControl>("TCustomTabControl", TWinControl::StaticClass())
            .Enum(
                "Style", {"tsTabs", "tsButtons", "tsFlatButtons"},
                [](TCustomTabControl& t) { return t.Style(); },
                [](TCustomTabControl& t, int64_t v) { t.SetStyle(static_cast<TTabStyle>(v)); })
            .Enum(
                "TabPosition", {"tpTop", "tpBottom", "tpLeft", "tpRight"},
                [](TCustomTabControl& t) { return t.TabPosition(); },
                [](TCustomTabControl& t, int64_t v) {
                    t.SetTabPosition(static_cast<TTabPosition>(v));
                })
            .Bool(
                "MultiLine", [](TCustomTabControl& t) { return t.MultiLine(); },
                [](TCustomTabControl& t, bool v) { t.SetMultiLine(v); })
            .Event("OnChange",
                   [](TCustomTabControl& t, TNotifyEvent e) { t.OnChange = std::move(e); })
            .Build();
    return info;
}

TCustomTabControl::TCustomTabControl(TComponent* owner) : TWinControl(owner) {
    SetTabStop(true);
    SetBounds(0, 0, 289, 193);
}

void TCustomTabControl::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.SysClassName = WC_TABCONTROLW;
    p.Style |= WS_CLIPCHILDREN | TCS_FOCUSONBUTTONDOWN;
    if (style_ != tsTabs) p.Style |= TCS_BUTTONS;
    if (style_ == tsFlatButtons) p.Style |= TCS_FLATBUTTONS;
    // Side tabs exist only as several rows.
    if (multiLine_ || tabPosition_ == tpLeft || tabPosition_ == tpRight) p.Style |= TCS_MULTILINE;
    if (tabPosition_ == tpBottom) p.Style |= TCS_BOTTOM;
    if (tabPosition_ == tpLeft) p.Style |= TCS_VERTICAL;
    if (tabPosition_ == tpRight) p.Style |= TCS_VERTICAL | TCS_RIGHT;
    p.ExStyle |= WS_EX_CONTROLPARENT;
}

void TCustomTabControl::SetStyle(TTabStyle v) {
    if (v == style_) return;
    style_ = v;
    RecreateWnd();
    AlignControls();
}

void TCustomTabControl::SetTabPosition(TTabPosition v) {
    if (v == tabPosition_) return;
    tabPosition_ = v;
    RecreateWnd();
    AlignControls();
}

void TCustomTabControl::SetMultiLine(bool v) {
    if (v == multiLine_) return;
    multiLine_ = v;
    RecreateWnd();
    AlignControls();
}

RECT TCustomTabControl::DisplayRect() const {
    RECT r = ClientRect();
    if (handle_) SendMessageW(handle_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
    return r;
}

void TCustomTabControl::InsertTab(int index, const std::string& text) {
    if (!handle_) return;
    std::wstring w = Widen(text);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = w.data();
    SendMessageW(handle_, TCM_INSERTITEMW, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&item));
}

void TCustomTabControl::SetTabText(int index, const std::string& text) {
    if (!handle_) return;
    std::wstring w = Widen(text);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = w.data();
    SendMessageW(handle_, TCM_SETITEMW, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&item));
}

void TCustomTabControl::DeleteTab(int index) {
    if (handle_) SendMessageW(handle_, TCM_DELETEITEM, static_cast<WPARAM>(index), 0);
}

int TCustomTabControl::SelectedTab() const {
    return handle_ ? static_cast<int>(SendMessageW(handle_, TCM_GETCURSEL, 0, 0)) : -1;
}

void TCustomTabControl::SelectTab(int index) {
    if (handle_) SendMessageW(handle_, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void TCustomTabControl::WndProc(TMessage& m) {
    if (m.Msg == CN_NOTIFY) {
        auto* hdr = reinterpret_cast<NMHDR*>(m.LParam);
        if (hdr->code == TCN_SELCHANGE) TabChanged(SelectedTab());
        return;
    }
    if (m.Msg == WM_PAINT && !m.WParam) {
        // The system draws the tabs and the pane; graphic children go on top.
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(handle_, &ps);
        DefWndProc(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
        PaintControls(dc);
        EndPaint(handle_, &ps);
        return;
    }
    TWinControl::WndProc(m);
}

// ---------------------------------------------------------------- TTabControl

const TClassInfo& TTabStrings::StaticClass() {
    static const TClassInfo info{"TTabStrings", &TStrings::StaticClass(), {}, {}};
    return info;
}

std::string TTabStrings::Get(int index) const {
    CheckListIndex(index, Count());
    return tabs_[static_cast<size_t>(index)];
}

void TTabStrings::Put(int index, const std::string& s) {
    CheckListIndex(index, Count());
    tabs_[static_cast<size_t>(index)] = s;
    owner_.SetTabText(index, s);
}

void TTabStrings::Insert(int index, const std::string& s) {
    if (index < 0 || index > Count()) CheckListIndex(index, Count());
    tabs_.insert(tabs_.begin() + index, s);
    owner_.InsertTab(index, s);
    if (owner_.tabIndex_ < 0 && !owner_.IsLoading()) owner_.SetTabIndex(0);
}

void TTabStrings::Delete(int index) {
    CheckListIndex(index, Count());
    tabs_.erase(tabs_.begin() + index);
    owner_.DeleteTab(index);
    if (owner_.tabIndex_ >= Count()) owner_.SetTabIndex(Count() - 1);
}

void TTabStrings::Clear() {
    tabs_.clear();
    if (HWND h = owner_.WindowHandle()) SendMessageW(h, TCM_DELETEALLITEMS, 0, 0);
    owner_.tabIndex_ = -1;
}

const TClassInfo& TTabControl::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TTabControl>("TTabControl", TCustomTabControl::StaticClass())
            .Strings(
                "Tabs", [](TTabControl& t) { return t.Tabs().ToVector(); },
                [](TTabControl& t, const std::vector<std::string>& v) { t.Tabs().Assign(v); })
            .Int(
                "TabIndex", [](TTabControl& t) { return t.TabIndex(); },
                [](TTabControl& t, int64_t v) { t.SetTabIndex(static_cast<int>(v)); })
            .Creatable()
            .Build();
    return info;
}

TTabControl::TTabControl(TComponent* owner) : TCustomTabControl(owner), tabs_(*this) {}

int TTabControl::TabIndex() const {
    return handle_ ? SelectedTab() : tabIndex_;
}

void TTabControl::SetTabIndex(int v) {
    if (v < -1 || v >= tabs_.Count()) v = -1;
    tabIndex_ = v;
    SelectTab(v);
}

void TTabControl::InitializeWnd() {
    TCustomTabControl::InitializeWnd();
    for (int i = 0; i < tabs_.Count(); ++i) InsertTab(i, tabs_[i]);
    if (tabIndex_ < 0 && tabs_.Count() > 0) tabIndex_ = 0;
    SelectTab(tabIndex_);
}

void TTabControl::WndProc(TMessage& m) {
    if (m.Msg == WM_DESTROY && handle_) tabIndex_ = SelectedTab();
    TCustomTabControl::WndProc(m);
}

void TTabControl::TabChanged(int index) {
    tabIndex_ = index;
    if (OnChange) OnChange(this);
}

// ---------------------------------------------------------------- TPageControl

const TClassInfo& TPageControl::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TPageControl>("TPageControl", TCustomTabControl::StaticClass())
            .Str(
                "ActivePage",
                [](TPageControl& p) {
                    return p.ActivePage() ? p.ActivePage()->Name() : std::string();
                },
                [](TPageControl& p, const std::string& name) {
                    p.pendingActive_ = name;
                    if (!p.IsLoading())
                        for (TTabSheet* t : p.pages_)
                            if (SameText(t->Name(), name)) p.SetActivePage(t);
                })
            .Int(
                "ActivePageIndex", [](TPageControl& p) { return p.ActivePageIndex(); },
                [](TPageControl& p, int64_t v) { p.SetActivePageIndex(static_cast<int>(v)); })
            .Creatable()
            .Build();
    return info;
}

TPageControl::TPageControl(TComponent* owner) : TCustomTabControl(owner) {}

void TPageControl::InitializeWnd() {
    TCustomTabControl::InitializeWnd();
    for (size_t i = 0; i < pages_.size(); ++i) {
        std::wstring text = Widen(pages_[i]->Caption());
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text.data();
        SendMessageW(handle_, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
    if (active_) SendMessageW(handle_, TCM_SETCURSEL, static_cast<WPARAM>(ActivePageIndex()), 0);
}

void TPageControl::Loaded() {
    TCustomTabControl::Loaded();
    for (TTabSheet* t : pages_)
        if (!pendingActive_.empty() && SameText(t->Name(), pendingActive_)) SetActivePage(t);
    if (!active_ && !pages_.empty()) SetActivePage(pages_.front());
}

void TPageControl::AddPage(TTabSheet* page) {
    pages_.push_back(page);
    page->pageControl_ = this;
    if (handle_) {
        std::wstring text = Widen(page->Caption());
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text.data();
        SendMessageW(handle_, TCM_INSERTITEMW, pages_.size() - 1, reinterpret_cast<LPARAM>(&item));
    }
    if (!active_ && !IsLoading()) SetActivePage(page);
    AlignControls();
}

void TPageControl::RemovePage(TTabSheet* page) {
    auto it = std::find(pages_.begin(), pages_.end(), page);
    if (it == pages_.end()) return;
    int index = static_cast<int>(it - pages_.begin());
    pages_.erase(it);
    page->pageControl_ = nullptr;
    if (handle_) SendMessageW(handle_, TCM_DELETEITEM, static_cast<WPARAM>(index), 0);
    if (active_ == page) {
        active_ = nullptr;
        // While the control or its form goes, no other page is shown (nor its OnShow run).
        const bool going = IsDestroying() || (Owner() && Owner()->IsDestroying());
        if (!pages_.empty() && !going)
            SetActivePage(pages_[static_cast<size_t>(std::min(index, PageCount() - 1))]);
    }
}

void TPageControl::UpdateTab(TTabSheet* page) {
    int index = page->PageIndex();
    if (!handle_ || index < 0) return;
    std::wstring text = Widen(page->Caption());
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text.data();
    SendMessageW(handle_, TCM_SETITEMW, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&item));
    AlignControls();
}

int TPageControl::ActivePageIndex() const {
    return active_ ? active_->PageIndex() : -1;
}

void TPageControl::SetActivePageIndex(int i) {
    if (i >= 0 && i < PageCount()) SetActivePage(pages_[static_cast<size_t>(i)]);
}

void TPageControl::SetActivePage(TTabSheet* page) {
    if (page && page->pageControl_ != this) return;
    if (handle_ && page)
        SendMessageW(handle_, TCM_SETCURSEL, static_cast<WPARAM>(page->PageIndex()), 0);
    ShowPage(page);
}

void TPageControl::ShowPage(TTabSheet* page) {
    if (page == active_) return;
    TTabSheet* old = active_;
    active_ = page;
    if (page) {
        RECT r = DisplayRect();
        page->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
        page->SetVisible(true);
        page->BringToFront();
    }
    if (old) {
        old->SetVisible(false);
        if (old->OnHide) old->OnHide(old);
    }
    if (page && page->OnShow && !page->IsLoading()) page->OnShow(page);
}

void TPageControl::AlignControls() {
    RECT r = DisplayRect();
    for (TTabSheet* t : pages_) t->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
    TCustomTabControl::AlignControls();
}

void TPageControl::SelectNextPage(bool forward) {
    const int n = PageCount();
    if (n == 0) return;
    const int at = ActivePageIndex();
    const int next = at < 0 ? (forward ? 0 : n - 1) : (at + (forward ? 1 : n - 1)) % n;
    if (next == at) return;
    HWND focus = GetFocus();
    const bool focusOnPage = handle_ && focus && focus != handle_ && IsChild(handle_, focus);
    SetActivePage(pages_[static_cast<size_t>(next)]);
    // The focused control went with its page: the tabs keep the focus.
    if (focusOnPage && handle_ && !IsWindowVisible(focus)) ::SetFocus(handle_);
    if (OnChange) OnChange(this);
}

void TPageControl::WndProc(TMessage& m) {
    if (m.Msg == CM_DIALOGKEY && m.WParam == VK_TAB && handle_) {
        const TShiftState shift = KeyDataToShiftState(m.LParam);
        // The page control nearest the focus takes it, so nested ones turn their own pages.
        TPageControl* nearest = nullptr;
        for (HWND f = GetFocus(); f && !nearest; f = GetParent(f))
            nearest = dynamic_cast<TPageControl*>(FromHandle(f));
        if ((shift & ssCtrl) && !(shift & ssAlt) && nearest == this) {
            SelectNextPage(!(shift & ssShift));
            m.Result = 1;
            return;
        }
    }
    TCustomTabControl::WndProc(m);
}

void TPageControl::TabChanged(int i) {
    if (i >= 0 && i < PageCount()) {
        ShowPage(pages_[static_cast<size_t>(i)]);
        if (OnChange) OnChange(this);
    }
}

// ---------------------------------------------------------------- list view

const TClassInfo& TListColumn::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TListColumn>("TListColumn", TPersistent::StaticClass())
            .Str(
                "Caption", [](TListColumn& c) { return c.Caption(); },
                [](TListColumn& c, const std::string& v) { c.SetCaption(v); })
            .Int(
                "Width", [](TListColumn& c) { return c.Width(); },
                [](TListColumn& c, int64_t v) { c.SetWidth(static_cast<int>(v)); })
            .Build();
    return info;
}

int TListColumn::Index() const {
    for (int i = 0; i < owner_.ColumnCount(); ++i)
        if (owner_.Column(i) == this) return i;
    return -1;
}

void TListColumn::SetCaption(const std::string& v) {
    caption_ = v;
    if (HWND h = owner_.WindowHandle()) {
        std::wstring text = Widen(v);
        LVCOLUMNW col{};
        col.mask = LVCF_TEXT;
        col.pszText = text.data();
        SendMessageW(h, LVM_SETCOLUMNW, static_cast<WPARAM>(Index()),
                     reinterpret_cast<LPARAM>(&col));
    }
}

int TListColumn::Width() const {
    if (HWND h = owner_.WindowHandle())
        return static_cast<int>(
            SendMessageW(h, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(Index()), 0));
    return width_;
}

void TListColumn::SetWidth(int v) {
    width_ = v;
    if (HWND h = owner_.WindowHandle())
        SendMessageW(h, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(Index()), v);
}

const TClassInfo& TListSubItems::StaticClass() {
    static const TClassInfo info{"TListSubItems", &TStrings::StaticClass(), {}, {}};
    return info;
}

std::string TListSubItems::Get(int index) const {
    CheckListIndex(index, Count());
    return items_[static_cast<size_t>(index)];
}

void TListSubItems::Put(int index, const std::string& s) {
    CheckListIndex(index, Count());
    items_[static_cast<size_t>(index)] = s;
    Sync(index);
}

void TListSubItems::Insert(int index, const std::string& s) {
    if (index < 0 || index > Count()) CheckListIndex(index, Count());
    items_.insert(items_.begin() + index, s);
    Sync(index);
}

void TListSubItems::Delete(int index) {
    CheckListIndex(index, Count());
    items_.erase(items_.begin() + index);
    Sync(index);
    item_.owner_.SetItemText(item_.index_, Count() + 1, "");
}

void TListSubItems::Clear() {
    int old = Count();
    items_.clear();
    for (int i = 0; i < old; ++i) item_.owner_.SetItemText(item_.index_, i + 1, "");
}

void TListSubItems::Sync(int from) {
    for (int i = from; i < Count(); ++i)
        item_.owner_.SetItemText(item_.index_, i + 1, items_[static_cast<size_t>(i)]);
}

const TClassInfo& TListItem::StaticClass() {
    static const TClassInfo info{"TListItem", &TPersistent::StaticClass(), {}, {}};
    return info;
}

void TListItem::SetCaption(const std::string& v) {
    caption_ = v;
    owner_.SetItemText(index_, 0, v);
}

int TListItem::Index() const {
    return index_;
}

void TListItem::MakeVisible() {
    if (HWND h = owner_.WindowHandle())
        SendMessageW(h, LVM_ENSUREVISIBLE, static_cast<WPARAM>(index_), FALSE);
}

TListItem* TListItems::Item(int i) const {
    CheckListIndex(i, Count());
    return items_[static_cast<size_t>(i)].get();
}

TListItem* TListItems::Add() {
    auto item = std::make_unique<TListItem>(owner_);
    item->index_ = Count();
    items_.push_back(std::move(item));
    owner_.InsertItemWindow(Count() - 1);
    return items_.back().get();
}

void TListItems::Delete(int i) {
    CheckListIndex(i, Count());
    items_.erase(items_.begin() + i);
    for (int k = i; k < Count(); ++k) items_[static_cast<size_t>(k)]->index_ = k;
    if (HWND h = owner_.WindowHandle()) SendMessageW(h, LVM_DELETEITEM, static_cast<WPARAM>(i), 0);
}

void TListItems::Clear() {
    items_.clear();
    if (HWND h = owner_.WindowHandle()) SendMessageW(h, LVM_DELETEALLITEMS, 0, 0);
}

int TListItems::IndexOf(const TListItem* item) const {
    return item && &item->owner_ == &owner_ ? item->index_ : -1;
}

void TListItems::BeginUpdate() {
    if (owner_.updateCount_++ == 0 && owner_.WindowHandle())
        SendMessageW(owner_.WindowHandle(), WM_SETREDRAW, FALSE, 0);
}

void TListItems::EndUpdate() {
    if (owner_.updateCount_ > 0 && --owner_.updateCount_ == 0 && owner_.WindowHandle()) {
        SendMessageW(owner_.WindowHandle(), WM_SETREDRAW, TRUE, 0);
        InvalidateRect(owner_.WindowHandle(), nullptr, TRUE);
    }
}

const TClassInfo& TCustomListView::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TCustomListView>("TCustomListView", TWinControl::StaticClass())
            .Collection(
                "Columns", [](TCustomListView& l) -> TPersistent* { return l.AddColumn(); },
                [](TCustomListView& l) { l.ClearColumns(); })
            .Enum(
                "ViewStyle", {"vsIcon", "vsSmallIcon", "vsList", "vsReport"},
                [](TCustomListView& l) { return l.ViewStyle(); },
                [](TCustomListView& l, int64_t v) { l.SetViewStyle(static_cast<TViewStyle>(v)); })
            .Bool(
                "ReadOnly", [](TCustomListView& l) { return l.ReadOnly(); },
                [](TCustomListView& l, bool v) { l.SetReadOnly(v); })
            .Bool(
                "RowSelect", [](TCustomListView& l) { return l.RowSelect(); },
                [](TCustomListView& l, bool v) { l.SetRowSelect(v); })
            .Enum(
                "BorderStyle", {"bsNone", "bsSingle"},
                [](TCustomListView& l) { return l.BorderStyle(); },
                [](TCustomListView& l, int64_t v) {
                    l.SetBorderStyle(static_cast<TBorderStyle>(v));
                })
            .Build();
    return info;
}

const TClassInfo& TListView::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TListView>("TListView", TCustomListView::StaticClass()).Creatable().Build();
    return info;
}

TCustomListView::TCustomListView(TComponent* owner) : TWinControl(owner), items_(*this) {
    SetTabStop(true);
    SetColor(clWindow);
    SetBounds(0, 0, 250, 150);
}

TCustomListView::~TCustomListView() {
    // The items die with this object; the window must not ask them for anything meanwhile.
    if (handle_) DestroyWindow(handle_);
}

TListColumn* TCustomListView::AddColumn() {
    columns_.push_back(std::make_unique<TListColumn>(*this));
    InsertColumnWindow(ColumnCount() - 1);
    return columns_.back().get();
}

void TCustomListView::ClearColumns() {
    if (handle_)
        for (int i = ColumnCount() - 1; i >= 0; --i)
            SendMessageW(handle_, LVM_DELETECOLUMN, static_cast<WPARAM>(i), 0);
    columns_.clear();
}

void TCustomListView::SetViewStyle(TViewStyle v) {
    if (v == viewStyle_) return;
    viewStyle_ = v;
    RecreateWnd();
}

void TCustomListView::SetRowSelect(bool v) {
    rowSelect_ = v;
    if (handle_)
        SendMessageW(handle_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT,
                     v ? LVS_EX_FULLROWSELECT : 0);
}

void TCustomListView::SetBorderStyle(TBorderStyle v) {
    v = v == bsNone ? bsNone : bsSingle;
    if (v == borderStyle_) return;
    borderStyle_ = v;
    RecreateWnd();
}

void TCustomListView::Scroll(int dx, int dy) {
    if (handle_) SendMessageW(handle_, LVM_SCROLL, static_cast<WPARAM>(dx), dy);
}

void TCustomListView::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.SysClassName = WC_LISTVIEWW;
    static const DWORD kView[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};
    p.Style |= kView[viewStyle_] | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS;
    if (!readOnly_) p.Style |= LVS_EDITLABELS;
    if (borderStyle_ == bsSingle) p.ExStyle |= WS_EX_CLIENTEDGE;
    p.Caption.clear();
}

void TCustomListView::InitializeWnd() {
    TWinControl::InitializeWnd();
    if (rowSelect_)
        SendMessageW(handle_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT,
                     LVS_EX_FULLROWSELECT);
    for (int i = 0; i < ColumnCount(); ++i) InsertColumnWindow(i);
    for (int i = 0; i < items_.Count(); ++i) InsertItemWindow(i);
}

void TCustomListView::InsertColumnWindow(int index) {
    if (!handle_) return;
    TListColumn* c = Column(index);
    std::wstring text = Widen(c->Caption());
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    col.pszText = text.data();
    col.cx = c->width_;
    col.iSubItem = index;
    SendMessageW(handle_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&col));
}

void TCustomListView::InsertItemWindow(int index) {
    if (!handle_) return;
    TListItem* item = items_.Item(index);
    std::wstring text = Widen(item->caption_);
    LVITEMW lv{};
    lv.mask = LVIF_TEXT;
    lv.iItem = index;
    lv.pszText = text.data();
    SendMessageW(handle_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&lv));
    for (int i = 0; i < item->subItems_.Count(); ++i)
        SetItemText(index, i + 1, item->subItems_.Get(i));
}

void TCustomListView::SetItemText(int index, int column, const std::string& s) {
    if (!handle_ || index < 0) return;
    std::wstring text = Widen(s);
    LVITEMW lv{};
    lv.iSubItem = column;
    lv.pszText = text.data();
    SendMessageW(handle_, LVM_SETITEMTEXTW, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&lv));
}

void TCustomListView::WndProc(TMessage& m) {
    if (m.Msg == CN_NOTIFY) {
        auto* hdr = reinterpret_cast<NMHDR*>(m.LParam);
        if (hdr->code == LVN_BEGINLABELEDITW || hdr->code == LVN_BEGINLABELEDITA)
            m.Result = readOnly_ ? TRUE : FALSE;
        return;
    }
    TWinControl::WndProc(m);
}

// ---------------------------------------------------------------- status bar

const TClassInfo& TStatusPanel::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TStatusPanel>("TStatusPanel", TPersistent::StaticClass())
            .Str(
                "Text", [](TStatusPanel& p) { return p.Text(); },
                [](TStatusPanel& p, const std::string& v) { p.SetText(v); })
            .Int(
                "Width", [](TStatusPanel& p) { return p.Width(); },
                [](TStatusPanel& p, int64_t v) { p.SetWidth(static_cast<int>(v)); })
            .Enum(
                "Alignment", {"taLeftJustify", "taRightJustify", "taCenter"},
                [](TStatusPanel& p) { return p.Alignment(); },
                [](TStatusPanel& p, int64_t v) { p.SetAlignment(static_cast<TAlignment>(v)); })
            .Enum(
                "Bevel", {"pbNone", "pbLowered", "pbRaised"},
                [](TStatusPanel& p) { return p.Bevel(); },
                [](TStatusPanel& p, int64_t v) { p.SetBevel(static_cast<TStatusPanelBevel>(v)); })
            .Build();
    return info;
}

int TStatusPanel::Index() const {
    for (int i = 0; i < owner_.PanelCount(); ++i)
        if (owner_.Panel(i) == this) return i;
    return -1;
}

void TStatusPanel::SetText(const std::string& v) {
    text_ = v;
    owner_.UpdatePanelText(Index());
}

void TStatusPanel::SetWidth(int v) {
    width_ = std::max(v, 0);
    owner_.UpdatePanels();
}

void TStatusPanel::SetAlignment(TAlignment v) {
    alignment_ = v;
    owner_.UpdatePanelText(Index());
}

void TStatusPanel::SetBevel(TStatusPanelBevel v) {
    bevel_ = v;
    owner_.UpdatePanelText(Index());
}

const TClassInfo& TStatusBar::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TStatusBar>("TStatusBar", TWinControl::StaticClass())
            .Collection(
                "Panels", [](TStatusBar& s) -> TPersistent* { return s.AddPanel(); },
                [](TStatusBar& s) { s.ClearPanels(); })
            .Bool(
                "SimplePanel", [](TStatusBar& s) { return s.SimplePanel(); },
                [](TStatusBar& s, bool v) { s.SetSimplePanel(v); })
            .Str(
                "SimpleText", [](TStatusBar& s) { return s.SimpleText(); },
                [](TStatusBar& s, const std::string& v) { s.SetSimpleText(v); })
            .Bool(
                "SizeGrip", [](TStatusBar& s) { return s.SizeGrip(); },
                [](TStatusBar& s, bool v) { s.SetSizeGrip(v); })
            .Creatable()
            .Build();
    return info;
}

TStatusBar::TStatusBar(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 200, 19);
    SetAlign(alBottom);
}

TStatusPanel* TStatusBar::AddPanel() {
    panels_.push_back(std::make_unique<TStatusPanel>(*this));
    UpdatePanels();
    return panels_.back().get();
}

void TStatusBar::ClearPanels() {
    panels_.clear();
    UpdatePanels();
}

void TStatusBar::SetSimplePanel(bool v) {
    simplePanel_ = v;
    if (handle_) SendMessageW(handle_, SB_SIMPLE, v ? TRUE : FALSE, 0);
}

void TStatusBar::SetSimpleText(const std::string& v) {
    simpleText_ = v;
    if (!handle_) return;
    std::wstring w = Widen(v);
    WPARAM flags = SB_SIMPLEID | (UseRightToLeftReading() ? SBT_RTLREADING : 0);
    SendMessageW(handle_, SB_SETTEXTW, flags, reinterpret_cast<LPARAM>(w.c_str()));
}

void TStatusBar::SetSizeGrip(bool v) {
    if (v == sizeGrip_) return;
    sizeGrip_ = v;
    RecreateWnd();
}

void TStatusBar::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.SysClassName = STATUSCLASSNAMEW;
    // Our alignment places the bar, not the bar itself.
    p.Style |= CCS_NOPARENTALIGN | CCS_NORESIZE;
    if (sizeGrip_) p.Style |= SBARS_SIZEGRIP;
    p.Caption.clear();
}

void TStatusBar::InitializeWnd() {
    TWinControl::InitializeWnd();
    UpdatePanels();
    SetSimpleText(simpleText_);
    SendMessageW(handle_, SB_SIMPLE, simplePanel_ ? TRUE : FALSE, 0);
}

void TStatusBar::UpdatePanels() {
    if (!handle_) return;
    // Each part's right edge; the last part reaches the end of the bar.
    std::vector<int> edges;
    int x = 0;
    for (const auto& p : panels_) edges.push_back(x += p->Width());
    if (edges.empty()) edges.push_back(-1);
    edges.back() = -1;
    SendMessageW(handle_, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
    for (int i = 0; i < PanelCount(); ++i) UpdatePanelText(i);
}

void TStatusBar::UpdatePanelText(int index) {
    if (!handle_ || index < 0 || index >= PanelCount()) return;
    const TStatusPanel& p = *Panel(index);
    // Status bars centre text after one tab and right-align it after two.
    std::string text = p.Alignment() == taCenter         ? "\t" + p.Text()
                       : p.Alignment() == taRightJustify ? "\t\t" + p.Text()
                                                         : p.Text();
    std::wstring w = Widen(text);
    WPARAM flags = static_cast<WPARAM>(index);
    if (p.Bevel() == pbNone) flags |= SBT_NOBORDERS;
    if (p.Bevel() == pbRaised) flags |= SBT_POPOUT;
    if (UseRightToLeftReading()) flags |= SBT_RTLREADING;
    SendMessageW(handle_, SB_SETTEXTW, flags, reinterpret_cast<LPARAM>(w.c_str()));
}

// ---------------------------------------------------------------- TUpDown

const TClassInfo& TUpDown::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TUpDown>("TUpDown", TWinControl::StaticClass())
            .Int(
                "Min", [](TUpDown& u) { return u.Min(); },
                [](TUpDown& u, int64_t v) { u.SetMin(static_cast<int>(v)); })
            .Int(
                "Max", [](TUpDown& u) { return u.Max(); },
                [](TUpDown& u, int64_t v) { u.SetMax(static_cast<int>(v)); })
            .Int(
                "Position", [](TUpDown& u) { return u.Position(); },
                [](TUpDown& u, int64_t v) { u.SetPosition(static_cast<int>(v)); })
            .Int(
                "Increment", [](TUpDown& u) { return u.Increment(); },
                [](TUpDown& u, int64_t v) { u.SetIncrement(static_cast<int>(v)); })
            .Enum(
                "Orientation", {"udHorizontal", "udVertical"},
                [](TUpDown& u) { return u.Orientation(); },
                [](TUpDown& u, int64_t v) { u.SetOrientation(static_cast<TUDOrientation>(v)); })
            .Bool(
                "Wrap", [](TUpDown& u) { return u.Wrap(); },
                [](TUpDown& u, bool v) { u.SetWrap(v); })
            .Str(
                "Associate", [](TUpDown& u) { return u.associate_; },
                [](TUpDown& u, const std::string& v) {
                    u.associate_ = v;
                    if (!u.IsLoading()) u.AttachBuddy();
                })
            .Creatable()
            .Build();
    return info;
}

TUpDown::TUpDown(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 17, 21);
}

void TUpDown::SetMin(int v) {
    min_ = v;
    if (handle_) SendMessageW(handle_, UDM_SETRANGE32, static_cast<WPARAM>(min_), max_);
}

void TUpDown::SetMax(int v) {
    max_ = v;
    if (handle_) SendMessageW(handle_, UDM_SETRANGE32, static_cast<WPARAM>(min_), max_);
}

int TUpDown::Position() const {
    // The answer is the control's own value even when the error flag is set: the flag only
    // says the buddy's text was not a number, and the system sets it whenever there is no buddy.
    if (handle_) position_ = static_cast<int>(SendMessageW(handle_, UDM_GETPOS32, 0, 0));
    return position_;
}

void TUpDown::SetPosition(int v) {
    position_ = std::clamp(v, std::min(min_, max_), std::max(min_, max_));
    if (handle_) SendMessageW(handle_, UDM_SETPOS32, 0, position_);
}

void TUpDown::SetIncrement(int v) {
    increment_ = v;
    if (handle_) {
        UDACCEL accel{0, static_cast<UINT>(std::max(v, 1))};
        SendMessageW(handle_, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
    }
}

void TUpDown::SetOrientation(TUDOrientation v) {
    if (v == orientation_) return;
    orientation_ = v;
    Position();
    RecreateWnd();
}

void TUpDown::SetWrap(bool v) {
    if (v == wrap_) return;
    wrap_ = v;
    Position();
    RecreateWnd();
}

TWinControl* TUpDown::Associate() const {
    if (associate_.empty()) return nullptr;
    TComponent* found = Owner() ? Owner()->FindComponent(associate_) : nullptr;
    if (!found && parent_)
        for (int i = 0; i < parent_->ControlCount() && !found; ++i)
            if (SameText(parent_->Controls(i)->Name(), associate_)) found = parent_->Controls(i);
    auto* w = dynamic_cast<TWinControl*>(found);
    return w != this ? w : nullptr;
}

void TUpDown::SetAssociate(TWinControl* c) {
    if (c && c->Name().empty()) throw Exception("An up-down's associate needs a name");
    associate_ = c ? c->Name() : std::string();
    AttachBuddy();
}

void TUpDown::AttachBuddy() {
    if (!handle_) return;
    TWinControl* buddy = Associate();
    SendMessageW(
        handle_, UDM_SETBUDDY,
        reinterpret_cast<WPARAM>(buddy && parent_ == buddy->Parent() ? buddy->Handle() : nullptr),
        0);
    if (buddy) SendMessageW(handle_, UDM_SETPOS32, 0, position_);
}

void TUpDown::Loaded() {
    TWinControl::Loaded();
    AttachBuddy();
}

void TUpDown::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.SysClassName = UPDOWN_CLASSW;
    p.Style |= UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_ALIGNRIGHT | UDS_NOTHOUSANDS;
    if (orientation_ == udHorizontal) p.Style |= UDS_HORZ;
    if (wrap_) p.Style |= UDS_WRAP;
    p.Caption.clear();
}

void TUpDown::InitializeWnd() {
    TWinControl::InitializeWnd();
    SendMessageW(handle_, UDM_SETRANGE32, static_cast<WPARAM>(min_), max_);
    SendMessageW(handle_, UDM_SETPOS32, 0, position_);
    SetIncrement(increment_);
    if (!IsLoading()) AttachBuddy();
}

void TUpDown::WndProc(TMessage& m) {
    if (m.Msg == CN_VSCROLL || m.Msg == CN_HSCROLL) {
        if (LOWORD(m.WParam) == SB_THUMBPOSITION) {
            Position();
            Click();
        }
        m.Result = 0;
        return;
    }
    if (m.Msg == WM_DESTROY) Position();
    TWinControl::WndProc(m);
}

// ---------------------------------------------------------------- TProgressBar

const TClassInfo& TProgressBar::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TProgressBar>("TProgressBar", TWinControl::StaticClass())
            .Int(
                "Min", [](TProgressBar& b) { return b.Min(); },
                [](TProgressBar& b, int64_t v) { b.SetMin(static_cast<int>(v)); })
            .Int(
                "Max", [](TProgressBar& b) { return b.Max(); },
                [](TProgressBar& b, int64_t v) { b.SetMax(static_cast<int>(v)); })
            .Int(
                "Position", [](TProgressBar& b) { return b.Position(); },
                [](TProgressBar& b, int64_t v) { b.SetPosition(static_cast<int>(v)); })
            .Int(
                "Step", [](TProgressBar& b) { return b.Step(); },
                [](TProgressBar& b, int64_t v) { b.SetStep(static_cast<int>(v)); })
            .Enum(
                "Orientation", {"pbHorizontal", "pbVertical"},
                [](TProgressBar& b) { return b.Orientation(); },
                [](TProgressBar& b, int64_t v) {
                    b.SetOrientation(static_cast<TProgressBarOrientation>(v));
                })
            .Bool(
                "Smooth", [](TProgressBar& b) { return b.Smooth(); },
                [](TProgressBar& b, bool v) { b.SetSmooth(v); })
            .Enum(
                "Style", {"pbstNormal", "pbstMarquee"}, [](TProgressBar& b) { return b.Style(); },
                [](TProgressBar& b, int64_t v) { b.SetStyle(static_cast<TProgressBarStyle>(v)); })
            .Creatable()
            .Build();
    return info;
}

TProgressBar::TProgressBar(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 150, 17);
}

void TProgressBar::SetMin(int v) {
    min_ = v;
    if (handle_) SendMessageW(handle_, PBM_SETRANGE32, static_cast<WPARAM>(min_), max_);
}

void TProgressBar::SetMax(int v) {
    max_ = v;
    if (handle_) SendMessageW(handle_, PBM_SETRANGE32, static_cast<WPARAM>(min_), max_);
}

int TProgressBar::Position() const {
    if (handle_) position_ = static_cast<int>(SendMessageW(handle_, PBM_GETPOS, 0, 0));
    return position_;
}

void TProgressBar::SetPosition(int v) {
    position_ = std::clamp(v, std::min(min_, max_), std::max(min_, max_));
    if (handle_) SendMessageW(handle_, PBM_SETPOS, static_cast<WPARAM>(position_), 0);
}

void TProgressBar::SetStep(int v) {
    step_ = v;
    if (handle_) SendMessageW(handle_, PBM_SETSTEP, static_cast<WPARAM>(v), 0);
}

void TProgressBar::StepIt() {
    if (handle_)
        SendMessageW(handle_, PBM_STEPIT, 0, 0);
    else
        position_ =
            position_ + step_ > max_ ? min_ + (position_ + step_ - max_) : position_ + step_;
}

void TProgressBar::SetOrientation(TProgressBarOrientation v) {
    if (v == orientation_) return;
    Position();
    orientation_ = v;
    RecreateWnd();
}

void TProgressBar::SetSmooth(bool v) {
    if (v == smooth_) return;
    Position();
    smooth_ = v;
    RecreateWnd();
}

void TProgressBar::SetStyle(TProgressBarStyle v) {
    if (v == style_) return;
    Position();
    style_ = v;
    RecreateWnd();
}

void TProgressBar::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.SysClassName = PROGRESS_CLASSW;
    if (orientation_ == pbVertical) p.Style |= PBS_VERTICAL;
    if (smooth_) p.Style |= PBS_SMOOTH;
    if (style_ == pbstMarquee) p.Style |= PBS_MARQUEE;
    p.Caption.clear();
}

void TProgressBar::InitializeWnd() {
    TWinControl::InitializeWnd();
    SendMessageW(handle_, PBM_SETRANGE32, static_cast<WPARAM>(min_), max_);
    SendMessageW(handle_, PBM_SETSTEP, static_cast<WPARAM>(step_), 0);
    SendMessageW(handle_, PBM_SETPOS, static_cast<WPARAM>(position_), 0);
    if (style_ == pbstMarquee) SendMessageW(handle_, PBM_SETMARQUEE, TRUE, 30);
}

void TProgressBar::WndProc(TMessage& m) {
    if (m.Msg == WM_DESTROY) Position();
    TWinControl::WndProc(m);
}

// ---------------------------------------------------------------- TTrackBar

const TClassInfo& TTrackBar::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TTrackBar>("TTrackBar", TWinControl::StaticClass())
            .Int(
                "Min", [](TTrackBar& t) { return t.Min(); },
                [](TTrackBar& t, int64_t v) { t.SetMin(static_cast<int>(v)); })
            .Int(
                "Max", [](TTrackBar& t) { return t.Max(); },
                [](TTrackBar& t, int64_t v) { t.SetMax(static_cast<int>(v)); })
            .Int(
                "Position", [](TTrackBar& t) { return t.Position(); },
                [](TTrackBar& t, int64_t v) { t.SetPosition(static_cast<int>(v)); })
            .Int(
                "Frequency", [](TTrackBar& t) { return t.Frequency(); },
                [](TTrackBar& t, int64_t v) { t.SetFrequency(static_cast<int>(v)); })
            .Int(
                "PageSize", [](TTrackBar& t) { return t.PageSize(); },
                [](TTrackBar& t, int64_t v) { t.SetPageSize(static_cast<int>(v)); })
            .Enum(
                "Orientation", {"trHorizontal", "trVertical"},
                [](TTrackBar& t) { return t.Orientation(); },
                [](TTrackBar& t, int64_t v) {
                    t.SetOrientation(static_cast<TTrackBarOrientation>(v));
                })
            .Enum(
                "TickStyle", {"tsNone", "tsAuto", "tsManual"},
                [](TTrackBar& t) { return t.TickStyle(); },
                [](TTrackBar& t, int64_t v) { t.SetTickStyle(static_cast<TTickStyle>(v)); })
            .Enum(
                "TickMarks", {"tmBottomRight", "tmTopLeft", "tmBoth"},
                [](TTrackBar& t) { return t.TickMarks(); },
                [](TTrackBar& t, int64_t v) { t.SetTickMarks(static_cast<TTickMark>(v)); })
            .Event("OnChange", [](TTrackBar& t, TNotifyEvent e) { t.OnChange = std::move(e); })
            .Creatable()
            .Build();
    return info;
}

TTrackBar::TTrackBar(TComponent* owner) : TWinControl(owner) {
    SetTabStop(true);
    SetBounds(0, 0, 150, 45);
}

void TTrackBar::SetMin(int v) {
    min_ = v;
    if (handle_) SendMessageW(handle_, TBM_SETRANGEMIN, TRUE, v);
}

void TTrackBar::SetMax(int v) {
    max_ = v;
    if (handle_) SendMessageW(handle_, TBM_SETRANGEMAX, TRUE, v);
}

int TTrackBar::Position() const {
    if (handle_) position_ = static_cast<int>(SendMessageW(handle_, TBM_GETPOS, 0, 0));
    return position_;
}

void TTrackBar::SetPosition(int v) {
    position_ = std::clamp(v, std::min(min_, max_), std::max(min_, max_));
    if (handle_) SendMessageW(handle_, TBM_SETPOS, TRUE, position_);
}

void TTrackBar::SetFrequency(int v) {
    frequency_ = v;
    if (handle_) SendMessageW(handle_, TBM_SETTICFREQ, static_cast<WPARAM>(v), 0);
}

void TTrackBar::SetPageSize(int v) {
    pageSize_ = v;
    if (handle_) SendMessageW(handle_, TBM_SETPAGESIZE, 0, v);
}

void TTrackBar::SetOrientation(TTrackBarOrientation v) {
    if (v == orientation_) return;
    Position();
    orientation_ = v;
    if (!IsLoading()) SetBounds(left_, top_, height_, width_);
    RecreateWnd();
}

void TTrackBar::SetTickStyle(TTickStyle v) {
    if (v == tickStyle_) return;
    Position();
    tickStyle_ = v;
    RecreateWnd();
}

void TTrackBar::SetTickMarks(TTickMark v) {
    if (v == tickMarks_) return;
    Position();
    tickMarks_ = v;
    RecreateWnd();
}

void TTrackBar::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.SysClassName = TRACKBAR_CLASSW;
    p.Style |= orientation_ == trVertical ? TBS_VERT : TBS_HORZ;
    if (tickStyle_ == tsNone) p.Style |= TBS_NOTICKS;
    if (tickStyle_ == tsAuto) p.Style |= TBS_AUTOTICKS;
    static const DWORD kMarks[] = {TBS_BOTTOM, TBS_TOP, TBS_BOTH};
    p.Style |= kMarks[tickMarks_];
    p.Caption.clear();
}

void TTrackBar::InitializeWnd() {
    TWinControl::InitializeWnd();
    SendMessageW(handle_, TBM_SETRANGEMIN, FALSE, min_);
    SendMessageW(handle_, TBM_SETRANGEMAX, FALSE, max_);
    SendMessageW(handle_, TBM_SETTICFREQ, static_cast<WPARAM>(frequency_), 0);
    SendMessageW(handle_, TBM_SETPAGESIZE, 0, pageSize_);
    SendMessageW(handle_, TBM_SETPOS, TRUE, position_);
}

void TTrackBar::WndProc(TMessage& m) {
    if (m.Msg == CN_HSCROLL || m.Msg == CN_VSCROLL) {
        int old = position_;
        if (Position() != old && OnChange) OnChange(this);
        m.Result = 0;
        return;
    }
    if (m.Msg == WM_DESTROY) Position();
    TWinControl::WndProc(m);
}

// ---------------------------------------------------------------- TDateTimePicker

const TClassInfo& TDateTimePicker::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TDateTimePicker>("TDateTimePicker", TWinControl::StaticClass())
            .Str(
                "Date", [](TDateTimePicker& d) { return d.Date(); },
                [](TDateTimePicker& d, const std::string& v) { d.SetDate(v); })
            .Str(
                "Time", [](TDateTimePicker& d) { return d.Time(); },
                [](TDateTimePicker& d, const std::string& v) { d.SetTime(v); })
            .Enum(
                "Kind", {"dtkDate", "dtkTime"}, [](TDateTimePicker& d) { return d.Kind(); },
                [](TDateTimePicker& d, int64_t v) { d.SetKind(static_cast<TDateTimeKind>(v)); })
            .Enum(
                "DateFormat", {"dfShort", "dfLong"},
                [](TDateTimePicker& d) { return d.DateFormat(); },
                [](TDateTimePicker& d, int64_t v) {
                    d.SetDateFormat(static_cast<TDTDateFormat>(v));
                })
            .Bool(
                "ShowCheckbox", [](TDateTimePicker& d) { return d.ShowCheckbox(); },
                [](TDateTimePicker& d, bool v) { d.SetShowCheckbox(v); })
            .Bool(
                "Checked", [](TDateTimePicker& d) { return d.Checked(); },
                [](TDateTimePicker& d, bool v) { d.SetChecked(v); })
            .Event("OnChange",
                   [](TDateTimePicker& d, TNotifyEvent e) { d.OnChange = std::move(e); })
            .Creatable()
            .Build();
    return info;
}

TDateTimePicker::TDateTimePicker(TComponent* owner) : TWinControl(owner) {
    static const bool registered = [] {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_DATE_CLASSES};
        return InitCommonControlsEx(&icc) != FALSE;
    }();
    (void)registered;
    SetTabStop(true);
    SetColor(clWindow);
    SetBounds(0, 0, 186, 21);
    GetLocalTime(&value_);
    value_.wMilliseconds = 0;
}

void TDateTimePicker::SaveState() {
    if (!handle_) return;
    SYSTEMTIME st{};
    LRESULT r = SendMessageW(handle_, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st));
    checked_ = r == GDT_VALID;
    if (checked_) value_ = st;
}

SYSTEMTIME TDateTimePicker::DateTime() const {
    const_cast<TDateTimePicker*>(this)->SaveState();
    return value_;
}

void TDateTimePicker::SetDateTime(const SYSTEMTIME& v) {
    value_ = v;
    // The day of the week follows from the date.
    FILETIME ft;
    if (SystemTimeToFileTime(&value_, &ft)) FileTimeToSystemTime(&ft, &value_);
    checked_ = true;
    if (handle_)
        SendMessageW(handle_, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&value_));
}

std::string TDateTimePicker::Date() const {
    SYSTEMTIME st = DateTime();
    char buf[16];
    snprintf(buf, sizeof(buf), "%04u-%02u-%02u", st.wYear, st.wMonth, st.wDay);
    return buf;
}

void TDateTimePicker::SetDate(const std::string& v) {
    unsigned y = 0, m = 0, d = 0;
    if (sscanf(v.c_str(), "%u-%u-%u", &y, &m, &d) != 3) return;
    SYSTEMTIME st = DateTime();
    st.wYear = static_cast<WORD>(y);
    st.wMonth = static_cast<WORD>(m);
    st.wDay = static_cast<WORD>(d);
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    if (y < 1601 || y > 9999 || m < 1 || m > 12 || d < 1 ||
        d > static_cast<unsigned>(kDays[m - 1] + (m == 2 && leap ? 1 : 0)))
        return; // not a date
    SetDateTime(st);
}

std::string TDateTimePicker::Time() const {
    SYSTEMTIME st = DateTime();
    char buf[16];
    snprintf(buf, sizeof(buf), "%02u:%02u:%02u", st.wHour, st.wMinute, st.wSecond);
    return buf;
}

void TDateTimePicker::SetTime(const std::string& v) {
    unsigned h = 0, m = 0, s = 0;
    if (sscanf(v.c_str(), "%u:%u:%u", &h, &m, &s) < 2 || h > 23 || m > 59 || s > 59) return;
    SYSTEMTIME st = DateTime();
    st.wHour = static_cast<WORD>(h);
    st.wMinute = static_cast<WORD>(m);
    st.wSecond = static_cast<WORD>(s);
    SetDateTime(st);
}

void TDateTimePicker::SetKind(TDateTimeKind v) {
    if (v == kind_) return;
    SaveState();
    kind_ = v;
    RecreateWnd();
}

void TDateTimePicker::SetDateFormat(TDTDateFormat v) {
    if (v == dateFormat_) return;
    SaveState();
    dateFormat_ = v;
    RecreateWnd();
}

void TDateTimePicker::SetShowCheckbox(bool v) {
    if (v == showCheckbox_) return;
    SaveState();
    showCheckbox_ = v;
    RecreateWnd();
}

bool TDateTimePicker::Checked() const {
    const_cast<TDateTimePicker*>(this)->SaveState();
    return checked_;
}

void TDateTimePicker::SetChecked(bool v) {
    checked_ = v;
    if (!handle_ || !showCheckbox_) return;
    if (v)
        SendMessageW(handle_, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&value_));
    else
        SendMessageW(handle_, DTM_SETSYSTEMTIME, GDT_NONE, reinterpret_cast<LPARAM>(&value_));
}

void TDateTimePicker::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.SysClassName = DATETIMEPICK_CLASSW;
    if (kind_ == dtkTime)
        p.Style |= DTS_TIMEFORMAT;
    else if (dateFormat_ == dfLong)
        p.Style |= DTS_LONGDATEFORMAT;
    if (showCheckbox_) p.Style |= DTS_SHOWNONE;
    if (UseRightToLeftAlignment()) p.Style |= DTS_RIGHTALIGN;
    p.Caption.clear();
}

void TDateTimePicker::InitializeWnd() {
    TWinControl::InitializeWnd();
    SendMessageW(handle_, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&value_));
    if (showCheckbox_ && !checked_)
        SendMessageW(handle_, DTM_SETSYSTEMTIME, GDT_NONE, reinterpret_cast<LPARAM>(&value_));
}

void TDateTimePicker::WndProc(TMessage& m) {
    if (m.Msg == CN_NOTIFY) {
        auto* hdr = reinterpret_cast<NMHDR*>(m.LParam);
        if (hdr->code == DTN_DATETIMECHANGE) {
            SaveState();
            if (OnChange && !IsLoading()) OnChange(this);
        }
        m.Result = 0;
        return;
    }
    if (m.Msg == WM_DESTROY) SaveState();
    TWinControl::WndProc(m);
}
