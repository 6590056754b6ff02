#include "toolkit/menus.h"

#include "toolkit/exceptions.h"
#include "toolkit/forms.h"
#include "toolkit/imglist.h"
#include "toolkit/win_text.h"

#include <algorithm>
#include <cwctype>
#include <unordered_map>
#include <unordered_set>

namespace {

// Clear of dialog ids (IsDialogMessage sends IDOK/IDCANCEL with no window) and of SC_ commands.
constexpr UINT kFirstCommand = 0x100, kLastCommand = 0xEFFF;

struct ItemRegistry {
    std::unordered_map<UINT, TMenuItem*> byCommand;
    std::unordered_map<HMENU, TMenuItem*> byHandle;
    std::unordered_set<const TMenuItem*> live;
    UINT next = kFirstCommand;
};

// Never freed: items may outlive static destruction order.
ItemRegistry& Registry() {
    static ItemRegistry* registry = new ItemRegistry;
    return *registry;
}

UINT AllocateCommand(TMenuItem* item) {
    ItemRegistry& r = Registry();
    for (UINT tries = 0; tries <= kLastCommand - kFirstCommand; ++tries) {
        UINT id = r.next;
        r.next = r.next == kLastCommand ? kFirstCommand : r.next + 1;
        if (r.byCommand.emplace(id, item).second) return id;
    }
    throw Exception("Too many menu items");
}

std::string StripAccelerator(const std::string& caption) {
    std::string out;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&') {
            if (i + 1 < caption.size() && caption[i + 1] == '&')
                out += '&';
            else
                continue;
            ++i;
            continue;
        }
        out += caption[i];
    }
    return out;
}

// The character after a single '&', or 0.
wchar_t Accelerator(const std::string& caption) {
    std::wstring w = Widen(caption);
    for (size_t i = 0; i + 1 < w.size(); ++i) {
        if (w[i] != L'&') continue;
        if (w[i + 1] != L'&') return w[i + 1];
        ++i;
    }
    return 0;
}

TMenuItem* ItemOf(ULONG_PTR data, UINT command) {
    auto* item = reinterpret_cast<TMenuItem*>(data);
    if (item && Registry().live.count(item)) return item;
    return FindMenuItem(command);
}

// The owner of popup menus while they are tracked: it hands the menu messages to the items.
LRESULT CALLBACK PopupOwnerProc(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
    TMessage m{msg, w, l, 0};
    try {
        if (DispatchMenuMessage(m)) return m.Result;
    } catch (const std::exception& e) {
        if (Application) Application->HandleException(nullptr, e);
        return 0;
    }
    return DefWindowProcW(wnd, msg, w, l);
}

UniqueWindow MakePopupOwner() {
    static const wchar_t kClass[] = L"TPopupList";
    static const bool registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = PopupOwnerProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kClass;
        return RegisterClassExW(&wc) != 0;
    }();
    (void)registered;
    // A hidden, empty top-level window: the menu needs a real owner, and no one skins or shows it.
    return UniqueWindow(CreateWindowExW(WS_EX_TOOLWINDOW, kClass, L"", WS_POPUP, 0, 0, 0, 0,
                                        nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
}

} // namespace

TMenuItem* FindMenuItem(UINT command) {
    auto& map = Registry().byCommand;
    auto it = map.find(command);
    return it == map.end() ? nullptr : it->second;
}

TMenuItem* FindMenuItemByHandle(HMENU menu) {
    auto& map = Registry().byHandle;
    auto it = map.find(menu);
    return it == map.end() ? nullptr : it->second;
}

void AssignMenuFont(TFont& font) {
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof(ncm);
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0)) {
        const LOGFONTW& lf = ncm.lfMenuFont;
        font.SetName(Narrow(lf.lfFaceName));
        font.SetHeight(lf.lfHeight);
        font.SetStyle((lf.lfWeight >= FW_BOLD ? fsBold : 0) | (lf.lfItalic ? fsItalic : 0));
        font.SetCharset(lf.lfCharSet);
    }
    font.SetColor(clMenuText);
}

