#include "toolkit/stdctrls.h"

#include "toolkit/exceptions.h"
#include "toolkit/text_util.h"
#include "toolkit/win_text.h"

#include <algorithm>

// ---------------------------------------------------------------- TStrings

const TClassInfo& TStrings::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TStrings>("TStrings", TPersistent::StaticClass())
            .Strings(
                "Strings", [](TStrings& s) { return s.ToVector(); },
                [](TStrings& s, const std::vector<std::string>& v) { s.Assign(v); })
            .Build();
    return info;
}

void TStrings::Put(int index, const std::string& s) {
    BeginUpdate();
    Delete(index);
    Insert(index, s);
    EndUpdate();
}

std::string TStrings::Text() const {
    std::string out;
    for (int i = 0; i < Count(); ++i) {
        out += Get(i);
        out += "\r\n";
    }
    return out;
}

void TStrings::SetText(const std::string& text) {
    BeginUpdate();
    Clear();
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            Add(text.substr(start));
            break;
        }
        Add(text.substr(start, end - start));
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
    }
    EndUpdate();
}

std::vector<std::string> TStrings::ToVector() const {
    std::vector<std::string> v;
    for (int i = 0; i < Count(); ++i) v.push_back(Get(i));
    return v;
}

void TStrings::Assign(const std::vector<std::string>& lines) {
    BeginUpdate();
    Clear();
    for (const std::string& s : lines) Add(s);
    EndUpdate();
}

void TStrings::BeginUpdate() {
    if (updateCount_++ == 0) SetUpdateState(true);
}

void TStrings::EndUpdate() {
    if (updateCount_ > 0 && --updateCount_ == 0) SetUpdateState(false);
}

int TStrings::IndexOf(const std::string& s) const {
    for (int i = 0; i < Count(); ++i)
        if (Get(i) == s) return i;
    return -1;
}

const TClassInfo& TStringList::StaticClass() {
    static const TClassInfo info{"TStringList", &TStrings::StaticClass(), {}, {}};
    return info;
}

static void CheckIndex(int index, int count) {
    if (index < 0 || index >= count)
        throw Exception("List index out of bounds (" + std::to_string(index) + ")");
}

std::string TStringList::Get(int index) const {
    CheckIndex(index, Count());
    return lines_[static_cast<size_t>(index)];
}

void TStringList::Put(int index, const std::string& s) {
    CheckIndex(index, Count());
    lines_[static_cast<size_t>(index)] = s;
    Changed();
}

void TStringList::Insert(int index, const std::string& s) {
    if (index < 0 || index > Count()) CheckIndex(index, Count());
    lines_.insert(lines_.begin() + index, s);
    Changed();
}

void TStringList::Delete(int index) {
    CheckIndex(index, Count());
    lines_.erase(lines_.begin() + index);
    Changed();
}

void TStringList::Clear() {
    if (lines_.empty()) return;
    lines_.clear();
    Changed();
}

// ---------------------------------------------------------------- TCustomLabel

const TClassInfo& TCustomLabel::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TCustomLabel>("TCustomLabel", TGraphicControl::StaticClass())
            .Bool(
                "Transparent", [](TCustomLabel& c) { return c.Transparent(); },
                [](TCustomLabel& c, bool v) { c.SetTransparent(v); })
            .Bool(
                "AutoSize", [](TCustomLabel& c) { return c.AutoSize(); },
                [](TCustomLabel& c, bool v) { c.SetAutoSize(v); })
            .Bool(
                "WordWrap", [](TCustomLabel& c) { return c.WordWrap(); },
                [](TCustomLabel& c, bool v) { c.SetWordWrap(v); })
            .Bool(
                "ShowAccelChar", [](TCustomLabel& c) { return c.ShowAccelChar(); },
                [](TCustomLabel& c, bool v) { c.SetShowAccelChar(v); })
            .Enum(
                "Alignment", {"taLeftJustify", "taRightJustify", "taCenter"},
                [](TCustomLabel& c) { return c.Alignment(); },
                [](TCustomLabel& c, int64_t v) { c.SetAlignment(static_cast<TAlignment>(v)); })
            .Enum(
                "Layout", {"tlTop", "tlCenter", "tlBottom"},
                [](TCustomLabel& c) { return c.Layout(); },
                [](TCustomLabel& c, int64_t v) { c.SetLayout(static_cast<TTextLayout>(v)); })
            .Build();
    return info;
}

