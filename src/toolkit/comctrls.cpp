#include "toolkit/comctrls.h"

#include "toolkit/exceptions.h"
#include "toolkit/win_text.h"

#include <commctrl.h>

#include <algorithm>

// ---------------------------------------------------------------- TTabSheet

const TClassInfo& TTabSheet::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TTabSheet>("TTabSheet", TWinControl::StaticClass())
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

// ---------------------------------------------------------------- TPageControl

const TClassInfo& TPageControl::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TPageControl>("TPageControl", TWinControl::StaticClass())
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
            .Enum(
                "Style", {"tsTabs", "tsButtons", "tsFlatButtons"},
                [](TPageControl& p) { return p.Style(); },
                [](TPageControl& p, int64_t v) { p.SetStyle(static_cast<TTabStyle>(v)); })
            .Event("OnChange", [](TPageControl& p, TNotifyEvent e) { p.OnChange = std::move(e); })
            .Creatable()
            .Build();
    return info;
}

TPageControl::TPageControl(TComponent* owner) : TWinControl(owner) {
    SetTabStop(true);
    SetBounds(0, 0, 289, 193);
}

void TPageControl::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.SysClassName = WC_TABCONTROLW;
    p.Style |= WS_CLIPCHILDREN | TCS_FOCUSONBUTTONDOWN;
    if (style_ != tsTabs) p.Style |= TCS_BUTTONS;
    if (style_ == tsFlatButtons) p.Style |= TCS_FLATBUTTONS;
    p.ExStyle |= WS_EX_CONTROLPARENT;
}

void TPageControl::InitializeWnd() {
    TWinControl::InitializeWnd();
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
    TWinControl::Loaded();
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
        if (!pages_.empty())
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

void TPageControl::SetStyle(TTabStyle v) {
    if (v == style_) return;
    style_ = v;
    RecreateWnd();
}

RECT TPageControl::DisplayRect() const {
    RECT r = ClientRect();
    if (handle_) SendMessageW(handle_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
    return r;
}

void TPageControl::AlignControls() {
    RECT r = DisplayRect();
    for (TTabSheet* t : pages_) t->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
    TWinControl::AlignControls();
}

void TPageControl::WndProc(TMessage& m) {
    if (m.Msg == CN_NOTIFY) {
        auto* hdr = reinterpret_cast<NMHDR*>(m.LParam);
        if (hdr->code == TCN_SELCHANGE) {
            int i = static_cast<int>(SendMessageW(handle_, TCM_GETCURSEL, 0, 0));
            if (i >= 0 && i < PageCount()) {
                ShowPage(pages_[static_cast<size_t>(i)]);
                if (OnChange) OnChange(this);
            }
        }
        return;
    }
    TWinControl::WndProc(m);
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

static void CheckListIndex(int index, int count) {
    if (index < 0 || index >= count)
        throw Exception("List index out of bounds (" + std::to_string(index) + ")");
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

const TClassInfo& TListView::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TListView>("TListView", TWinControl::StaticClass())
            .Collection(
                "Columns", [](TListView& l) -> TPersistent* { return l.AddColumn(); },
                [](TListView& l) { l.ClearColumns(); })
            .Enum(
                "ViewStyle", {"vsIcon", "vsSmallIcon", "vsList", "vsReport"},
                [](TListView& l) { return l.ViewStyle(); },
                [](TListView& l, int64_t v) { l.SetViewStyle(static_cast<TViewStyle>(v)); })
            .Bool(
                "ReadOnly", [](TListView& l) { return l.ReadOnly(); },
                [](TListView& l, bool v) { l.SetReadOnly(v); })
            .Bool(
                "RowSelect", [](TListView& l) { return l.RowSelect(); },
                [](TListView& l, bool v) { l.SetRowSelect(v); })
            .Creatable()
            .Build();
    return info;
}

TListView::TListView(TComponent* owner) : TWinControl(owner), items_(*this) {
    SetTabStop(true);
    SetColor(clWindow);
    SetBounds(0, 0, 250, 150);
}

TListView::~TListView() {
    // The items die with this object; the window must not ask them for anything meanwhile.
    if (handle_) DestroyWindow(handle_);
}

TListColumn* TListView::AddColumn() {
    columns_.push_back(std::make_unique<TListColumn>(*this));
    InsertColumnWindow(ColumnCount() - 1);
    return columns_.back().get();
}

void TListView::ClearColumns() {
    if (handle_)
        for (int i = ColumnCount() - 1; i >= 0; --i)
            SendMessageW(handle_, LVM_DELETECOLUMN, static_cast<WPARAM>(i), 0);
    columns_.clear();
}

void TListView::SetViewStyle(TViewStyle v) {
    if (v == viewStyle_) return;
    viewStyle_ = v;
    RecreateWnd();
}

void TListView::SetRowSelect(bool v) {
    rowSelect_ = v;
    if (handle_)
        SendMessageW(handle_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT,
                     v ? LVS_EX_FULLROWSELECT : 0);
}

void TListView::Scroll(int dx, int dy) {
    if (handle_) SendMessageW(handle_, LVM_SCROLL, static_cast<WPARAM>(dx), dy);
}

void TListView::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.SysClassName = WC_LISTVIEWW;
    static const DWORD kView[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};
    p.Style |= kView[viewStyle_] | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS;
    if (!readOnly_) p.Style |= LVS_EDITLABELS;
    p.ExStyle |= WS_EX_CLIENTEDGE;
    p.Caption.clear();
}

void TListView::InitializeWnd() {
    TWinControl::InitializeWnd();
    if (rowSelect_)
        SendMessageW(handle_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT,
                     LVS_EX_FULLROWSELECT);
    for (int i = 0; i < ColumnCount(); ++i) InsertColumnWindow(i);
    for (int i = 0; i < items_.Count(); ++i) InsertItemWindow(i);
}

void TListView::InsertColumnWindow(int index) {
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

void TListView::InsertItemWindow(int index) {
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

void TListView::SetItemText(int index, int column, const std::string& s) {
    if (!handle_ || index < 0) return;
    std::wstring text = Widen(s);
    LVITEMW lv{};
    lv.iSubItem = column;
    lv.pszText = text.data();
    SendMessageW(handle_, LVM_SETITEMTEXTW, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&lv));
}

void TListView::WndProc(TMessage& m) {
    if (m.Msg == CN_NOTIFY) {
        auto* hdr = reinterpret_cast<NMHDR*>(m.LParam);
        if (hdr->code == LVN_BEGINLABELEDITW || hdr->code == LVN_BEGINLABELEDITA)
            m.Result = readOnly_ ? TRUE : FALSE;
        return;
    }
    TWinControl::WndProc(m);
}