bool DispatchMenuMessage(TMessage& m) {
    switch (m.Msg) {
    case WM_MEASUREITEM: {
        auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(m.LParam);
        if (!mis || mis->CtlType != ODT_MENU) return false;
        TMenuItem* item = ItemOf(mis->itemData, mis->itemID);
        if (!item) return false;
        WindowDc dc(nullptr);
        TCanvas canvas(dc.get());
        AssignMenuFont(canvas.Font());
        int width = static_cast<int>(mis->itemWidth), height = static_cast<int>(mis->itemHeight);
        item->MeasureItem(canvas, width, height);
        mis->itemWidth = static_cast<UINT>(std::max(width, 0));
        mis->itemHeight = static_cast<UINT>(std::max(height, 0));
        m.Result = TRUE;
        return true;
    }
    case WM_DRAWITEM: {
        auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam);
        if (!dis || dis->CtlType != ODT_MENU) return false;
        TMenuItem* item = ItemOf(dis->itemData, dis->itemID);
        if (!item) return false;
        SavedDc saved(dis->hDC);
        TCanvas canvas(dis->hDC);
        AssignMenuFont(canvas.Font());
        item->DrawItem(canvas, dis->rcItem, (dis->itemState & (ODS_SELECTED | ODS_HOTLIGHT)) != 0);
        m.Result = TRUE;
        return true;
    }
    case WM_INITMENUPOPUP: {
        TMenuItem* item = FindMenuItemByHandle(reinterpret_cast<HMENU>(m.WParam));
        if (!item) return false;
        for (int i = 0; i < item->Count(); ++i) item->Items(i)->InitiateAction();
        m.Result = 0;
        return true;
    }
    case WM_MENUCHAR: {
        // Owner-drawn entries have no text the system could search for the accelerator.
        TMenuItem* item = FindMenuItemByHandle(reinterpret_cast<HMENU>(m.LParam));
        TMenu* menu = item ? item->GetParentMenu() : nullptr;
        if (!menu || !menu->OwnerDraw()) return false;
        wchar_t key = static_cast<wchar_t>(std::towupper(LOWORD(m.WParam)));
        int entry = 0;
        for (int i = 0; i < item->Count(); ++i) {
            TMenuItem* child = item->Items(i);
            if (!child->Visible()) continue;
            if (child->Enabled() &&
                static_cast<wchar_t>(std::towupper(Accelerator(child->Caption()))) == key) {
                m.Result = MAKELRESULT(entry, MNC_EXECUTE);
                return true;
            }
            ++entry;
        }
        m.Result = MAKELRESULT(0, MNC_IGNORE);
        return true;
    }
    default:
        return false;
    }
}

// ---------------------------------------------------------------- actions

const TClassInfo& TBasicAction::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TBasicAction>("TBasicAction", TComponent::StaticClass())
            .Event("OnExecute", [](TBasicAction& a, TNotifyEvent e) { a.OnExecute = std::move(e); })
            .Event("OnUpdate", [](TBasicAction& a, TNotifyEvent e) { a.OnUpdate = std::move(e); })
            .Build();
    return info;
}

TBasicAction::TBasicAction(TComponent* owner) : TComponent(owner) {}

TBasicAction::~TBasicAction() {
    std::vector<TActionClient*> clients = std::move(clients_);
    for (TActionClient* c : clients) c->ActionFreed();
}

bool TBasicAction::Execute() {
    if (!OnExecute) return false;
    OnExecute(this);
    return true;
}

bool TBasicAction::Update() {
    if (!OnUpdate) return false;
    OnUpdate(this);
    return true;
}

void TBasicAction::AddClient(TActionClient* c) {
    if (std::find(clients_.begin(), clients_.end(), c) == clients_.end()) clients_.push_back(c);
}