const TClassInfo& TLabel::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TLabel>("TLabel", TCustomLabel::StaticClass()).Creatable().Build();
    return info;
}

TCustomLabel::TCustomLabel(TComponent* owner) : TGraphicControl(owner) {
    SetParentColor(true);
    SetBounds(0, 0, 65, 13);
}

void TCustomLabel::SetTransparent(bool v) {
    transparent_ = v;
    Invalidate();
}
void TCustomLabel::SetAutoSize(bool v) {
    autoSize_ = v;
    AdjustBounds();
}
void TCustomLabel::SetWordWrap(bool v) {
    wordWrap_ = v;
    AdjustBounds();
    Invalidate();
}
void TCustomLabel::SetAlignment(TAlignment v) {
    alignment_ = v;
    Invalidate();
}
void TCustomLabel::SetLayout(TTextLayout v) {
    layout_ = v;
    Invalidate();
}
void TCustomLabel::SetShowAccelChar(bool v) {
    showAccelChar_ = v;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::SetText(const std::string& v) {
    if (v == text_) return;
    TGraphicControl::SetText(v);
    AdjustBounds();
}

void TCustomLabel::FontChanged() {
    TGraphicControl::FontChanged();
    AdjustBounds();
}

void TCustomLabel::Loaded() {
    TGraphicControl::Loaded();
}

UINT TCustomLabel::DrawFlags() const {
    UINT flags = DT_EXPANDTABS;
    if (wordWrap_) flags |= DT_WORDBREAK;
    if (!showAccelChar_) flags |= DT_NOPREFIX;
    if (alignment_ == taRightJustify)
        flags |= DT_RIGHT;
    else if (alignment_ == taCenter)
        flags |= DT_CENTER;
    return flags;
}

void TCustomLabel::AdjustBounds() {
    // The designed size holds while the form is read; later caption or font changes refit it.
    if (!autoSize_ || IsLoading()) return;
    HDC screen = GetDC(nullptr);
    UniqueMemDc dc(CreateCompatibleDC(screen));
    ReleaseDC(nullptr, screen);
    SelectObjectGuard font(dc.get(), Font().Handle());
    std::wstring text = Widen(text_.empty() ? std::string(" ") : text_);
    RECT r{0, 0, wordWrap_ ? width_ : 0, 0};
    DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &r, DrawFlags() | DT_CALCRECT);
    int left = left_;
    if (alignment_ == taRightJustify && !wordWrap_) left = left_ + width_ - r.right;
    SetBounds(left, top_, r.right, r.bottom);
}

void TCustomLabel::Paint(TCanvas& canvas) {
    RECT r = ClientRect();
    if (!transparent_) {
        canvas.Brush().SetColor(Color());
        canvas.Brush().SetStyle(bsSolid);
        canvas.FillRect(r);
    }
    UINT flags = DrawFlags();
    if (layout_ != tlTop) {
        RECT calc = r;
        canvas.TextRect(calc, "", 0);
        HDC dc = canvas.Handle();
        SelectObjectGuard f(dc, canvas.Font().Handle());
        std::wstring w = Widen(text_);
        DrawTextW(dc, w.c_str(), static_cast<int>(w.size()), &calc, flags | DT_CALCRECT);
        int h = calc.bottom - calc.top;
        r.top = layout_ == tlCenter ? (r.bottom - h) / 2 : r.bottom - h;
    }
    if (!Enabled()) {
        RECT shadow = r;
        OffsetRect(&shadow, 1, 1);
        canvas.Font().SetColor(clBtnHighlight);
        canvas.TextRect(shadow, text_, flags);
        canvas.Font().SetColor(clBtnShadow);
    }
    canvas.TextRect(r, text_, flags);
}

// ---------------------------------------------------------------- buttons

const TClassInfo& TButtonControl::StaticClass() {
    static const TClassInfo info{"TButtonControl", &TWinControl::StaticClass(), {}, {}};
    return info;
}

TButtonControl::TButtonControl(TComponent* owner) : TWinControl(owner) {
    SetTabStop(true);
    SetBounds(0, 0, 75, 25);
}

const TClassInfo& TButton::StaticClass() {
    static const TClassInfo info = TClassBuilder<TButton>("TButton", TButtonControl::StaticClass())
                                       .Bool(
                                           "Default", [](TButton& b) { return b.Default(); },
                                           [](TButton& b, bool v) { b.SetDefault(v); })
                                       .Creatable()
                                       .Build();
    return info;
}

void TButton::SetDefault(bool v) {
    default_ = v;
    if (handle_) SendMessageW(handle_, BM_SETSTYLE, v ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::CreateParams(TCreateParams& p) {
    TButtonControl::CreateParams(p);
    p.SysClassName = L"BUTTON";
    p.Style |= (default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
}

void TButton::WndProc(TMessage& m) {
    if (m.Msg == CN_COMMAND) {
        if (HIWORD(m.WParam) == BN_CLICKED) Click();
        return;
    }
    TButtonControl::WndProc(m);
}

const TClassInfo& TCustomCheckBox::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TCustomCheckBox>("TCustomCheckBox", TButtonControl::StaticClass())
            .Bool(
                "Checked", [](TCustomCheckBox& c) { return c.Checked(); },
                [](TCustomCheckBox& c, bool v) { c.SetChecked(v); })
            .Enum(
                "State", {"cbUnchecked", "cbChecked", "cbGrayed"},
                [](TCustomCheckBox& c) { return c.State(); },
                [](TCustomCheckBox& c, int64_t v) { c.SetState(static_cast<TCheckBoxState>(v)); })
            .Build();
    return info;
}

const TClassInfo& TCheckBox::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TCheckBox>("TCheckBox", TCustomCheckBox::StaticClass()).Creatable().Build();
    return info;
}

TCheckBoxState TCustomCheckBox::State() const {
    if (handle_) return static_cast<TCheckBoxState>(SendMessageW(handle_, BM_GETCHECK, 0, 0));
    return state_;
}

void TCustomCheckBox::SetState(TCheckBoxState v) {
    if (State() == v) return;
    state_ = v;
    if (handle_) SendMessageW(handle_, BM_SETCHECK, static_cast<WPARAM>(v), 0);
    if (!IsLoading()) Click();
}

void TCustomCheckBox::CreateParams(TCreateParams& p) {
    TButtonControl::CreateParams(p);
    p.SysClassName = L"BUTTON";
    p.Style |= BS_AUTOCHECKBOX;
}

void TCustomCheckBox::InitializeWnd() {
    TButtonControl::InitializeWnd();
    SendMessageW(handle_, BM_SETCHECK, static_cast<WPARAM>(state_), 0);
}

void TCustomCheckBox::WndProc(TMessage& m) {
    if (m.Msg == CN_COMMAND) {
        if (HIWORD(m.WParam) == BN_CLICKED) {
            state_ = State();
            Click();
        }
        return;
    }
    if (m.Msg == WM_DESTROY) state_ = State();
    TButtonControl::WndProc(m);
}

// ---------------------------------------------------------------- TCustomEdit

const TClassInfo& TCustomEdit::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TCustomEdit>("TCustomEdit", TWinControl::StaticClass())
            .Str(
                "Text", [](TCustomEdit& e) { return e.GetText(); },
                [](TCustomEdit& e, const std::string& v) { e.SetText(v); })
            .Bool(
                "ReadOnly", [](TCustomEdit& e) { return e.ReadOnly(); },
                [](TCustomEdit& e, bool v) { e.SetReadOnly(v); })
            .Int(
                "MaxLength", [](TCustomEdit& e) { return e.MaxLength(); },
                [](TCustomEdit& e, int64_t v) { e.SetMaxLength(static_cast<int>(v)); })
            .Event("OnChange", [](TCustomEdit& e, TNotifyEvent ev) { e.OnChange = std::move(ev); })
            .Build();
    return info;
}

const TClassInfo& TEdit::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TEdit>("TEdit", TCustomEdit::StaticClass()).Creatable().Build();
    return info;
}

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner) {
    SetTabStop(true);
    SetColor(clWindow);
    SetBounds(0, 0, 121, 21);
}