void TBasicAction::RemoveClient(TActionClient* c) {
    clients_.erase(std::remove(clients_.begin(), clients_.end(), c), clients_.end());
}

void TBasicAction::Changed() {
    std::vector<TActionClient*> clients = clients_;
    for (TActionClient* c : clients) c->ActionChanged();
}

const TClassInfo& TAction::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TAction>("TAction", TBasicAction::StaticClass())
            .Str(
                "Caption", [](TAction& a) { return a.Caption(); },
                [](TAction& a, const std::string& v) { a.SetCaption(v); })
            .Bool(
                "Enabled", [](TAction& a) { return a.Enabled(); },
                [](TAction& a, bool v) { a.SetEnabled(v); })
            .Bool(
                "Checked", [](TAction& a) { return a.Checked(); },
                [](TAction& a, bool v) { a.SetChecked(v); })
            .Bool(
                "Visible", [](TAction& a) { return a.Visible(); },
                [](TAction& a, bool v) { a.SetVisible(v); })
            .Str(
                "Hint", [](TAction& a) { return a.Hint(); },
                [](TAction& a, const std::string& v) { a.SetHint(v); })
            .Int(
                "ShortCut", [](TAction& a) { return a.ShortCut(); },
                [](TAction& a, int64_t v) { a.SetShortCut(static_cast<TShortCut>(v)); })
            .Int(
                "ImageIndex", [](TAction& a) { return a.ImageIndex(); },
                [](TAction& a, int64_t v) { a.SetImageIndex(static_cast<int>(v)); })
            .Creatable()
            .Build();
    return info;
}

void TAction::SetCaption(const std::string& v) {
    if (caption_ == v) return;
    caption_ = v;
    Changed();
}
void TAction::SetEnabled(bool v) {
    if (enabled_ == v) return;
    enabled_ = v;
    Changed();
}
void TAction::SetChecked(bool v) {
    if (checked_ == v) return;
    checked_ = v;
    Changed();
}
void TAction::SetVisible(bool v) {
    if (visible_ == v) return;
    visible_ = v;
    Changed();
}
void TAction::SetHint(const std::string& v) {
    if (hint_ == v) return;
    hint_ = v;
    Changed();
}
void TAction::SetShortCut(TShortCut v) {
    if (shortCut_ == v) return;
    shortCut_ = v;
    Changed();
}
void TAction::SetImageIndex(int v) {
    if (imageIndex_ == v) return;
    imageIndex_ = v;
    Changed();
}

// ---------------------------------------------------------------- TMenuItem

const TClassInfo& TMenuItem::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TMenuItem>("TMenuItem", TComponent::StaticClass())
            .Str(
                "Caption", [](TMenuItem& i) { return i.Caption(); },
                [](TMenuItem& i, const std::string& v) { i.SetCaption(v); })
            .Bool(
                "Enabled", [](TMenuItem& i) { return i.Enabled(); },
                [](TMenuItem& i, bool v) { i.SetEnabled(v); })
            .Bool(
                "Visible", [](TMenuItem& i) { return i.Visible(); },
                [](TMenuItem& i, bool v) { i.SetVisible(v); })
            .Bool(
                "Checked", [](TMenuItem& i) { return i.Checked(); },
                [](TMenuItem& i, bool v) { i.SetChecked(v); })
            .Bool(
                "RadioItem", [](TMenuItem& i) { return i.RadioItem(); },
                [](TMenuItem& i, bool v) { i.SetRadioItem(v); })
            .Int(
                "GroupIndex", [](TMenuItem& i) { return i.GroupIndex(); },
                [](TMenuItem& i, int64_t v) { i.SetGroupIndex(static_cast<int>(v)); })
            .Bool(
                "Default", [](TMenuItem& i) { return i.Default(); },
                [](TMenuItem& i, bool v) { i.SetDefault(v); })
            .Int(
                "ShortCut", [](TMenuItem& i) { return i.ShortCut(); },
                [](TMenuItem& i, int64_t v) { i.SetShortCut(static_cast<TShortCut>(v)); })
            .Int(
                "ImageIndex", [](TMenuItem& i) { return i.ImageIndex(); },
                [](TMenuItem& i, int64_t v) { i.SetImageIndex(static_cast<int>(v)); })
            .Str(
                "Hint", [](TMenuItem& i) { return i.Hint(); },
                [](TMenuItem& i, const std::string& v) { i.SetHint(v); })
            .Str(
                "Action",
                [](TMenuItem& i) { return i.Action() ? i.Action()->Name() : std::string(); },
                [](TMenuItem& i, const std::string& v) {
                    if (i.IsLoading()) {
                        i.pendingAction_ = v;
                        return;
                    }
                    TComponent* owner = i.Owner();
                    i.SetAction(owner ? dynamic_cast<TBasicAction*>(owner->FindComponent(v))
                                      : nullptr);
                })
            .Event("OnClick", [](TMenuItem& i, TNotifyEvent e) { i.OnClick = std::move(e); })
            .Creatable()
            .Build();
    return info;
}

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) {
    command_ = AllocateCommand(this);
    Registry().live.insert(this);
}

TMenuItem::~TMenuItem() {
    if (action_) action_->RemoveClient(this);
    // Detach the children's submenus at once instead of once per child.
    if (HMENU h = handle_.get())
        while (GetMenuItemCount(h) > 0) RemoveMenu(h, 0, MF_BYPOSITION);
    std::vector<TMenuItem*> children = std::move(items_);
    for (TMenuItem* c : children) {
        c->parent_ = nullptr;
        delete c;
    }
    if (parent_) parent_->Remove(this);
    ItemRegistry& r = Registry();
    r.byCommand.erase(command_);
    r.live.erase(this);
    if (handle_) r.byHandle.erase(handle_.get());
}

void TMenuItem::SetCaption(const std::string& v) {
    if (caption_ == v) return;
    caption_ = v;
    Changed(false);
}

void TMenuItem::SetEnabled(bool v) {
    if (enabled_ == v) return;
    enabled_ = v;
    Changed(false);
}

void TMenuItem::SetVisible(bool v) {
    if (visible_ == v) return;
    visible_ = v;
    Changed(true);
}

void TMenuItem::SetChecked(bool v) {
    if (checked_ == v) return;
    checked_ = v;
    if (v && radioItem_ && parent_)
        for (TMenuItem* s : parent_->items_)
            if (s != this && s->radioItem_ && s->groupIndex_ == groupIndex_ && s->checked_) {
                s->checked_ = false;
                s->Changed(false);
            }
    Changed(false);
}

void TMenuItem::SetRadioItem(bool v) {
    if (radioItem_ == v) return;
    radioItem_ = v;
    Changed(false);
}

void TMenuItem::SetGroupIndex(int v) {
    groupIndex_ = v;
}

void TMenuItem::SetDefault(bool v) {
    if (default_ == v) return;
    default_ = v;
    if (v && parent_)
        for (TMenuItem* s : parent_->items_)
            if (s != this && s->default_) {
                s->default_ = false;
                s->Changed(false);
            }
    Changed(false);
}

void TMenuItem::SetShortCut(TShortCut v) {
    if (shortCut_ == v) return;
    shortCut_ = v;
    Changed(false);
}

void TMenuItem::SetImageIndex(int v) {
    if (imageIndex_ == v) return;
    imageIndex_ = v;
    Changed(false);
}

void TMenuItem::SetAction(TBasicAction* action) {
    if (action_ == action) return;
    if (action_) action_->RemoveClient(this);
    action_ = action;
    if (action_) {
        action_->AddClient(this);
        ActionChanged();
    }
}