void TCustomEdit::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.SysClassName = L"EDIT";
    p.Style |= ES_AUTOHSCROLL | ES_AUTOVSCROLL;
    if (readOnly_) p.Style |= ES_READONLY;
    p.ExStyle |= WS_EX_CLIENTEDGE;
    p.Caption.clear();
}

void TCustomEdit::InitializeWnd() {
    TWinControl::InitializeWnd();
    if (maxLength_ > 0) SendMessageW(handle_, EM_LIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
    windowStale_ = true;
    SyncWindow();
}

void TCustomEdit::SetReadOnly(bool v) {
    readOnly_ = v;
    if (handle_) SendMessageW(handle_, EM_SETREADONLY, v, 0);
}

void TCustomEdit::SetMaxLength(int v) {
    maxLength_ = v;
    if (handle_) SendMessageW(handle_, EM_LIMITTEXT, static_cast<WPARAM>(v > 0 ? v : 0), 0);
}

const std::string& TCustomEdit::ModelText() const {
    if (!modelValid_) {
        model_ = TWinControl::GetText();
        modelValid_ = true;
    }
    return model_;
}

std::string TCustomEdit::GetText() const {
    return ModelText();
}

void TCustomEdit::SetText(const std::string& v) {
    if (modelValid_ && v == model_) return;
    SetModelText(v);
    Change();
}

void TCustomEdit::SetModelText(std::string text) {
    model_ = std::move(text);
    modelValid_ = true;
    ModelChanged();
    windowStale_ = true;
    if (!deferWindow_) SyncWindow();
}

void TCustomEdit::SyncWindow() {
    if (!handle_ || !windowStale_) return;
    windowStale_ = false;
    settingWindow_ = true;
    SetWindowTextW(handle_, Widen(model_).c_str());
    settingWindow_ = false;
}

void TCustomEdit::SelectAll() {
    if (handle_) SendMessageW(handle_, EM_SETSEL, 0, -1);
}

void TCustomEdit::Change() {
    if (!IsLoading() && OnChange) OnChange(this);
}

void TCustomEdit::WndProc(TMessage& m) {
    if (m.Msg == CN_COMMAND) {
        if (HIWORD(m.WParam) == EN_CHANGE && !settingWindow_) {
            // Typed by the user: the window holds the text now.
            modelValid_ = false;
            ModelChanged();
            Change();
        }
        return;
    }
    if (m.Msg == WM_DESTROY && handle_) {
        ModelText();
        windowStale_ = true;
    }
    if (m.Msg == WM_SETTEXT && !settingWindow_) {
        TWinControl::WndProc(m);
        modelValid_ = false;
        ModelChanged();
        return;
    }
    TWinControl::WndProc(m);
}

// ---------------------------------------------------------------- TCustomMemo

const TClassInfo& TMemoStrings::StaticClass() {
    static const TClassInfo info{"TMemoStrings", &TStrings::StaticClass(), {}, {}};
    return info;
}

const std::vector<size_t>& TCustomMemo::LineStarts() const {
    if (!lineStartsValid_) {
        const std::string& t = ModelText();
        lineStarts_.clear();
        if (!t.empty()) {
            lineStarts_.push_back(0);
            for (size_t pos = t.find("\r\n"); pos != std::string::npos;
                 pos = t.find("\r\n", pos + 2))
                lineStarts_.push_back(pos + 2);
            // A final empty line after the last break is not a line.
            if (lineStarts_.back() == t.size()) lineStarts_.pop_back();
        }
        lineStartsValid_ = true;
    }
    return lineStarts_;
}

int TMemoStrings::Count() const {
    return static_cast<int>(memo_.LineStarts().size());
}

std::string TMemoStrings::Get(int index) const {
    const auto& starts = memo_.LineStarts();
    if (index < 0 || index >= static_cast<int>(starts.size())) return {};
    const std::string& t = memo_.ModelText();
    size_t start = starts[static_cast<size_t>(index)];
    size_t end = t.find("\r\n", start);
    return t.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

void TMemoStrings::Insert(int index, const std::string& s) {
    const auto& starts = memo_.LineStarts();
    int count = static_cast<int>(starts.size());
    if (index < 0 || index > count) CheckIndex(index, count);
    std::string t = memo_.ModelText();
    if (index < count) {
        t.insert(starts[static_cast<size_t>(index)], s + "\r\n");
    } else if (t.empty() || (t.size() >= 2 && t.compare(t.size() - 2, 2, "\r\n") == 0)) {
        t += s;
        t += "\r\n";
    } else {
        t += "\r\n";
        t += s;
    }
    memo_.SetModelText(std::move(t));
    memo_.Change();
}

void TMemoStrings::Delete(int index) {
    const auto& starts = memo_.LineStarts();
    CheckIndex(index, static_cast<int>(starts.size()));
    std::string t = memo_.ModelText();
    size_t start = starts[static_cast<size_t>(index)];
    size_t end = t.find("\r\n", start);
    end = end == std::string::npos ? t.size() : end + 2;
    t.erase(start, end - start);
    memo_.SetModelText(std::move(t));
    memo_.Change();
}

void TMemoStrings::Clear() {
    memo_.SetModelText(std::string());
    memo_.Change();
}

std::string TMemoStrings::Text() const {
    return memo_.ModelText();
}

void TMemoStrings::SetText(const std::string& text) {
    memo_.SetText(text);
}

void TMemoStrings::SetUpdateState(bool updating) {
    // While a batch of changes runs, the window gets the text once at the end.
    memo_.deferWindow_ = updating;
    if (!updating) memo_.SyncWindow();
}

const TClassInfo& TCustomMemo::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TCustomMemo>("TCustomMemo", TCustomEdit::StaticClass())
            .Obj("Lines", [](TCustomMemo& m) { return &m.Lines(); })
            .Enum(
                "ScrollBars", {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"},
                [](TCustomMemo& m) { return m.ScrollBars(); },
                [](TCustomMemo& m, int64_t v) { m.SetScrollBars(static_cast<TScrollStyle>(v)); })
            .Bool(
                "WordWrap", [](TCustomMemo& m) { return m.WordWrap(); },
                [](TCustomMemo& m, bool v) { m.SetWordWrap(v); })
            .Bool(
                "WantReturns", [](TCustomMemo& m) { return m.WantReturns(); },
                [](TCustomMemo& m, bool v) { m.SetWantReturns(v); })
            .Build();
    return info;
}

const TClassInfo& TMemo::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TMemo>("TMemo", TCustomMemo::StaticClass()).Creatable().Build();
    return info;
}

TCustomMemo::TCustomMemo(TComponent* owner) : TCustomEdit(owner), lines_(*this) {
    SetBounds(0, 0, 185, 89);
}

void TCustomMemo::CreateParams(TCreateParams& p) {
    TCustomEdit::CreateParams(p);
    p.Style &= ~static_cast<DWORD>(ES_AUTOHSCROLL);
    p.Style |= ES_MULTILINE | ES_AUTOVSCROLL;
    if (wantReturns_) p.Style |= ES_WANTRETURN;
    if (!wordWrap_ || scrollBars_ == ssHorizontal || scrollBars_ == ssBoth)
        p.Style |= ES_AUTOHSCROLL;
    if (scrollBars_ == ssVertical || scrollBars_ == ssBoth) p.Style |= WS_VSCROLL;
    if (scrollBars_ == ssHorizontal || scrollBars_ == ssBoth) p.Style |= WS_HSCROLL;
}

void TCustomMemo::WndProc(TMessage& m) {
    if (m.Msg == WM_GETDLGCODE) {
        TCustomEdit::WndProc(m);
        // Enter belongs to the memo when it wants returns; Tab moves on.
        m.Result &= ~static_cast<LRESULT>(DLGC_WANTTAB);
        if (!wantReturns_) m.Result &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS);
        return;
    }
    TCustomEdit::WndProc(m);
}

void TCustomMemo::SetScrollBars(TScrollStyle v) {
    if (v == scrollBars_) return;
    scrollBars_ = v;
    RecreateWnd();
}

void TCustomMemo::SetWordWrap(bool v) {
    if (v == wordWrap_) return;
    wordWrap_ = v;
    RecreateWnd();
}