void TMenuItem::ActionChanged() {
    auto* a = dynamic_cast<TAction*>(action_);
    if (!a) return;
    bool shown = visible_ != a->Visible();
    caption_ = a->Caption();
    enabled_ = a->Enabled();
    checked_ = a->Checked();
    visible_ = a->Visible();
    hint_ = a->Hint();
    shortCut_ = a->ShortCut();
    imageIndex_ = a->ImageIndex();
    Changed(shown);
}

void TMenuItem::ActionFreed() {
    action_ = nullptr;
}

void TMenuItem::InitiateAction() {
    if (action_) action_->Update();
}

void TMenuItem::Click() {
    if (!enabled_) return;
    if (action_ && action_->Execute()) return;
    if (OnClick) OnClick(this);
}

void TMenuItem::Insert(int index, TMenuItem* item) {
    if (!item) return;
    for (const TMenuItem* p = this; p; p = p->parent_)
        if (p == item) throw Exception("A menu item cannot hold itself");
    if (item->menu_) throw Exception("The root of a menu cannot be added to another");
    if (item->parent_) item->parent_->Remove(item);
    index = std::clamp(index, 0, Count());
    items_.insert(items_.begin() + index, item);
    item->parent_ = this;
    RebuildHandle();
    Changed(false); // the entry may have gained its submenu
}

void TMenuItem::Delete(int index) {
    if (index < 0 || index >= Count()) throw Exception("Menu index out of range");
    TMenuItem* item = items_[static_cast<size_t>(index)];
    items_.erase(items_.begin() + index);
    item->parent_ = nullptr;
    RebuildHandle();
    Changed(false);
}

void TMenuItem::Remove(TMenuItem* item) {
    int i = IndexOf(item);
    if (i >= 0) Delete(i);
}

void TMenuItem::Clear() {
    while (!items_.empty()) delete items_.back();
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
    auto it = std::find(items_.begin(), items_.end(), item);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TMenuItem::SetMenuIndex(int index) {
    if (!parent_) return;
    TMenuItem* p = parent_;
    int from = p->IndexOf(this);
    index = std::clamp(index, 0, p->Count() - 1);
    if (from == index) return;
    p->items_.erase(p->items_.begin() + from);
    p->items_.insert(p->items_.begin() + index, this);
    p->RebuildHandle();
    p->Changed(false);
}

TMenuItem* TMenuItem::Find(std::string_view caption) const {
    for (TMenuItem* c : items_)
        if (SameText(StripAccelerator(c->caption_), caption)) return c;
    return nullptr;
}

TMenu* TMenuItem::GetParentMenu() const {
    const TMenuItem* root = this;
    while (root->parent_) root = root->parent_;
    return root->menu_;
}

bool TMenuItem::IsTopLevelOfBar() const {
    return parent_ && parent_->menu_ && dynamic_cast<TMainMenu*>(parent_->menu_);
}

HMENU TMenuItem::Handle() {
    if (!handle_) {
        handle_.reset(menu_ ? menu_->CreateMenuHandle() : CreatePopupMenu());
        if (!handle_) throw Exception("Cannot create a menu");
        Registry().byHandle[handle_.get()] = this;
        RebuildHandle();
    }
    return handle_.get();
}

std::string TMenuItem::MenuText() const {
    std::string text = caption_;
    if (shortCut_) {
        std::string keys = ShortCutToText(shortCut_);
        if (!keys.empty()) text += "\t" + keys;
    }
    return text;
}

void TMenuItem::FillInfo(MENUITEMINFOW& mii, std::wstring& text) {
    TMenu* menu = GetParentMenu();
    mii = {};
    mii.cbSize = sizeof(mii);
    mii.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA;
    mii.fType = IsLine() ? MFT_SEPARATOR : 0;
    if (radioItem_) mii.fType |= MFT_RADIOCHECK;
    if (menu && menu->OwnerDraw()) mii.fType |= MFT_OWNERDRAW;
    mii.fState = (enabled_ ? MFS_ENABLED : MFS_DISABLED) | (checked_ ? MFS_CHECKED : 0) |
                 (default_ ? MFS_DEFAULT : 0);
    mii.wID = command_;
    mii.hSubMenu = items_.empty() ? nullptr : Handle();
    mii.dwItemData = reinterpret_cast<ULONG_PTR>(this);
    if (!IsLine()) {
        text = Widen(MenuText());
        mii.fMask |= MIIM_STRING;
        mii.dwTypeData = text.data();
        mii.cch = static_cast<UINT>(text.size());
    }
}

int TMenuItem::EntryIndex() const {
    int n = 0;
    for (const TMenuItem* s : parent_->items_) {
        if (s == this) return n;
        if (s->visible_) ++n;
    }
    return -1;
}

void TMenuItem::RebuildHandle() {
    HMENU h = handle_.get();
    if (!h) return;
    while (GetMenuItemCount(h) > 0) RemoveMenu(h, 0, MF_BYPOSITION);
    UINT pos = 0;
    for (TMenuItem* c : items_) {
        if (!c->visible_) continue;
        MENUITEMINFOW mii;
        std::wstring text;
        c->FillInfo(mii, text);
        InsertMenuItemW(h, pos++, TRUE, &mii);
    }
}

void TMenuItem::Changed(bool rebuild) {
    if (parent_ && parent_->handle_) {
        if (rebuild) {
            parent_->RebuildHandle();
        } else if (visible_) {
            MENUITEMINFOW mii;
            std::wstring text;
            FillInfo(mii, text);
            SetMenuItemInfoW(parent_->handle_.get(), static_cast<UINT>(EntryIndex()), TRUE, &mii);
        }
    }
    TMenu* menu = GetParentMenu();
    if (menu && !menu->IsLoading()) menu->MenuChanged(this);
}

void TMenuItem::MeasureItem(TCanvas& canvas, int& width, int& height) {
    if (OnMeasureItem)
        OnMeasureItem(this, canvas, width, height);
    else
        DefaultMeasureItem(canvas, width, height);
}

void TMenuItem::DrawItem(TCanvas& canvas, const RECT& rect, bool selected) {
    if (OnDrawItem)
        OnDrawItem(this, canvas, rect, selected);
    else
        DefaultDrawItem(canvas, rect, selected);
}

namespace {
SIZE GlyphSize(TMenu* menu) {
    TImageList* images = menu ? menu->Images() : nullptr;
    return images ? SIZE{std::max(images->Width(), 16), std::max(images->Height(), 16)}
                  : SIZE{16, 16};
}
} // namespace

void TMenuItem::DefaultMeasureItem(TCanvas& canvas, int& width, int& height) {
    if (IsLine()) {
        width = 10;
        height = 8;
        return;
    }
    if (default_) canvas.Font().SetStyle(canvas.Font().Style() | fsBold);
    std::string text = StripAccelerator(caption_);
    SIZE s = canvas.TextExtent(text.empty() ? " " : text);
    if (IsTopLevelOfBar()) {
        width = s.cx + 12;
        height = std::max<int>(s.cy + 4, GetSystemMetrics(SM_CYMENU) - 1);
        return;
    }
    SIZE glyph = GlyphSize(GetParentMenu());
    width = 4 + glyph.cx + 8 + s.cx + 16;
    if (shortCut_) width += 24 + canvas.TextExtent(ShortCutToText(shortCut_)).cx;
    height = std::max<int>(s.cy + 6, glyph.cy + 4);
}

void TMenuItem::DefaultDrawItem(TCanvas& canvas, const RECT& rect, bool selected) {
    HDC dc = canvas.Handle();
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(selected && !IsLine() ? clHighlight : clMenu);
    canvas.FillRect(rect);
    if (IsLine()) {
        RECT r = rect;
        r.top += (rect.bottom - rect.top) / 2 - 1;
        DrawEdge(dc, &r, EDGE_ETCHED, BF_TOP);
        return;
    }
    TColor text = !enabled_ ? clGrayText : selected ? clHighlightText : clMenuText;
    canvas.Font().SetColor(text);
    if (default_) canvas.Font().SetStyle(canvas.Font().Style() | fsBold);
    if (IsTopLevelOfBar()) {
        canvas.TextRect(rect, caption_, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        return;
    }
    TMenu* menu = GetParentMenu();
    TImageList* images = menu ? menu->Images() : nullptr;
    SIZE glyph = GlyphSize(menu);
    RECT box{rect.left + 2, rect.top + (rect.bottom - rect.top - glyph.cy) / 2, 0, 0};
    box.right = box.left + glyph.cx;
    box.bottom = box.top + glyph.cy;
    if (images && imageIndex_ >= 0 && imageIndex_ < images->Count()) {
        if (checked_) {
            RECT edge{box.left - 1, box.top - 1, box.right + 1, box.bottom + 1};
            DrawEdge(dc, &edge, BDR_SUNKENOUTER, BF_RECT);
        }
        images->Draw(dc, box.left + (glyph.cx - images->Width()) / 2,
                     box.top + (glyph.cy - images->Height()) / 2, imageIndex_, enabled_);
    } else if (checked_) {
        canvas.Pen().SetColor(text);
        canvas.Brush().SetColor(text);
        const int cx = (box.left + box.right) / 2, cy = (box.top + box.bottom) / 2;
        if (radioItem_) {
            canvas.Ellipse({cx - 3, cy - 3, cx + 3, cy + 3});
        } else {
            for (int d = 0; d < 2; ++d) {
                canvas.MoveTo(cx - 4, cy - 1 + d);
                canvas.LineTo(cx - 1, cy + 2 + d);
                canvas.LineTo(cx + 5, cy - 4 + d);
            }
        }
    }
    RECT area{box.right + 8, rect.top, rect.right - 4, rect.bottom};
    canvas.TextRect(area, caption_, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    if (shortCut_) {
        area.right = rect.right - 12;
        canvas.TextRect(area, ShortCutToText(shortCut_),
                        DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
}

void TMenuItem::SetParentComponent(TComponent* parent) {
    if (auto* menu = dynamic_cast<TMenu*>(parent))
        menu->Items()->Add(this);
    else if (auto* item = dynamic_cast<TMenuItem*>(parent))
        item->Add(this);
    else
        throw Exception("Menu item " + Name() + " must lie inside a menu");
}

void TMenuItem::Loaded() {
    TComponent::Loaded();
    if (pendingAction_.empty()) return;
    std::string name = std::move(pendingAction_);
    pendingAction_.clear();
    auto* action = Owner() ? dynamic_cast<TBasicAction*>(Owner()->FindComponent(name)) : nullptr;
    if (!action) throw Exception("Action " + name + " of " + Name() + " not found");
    SetAction(action);
}

// ---------------------------------------------------------------- TMenu

const TClassInfo& TMenu::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TMenu>("TMenu", TComponent::StaticClass())
            .Bool(
                "OwnerDraw", [](TMenu& m) { return m.OwnerDraw(); },
                [](TMenu& m, bool v) { m.SetOwnerDraw(v); })
            .Str(
                "Images", [](TMenu& m) { return m.Images() ? m.Images()->Name() : std::string(); },
                [](TMenu& m, const std::string& v) {
                    if (m.IsLoading()) {
                        m.pendingImages_ = v;
                        return;
                    }
                    TComponent* owner = m.Owner();
                    m.SetImages(owner ? dynamic_cast<TImageList*>(owner->FindComponent(v))
                                      : nullptr);
                })
            .Build();
    return info;
}

TMenu::TMenu(TComponent* owner) : TComponent(owner), items_(std::make_unique<TMenuItem>(nullptr)) {
    items_->menu_ = this;
}

TMenu::~TMenu() {
    SetImages(nullptr);
    // No change notices while the items go.
    SetLoading(true);
    items_.reset();
}

void TMenu::SetOwnerDraw(bool v) {
    if (ownerDraw_ == v) return;
    ownerDraw_ = v;
    // Every submenu's entries change type.
    std::vector<TMenuItem*> stack{items_.get()};
    while (!stack.empty()) {
        TMenuItem* item = stack.back();
        stack.pop_back();
        item->RebuildHandle();
        for (TMenuItem* c : item->items_) stack.push_back(c);
    }
    if (!IsLoading()) MenuChanged(items_.get());
}

void TMenu::SetImages(TImageList* images) {
    if (images_ == images) return;
    if (images_) {
        auto& list = images_->menus_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
    images_ = images;
    if (images_) images_->menus_.push_back(this);
}

TMenuItem* TMenu::FindItem(UINT_PTR value, TFindItemKind kind) const {
    std::vector<TMenuItem*> stack{items_.get()};
    while (!stack.empty()) {
        TMenuItem* item = stack.back();
        stack.pop_back();
        bool hit = false;
        switch (kind) {
        case fkCommand:
            hit = item != items_.get() && item->command_ == value;
            break;
        case fkHandle:
            hit = item->handle_ && reinterpret_cast<UINT_PTR>(item->handle_.get()) == value;
            break;
        case fkShortCut:
            hit = item->shortCut_ != 0 && item->shortCut_ == value;
            break;
        }
        if (hit) return item;
        for (auto it = item->items_.rbegin(); it != item->items_.rend(); ++it) stack.push_back(*it);
    }
    return nullptr;
}

bool TMenu::DispatchCommand(UINT command) {
    TMenuItem* item = FindItem(command, fkCommand);
    if (!item) return false;
    item->Click();
    return true;
}

void TMenu::Loaded() {
    TComponent::Loaded();
    if (pendingImages_.empty()) return;
    std::string name = std::move(pendingImages_);
    pendingImages_.clear();
    auto* images = Owner() ? dynamic_cast<TImageList*>(Owner()->FindComponent(name)) : nullptr;
    if (!images) throw Exception("Image list " + name + " of " + Name() + " not found");
    SetImages(images);
}

// ---------------------------------------------------------------- TMainMenu, TPopupMenu

const TClassInfo& TMainMenu::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TMainMenu>("TMainMenu", TMenu::StaticClass()).Creatable().Build();
    return info;
}

TMainMenu::~TMainMenu() {
    if (form_) form_->SetMenu(nullptr);
    // Whoever gave the handle to a window last, the window must not destroy it with itself.
    if (Items()->HandleAllocated() && window_ && IsWindow(window_) &&
        GetMenu(window_) == Items()->Handle())
        ::SetMenu(window_, nullptr);
}

void TMainMenu::MenuChanged(TMenuItem*) {
    if (form_ && form_->HandleAllocated())
        SendMessageW(form_->WindowHandle(), CM_MENUCHANGED, 0, 0);
}

const TClassInfo& TPopupMenu::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TPopupMenu>("TPopupMenu", TMenu::StaticClass())
            .Event("OnPopup", [](TPopupMenu& m, TNotifyEvent e) { m.OnPopup = std::move(e); })
            .Creatable()
            .Build();
    return info;
}

void TPopupMenu::Popup(int x, int y) {
    if (OnPopup) OnPopup(this);
    for (int i = 0; i < Items()->Count(); ++i) Items()->Items(i)->InitiateAction();
    for (TComponent* o = Owner(); o; o = o->Owner())
        if (auto* form = dynamic_cast<TCustomForm*>(o); form && form->HandleAllocated())
            if (SendMessageW(form->WindowHandle(), CM_POPUPSHOWING, 0,
                             reinterpret_cast<LPARAM>(this)) == 1)
                break;
    HMENU menu = Handle();
    UniqueWindow owner = MakePopupOwner();
    UINT command = static_cast<UINT>(
        TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, x, y,
                       0, owner.get(), nullptr));
    owner.reset();
    if (command)
        if (TMenuItem* item = FindItem(command, fkCommand)) item->Click();
}
