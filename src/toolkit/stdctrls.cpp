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

void CheckListIndex(int index, int count) {
    if (index < 0 || index >= count)
        throw Exception("List index out of bounds (" + std::to_string(index) + ")");
}

std::string TStringList::Get(int index) const {
    CheckListIndex(index, Count());
    return lines_[static_cast<size_t>(index)];
}

void TStringList::Put(int index, const std::string& s) {
    CheckListIndex(index, Count());
    lines_[static_cast<size_t>(index)] = s;
    Changed();
}

void TStringList::Insert(int index, const std::string& s) {
    if (index < 0 || index > Count()) CheckListIndex(index, Count());
    lines_.insert(lines_.begin() + index, s);
    Changed();
}

void TStringList::Delete(int index) {
    CheckListIndex(index, Count());
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
            .Bool(
                "AllowGrayed", [](TCustomCheckBox& c) { return c.AllowGrayed(); },
                [](TCustomCheckBox& c, bool v) { c.SetAllowGrayed(v); })
            .Enum(
                "Alignment", {"taLeftJustify", "taRightJustify"},
                [](TCustomCheckBox& c) { return c.Alignment(); },
                [](TCustomCheckBox& c, int64_t v) { c.SetAlignment(static_cast<TAlignment>(v)); })
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
    p.Style |= allowGrayed_ ? BS_AUTO3STATE : BS_AUTOCHECKBOX;
    if (alignment_ == taLeftJustify) p.Style |= BS_LEFTTEXT;
}

void TCustomCheckBox::SetAllowGrayed(bool v) {
    if (v == allowGrayed_) return;
    allowGrayed_ = v;
    if (handle_) {
        state_ = State();
        RecreateWnd();
    }
}

void TCustomCheckBox::SetAlignment(TAlignment v) {
    if (v == alignment_) return;
    alignment_ = v;
    if (handle_) {
        state_ = State();
        RecreateWnd();
    }
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
            .Enum(
                "BorderStyle", {"bsNone", "bsSingle"},
                [](TCustomEdit& e) { return e.BorderStyle(); },
                [](TCustomEdit& e, int64_t v) { e.SetBorderStyle(static_cast<TBorderStyle>(v)); })
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
    if (borderStyle_ == bsSingle) p.ExStyle |= WS_EX_CLIENTEDGE;
    if (UseRightToLeftAlignment()) p.Style |= ES_RIGHT;
    p.Caption.clear();
}

void TCustomEdit::SetBorderStyle(TBorderStyle v) {
    v = v == bsNone ? bsNone : bsSingle;
    if (v == borderStyle_) return;
    borderStyle_ = v;
    if (handle_) {
        ModelText();
        RecreateWnd();
    }
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
        if (codec_.fromWindow && handle_) {
            int n = GetWindowTextLengthW(handle_);
            std::wstring w(static_cast<size_t>(n) + 1, L'\0');
            n = GetWindowTextW(handle_, w.data(), n + 1);
            w.resize(static_cast<size_t>(std::max(n, 0)));
            model_ = codec_.fromWindow(w);
        } else {
            model_ = TWinControl::GetText();
        }
        modelValid_ = true;
    }
    return model_;
}

void TCustomEdit::SetTextCodec(TextCodec codec) {
    ModelText();
    codec_ = std::move(codec);
    windowStale_ = true;
    SyncWindow();
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
    SetWindowTextW(handle_, (codec_.toWindow ? codec_.toWindow(model_) : Widen(model_)).c_str());
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
    if (index < 0 || index > count) CheckListIndex(index, count);
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
    CheckListIndex(index, static_cast<int>(starts.size()));
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

// ---------------------------------------------------------------- TRadioButton

const TClassInfo& TRadioButton::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TRadioButton>("TRadioButton", TButtonControl::StaticClass())
            .Bool(
                "Checked", [](TRadioButton& r) { return r.Checked(); },
                [](TRadioButton& r, bool v) { r.SetChecked(v); })
            .Enum(
                "Alignment", {"taLeftJustify", "taRightJustify"},
                [](TRadioButton& r) { return r.Alignment(); },
                [](TRadioButton& r, int64_t v) { r.SetAlignment(static_cast<TAlignment>(v)); })
            .Creatable()
            .Build();
    return info;
}

TRadioButton::TRadioButton(TComponent* owner) : TButtonControl(owner) {
    SetBounds(0, 0, 113, 17);
}

bool TRadioButton::Checked() const {
    if (handle_) return SendMessageW(handle_, BM_GETCHECK, 0, 0) == BST_CHECKED;
    return checked_;
}

void TRadioButton::SetChecked(bool v) {
    if (v == Checked()) return;
    checked_ = v;
    if (handle_) SendMessageW(handle_, BM_SETCHECK, v ? BST_CHECKED : BST_UNCHECKED, 0);
    if (!v) return;
    if (parent_)
        for (int i = 0; i < parent_->ControlCount(); ++i)
            if (auto* r = dynamic_cast<TRadioButton*>(parent_->Controls(i)); r && r != this)
                r->SetChecked(false);
    if (!IsLoading()) Click();
}

void TRadioButton::SetAlignment(TAlignment v) {
    if (v == alignment_) return;
    alignment_ = v;
    if (handle_) {
        checked_ = Checked();
        RecreateWnd();
    }
}

void TRadioButton::CreateParams(TCreateParams& p) {
    TButtonControl::CreateParams(p);
    p.SysClassName = L"BUTTON";
    // Not an automatic radio button: the system's would clear every radio button of the
    // dialog group, which reaches into nested panels and group boxes; ours clear their siblings.
    p.Style |= BS_RADIOBUTTON;
    if (alignment_ == taLeftJustify) p.Style |= BS_LEFTTEXT;
}

void TRadioButton::InitializeWnd() {
    TButtonControl::InitializeWnd();
    SendMessageW(handle_, BM_SETCHECK, checked_ ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TRadioButton::WndProc(TMessage& m) {
    if (m.Msg == CN_COMMAND) {
        if (HIWORD(m.WParam) == BN_CLICKED) SetChecked(true);
        return;
    }
    if (m.Msg == WM_DESTROY) checked_ = Checked();
    TButtonControl::WndProc(m);
}

// ---------------------------------------------------------------- TCustomGroupBox

const TClassInfo& TCustomGroupBox::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TCustomGroupBox>("TCustomGroupBox", TWinControl::StaticClass())
            .Bool(
                "ParentBackground", [](TCustomGroupBox& g) { return g.ParentBackground(); },
                [](TCustomGroupBox& g, bool v) { g.SetParentBackground(v); })
            .Build();
    return info;
}

const TClassInfo& TGroupBox::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TGroupBox>("TGroupBox", TCustomGroupBox::StaticClass()).Creatable().Build();
    return info;
}

TCustomGroupBox::TCustomGroupBox(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 185, 105);
}

void TCustomGroupBox::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.SysClassName = L"BUTTON";
    p.Style |= BS_GROUPBOX | WS_CLIPCHILDREN;
    p.ExStyle |= WS_EX_CONTROLPARENT;
}

void TCustomGroupBox::WndProc(TMessage& m) {
    switch (m.Msg) {
    case WM_ERASEBKGND: {
        HDC dc = reinterpret_cast<HDC>(m.WParam);
        if (ParentBackground()) {
            PaintParentBackground(dc);
        } else {
            RECT r;
            GetClientRect(handle_, &r);
            FillRect(dc, &r, ColorBrush());
        }
        m.Result = 1;
        return;
    }
    case CN_CTLCOLORSTATIC:
    case CN_CTLCOLORBTN:
        if (ParentBackground()) {
            HDC dc = reinterpret_cast<HDC>(m.WParam);
            SetTextColor(dc, ColorToRGB(Font().Color()));
            SetBkMode(dc, TRANSPARENT);
            m.Result = reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
            return;
        }
        break;
    case WM_PAINT:
        if (!m.WParam) {
            // The system draws the frame; graphic children (labels) go on top.
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(handle_, &ps);
            DefWndProc(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
            PaintControls(dc);
            EndPaint(handle_, &ps);
            return;
        }
        break;
    default:
        break;
    }
    TWinControl::WndProc(m);
}

// ---------------------------------------------------------------- list items

const TClassInfo& TListControlItems::StaticClass() {
    static const TClassInfo info{"TListControlItems", &TStrings::StaticClass(), {}, {}};
    return info;
}

std::string TListControlItems::Get(int index) const {
    CheckListIndex(index, Count());
    return items_[static_cast<size_t>(index)];
}

void TListControlItems::InsertIntoWindow(int index) const {
    HWND h = control_.WindowHandle();
    if (!h) return;
    std::wstring w = Widen(items_[static_cast<size_t>(index)]);
    SendMessageW(h, combo_ ? CB_INSERTSTRING : LB_INSERTSTRING, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(w.c_str()));
}

void TListControlItems::Put(int index, const std::string& s) {
    CheckListIndex(index, Count());
    items_[static_cast<size_t>(index)] = s;
    if (HWND h = control_.WindowHandle()) {
        SendMessageW(h, combo_ ? CB_DELETESTRING : LB_DELETESTRING, static_cast<WPARAM>(index), 0);
        InsertIntoWindow(index);
    }
}

void TListControlItems::Insert(int index, const std::string& s) {
    if (index < 0 || index > Count()) CheckListIndex(index, Count());
    items_.insert(items_.begin() + index, s);
    InsertIntoWindow(index);
}

void TListControlItems::Delete(int index) {
    CheckListIndex(index, Count());
    items_.erase(items_.begin() + index);
    if (HWND h = control_.WindowHandle())
        SendMessageW(h, combo_ ? CB_DELETESTRING : LB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

void TListControlItems::Clear() {
    items_.clear();
    if (HWND h = control_.WindowHandle())
        SendMessageW(h, combo_ ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0);
}

void TListControlItems::FillWindow() const {
    for (int i = 0; i < Count(); ++i) InsertIntoWindow(i);
}

// ---------------------------------------------------------------- TCustomComboBox

const TClassInfo& TCustomComboBox::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TCustomComboBox>("TCustomComboBox", TWinControl::StaticClass())
            .Enum(
                "Style", {"csDropDown", "csSimple", "csDropDownList"},
                [](TCustomComboBox& c) { return c.Style(); },
                [](TCustomComboBox& c, int64_t v) { c.SetStyle(static_cast<TComboBoxStyle>(v)); })
            .Strings(
                "Items", [](TCustomComboBox& c) { return c.Items().ToVector(); },
                [](TCustomComboBox& c, const std::vector<std::string>& v) { c.Items().Assign(v); })
            .Int(
                "ItemIndex", [](TCustomComboBox& c) { return c.ItemIndex(); },
                [](TCustomComboBox& c, int64_t v) { c.SetItemIndex(static_cast<int>(v)); })
            .Str(
                "Text", [](TCustomComboBox& c) { return c.GetText(); },
                [](TCustomComboBox& c, const std::string& v) { c.SetText(v); })
            .Int(
                "DropDownCount", [](TCustomComboBox& c) { return c.DropDownCount(); },
                [](TCustomComboBox& c, int64_t v) { c.SetDropDownCount(static_cast<int>(v)); })
            .Event("OnChange",
                   [](TCustomComboBox& c, TNotifyEvent e) { c.OnChange = std::move(e); })
            .Build();
    return info;
}

const TClassInfo& TComboBox::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TComboBox>("TComboBox", TCustomComboBox::StaticClass()).Creatable().Build();
    return info;
}

TCustomComboBox::TCustomComboBox(TComponent* owner) : TWinControl(owner), items_(*this, true) {
    SetTabStop(true);
    SetColor(clWindow);
    SetBounds(0, 0, 145, 21);
}

void TCustomComboBox::SetStyle(TComboBoxStyle v) {
    if (v == style_) return;
    itemIndex_ = ItemIndex();
    text_ = GetText();
    style_ = v;
    RecreateWnd();
}

int TCustomComboBox::ItemIndex() const {
    if (handle_) return static_cast<int>(SendMessageW(handle_, CB_GETCURSEL, 0, 0));
    return itemIndex_;
}

void TCustomComboBox::SetItemIndex(int v) {
    if (v < -1 || v >= items_.Count()) v = -1;
    itemIndex_ = v;
    if (v >= 0) text_ = items_[v];
    if (handle_) SendMessageW(handle_, CB_SETCURSEL, static_cast<WPARAM>(v), 0);
}

void TCustomComboBox::SetDropDownCount(int v) {
    dropDownCount_ = std::max(v, 1);
    ApplyDropDownHeight();
}

std::string TCustomComboBox::GetText() const {
    if (style_ == csDropDownList) {
        int i = ItemIndex();
        return i >= 0 && i < items_.Count() ? items_[i] : std::string();
    }
    return TWinControl::GetText();
}

void TCustomComboBox::SetText(const std::string& v) {
    if (style_ == csDropDownList) {
        SetItemIndex(items_.IndexOf(v));
        return;
    }
    TWinControl::SetText(v);
}

void TCustomComboBox::SetBounds(int left, int top, int width, int height) {
    TWinControl::SetBounds(left, top, width, height);
    ApplyDropDownHeight();
}

void TCustomComboBox::ApplyDropDownHeight() {
    // A drop-down combo's window height is the open height; the system fixes the closed one.
    if (!handle_ || style_ == csSimple) return;
    int item = static_cast<int>(SendMessageW(handle_, CB_GETITEMHEIGHT, 0, 0));
    SetWindowPos(handle_, nullptr, 0, 0, width_, height_ + dropDownCount_ * std::max(item, 1) + 2,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TCustomComboBox::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.SysClassName = L"COMBOBOX";
    static const DWORD kStyle[] = {CBS_DROPDOWN, CBS_SIMPLE, CBS_DROPDOWNLIST};
    p.Style |= kStyle[style_] | CBS_AUTOHSCROLL | WS_VSCROLL;
    if (style_ == csSimple) p.Style |= CBS_NOINTEGRALHEIGHT; // the list fills the control
    if (style_ == csDropDownList) p.Caption.clear();
}

void TCustomComboBox::InitializeWnd() {
    TWinControl::InitializeWnd();
    items_.FillWindow();
    if (itemIndex_ >= 0) SendMessageW(handle_, CB_SETCURSEL, static_cast<WPARAM>(itemIndex_), 0);
    if (style_ != csDropDownList) SetWindowTextW(handle_, Widen(text_).c_str());
    ApplyDropDownHeight();
}

void TCustomComboBox::Change() {
    if (!IsLoading() && OnChange) OnChange(this);
}

void TCustomComboBox::WndProc(TMessage& m) {
    if (m.Msg == CN_COMMAND) {
        switch (HIWORD(m.WParam)) {
        case CBN_SELCHANGE: {
            itemIndex_ = ItemIndex();
            // The edit shows the new item only after this notification; handlers see it now.
            if (itemIndex_ >= 0) {
                text_ = items_[itemIndex_];
                if (style_ != csDropDownList) SetWindowTextW(handle_, Widen(text_).c_str());
            }
            Change();
            break;
        }
        case CBN_EDITCHANGE:
            Change();
            break;
        default:
            break;
        }
        return;
    }
    if (m.Msg == WM_DESTROY && handle_) {
        itemIndex_ = ItemIndex();
        text_ = GetText();
    }
    TWinControl::WndProc(m);
}

// ---------------------------------------------------------------- TCustomListBox

const TClassInfo& TCustomListBox::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TCustomListBox>("TCustomListBox", TWinControl::StaticClass())
            .Strings(
                "Items", [](TCustomListBox& l) { return l.Items().ToVector(); },
                [](TCustomListBox& l, const std::vector<std::string>& v) { l.Items().Assign(v); })
            .Int(
                "ItemIndex", [](TCustomListBox& l) { return l.ItemIndex(); },
                [](TCustomListBox& l, int64_t v) { l.SetItemIndex(static_cast<int>(v)); })
            .Bool(
                "MultiSelect", [](TCustomListBox& l) { return l.MultiSelect(); },
                [](TCustomListBox& l, bool v) { l.SetMultiSelect(v); })
            .Enum(
                "BorderStyle", {"bsNone", "bsSingle"},
                [](TCustomListBox& l) { return l.BorderStyle(); },
                [](TCustomListBox& l, int64_t v) {
                    l.SetBorderStyle(static_cast<TBorderStyle>(v));
                })
            .Build();
    return info;
}

const TClassInfo& TListBox::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TListBox>("TListBox", TCustomListBox::StaticClass()).Creatable().Build();
    return info;
}

TCustomListBox::TCustomListBox(TComponent* owner) : TWinControl(owner), items_(*this, false) {
    SetTabStop(true);
    SetColor(clWindow);
    SetBounds(0, 0, 121, 97);
}

int TCustomListBox::ItemIndex() const {
    if (!handle_) return itemIndex_;
    return static_cast<int>(
        SendMessageW(handle_, multiSelect_ ? LB_GETCARETINDEX : LB_GETCURSEL, 0, 0));
}

void TCustomListBox::SetItemIndex(int v) {
    if (v < -1 || v >= items_.Count()) v = -1;
    itemIndex_ = v;
    if (multiSelect_) {
        selected_.clear();
        if (v >= 0) selected_.push_back(v);
    }
    if (!handle_) return;
    if (multiSelect_) {
        SendMessageW(handle_, LB_SETSEL, FALSE, -1);
        if (v >= 0) {
            SendMessageW(handle_, LB_SETSEL, TRUE, v);
            SendMessageW(handle_, LB_SETCARETINDEX, static_cast<WPARAM>(v), FALSE);
        }
    } else {
        SendMessageW(handle_, LB_SETCURSEL, static_cast<WPARAM>(v), 0);
    }
}

void TCustomListBox::SetMultiSelect(bool v) {
    if (v == multiSelect_) return;
    SaveSelection();
    multiSelect_ = v;
    RecreateWnd();
}

void TCustomListBox::SetBorderStyle(TBorderStyle v) {
    v = v == bsNone ? bsNone : bsSingle;
    if (v == borderStyle_) return;
    SaveSelection();
    borderStyle_ = v;
    RecreateWnd();
}

bool TCustomListBox::Selected(int index) const {
    CheckListIndex(index, items_.Count());
    if (handle_) return SendMessageW(handle_, LB_GETSEL, static_cast<WPARAM>(index), 0) > 0;
    if (!multiSelect_) return index == itemIndex_;
    return std::find(selected_.begin(), selected_.end(), index) != selected_.end();
}

void TCustomListBox::SetSelected(int index, bool v) {
    CheckListIndex(index, items_.Count());
    if (!multiSelect_) {
        if (v)
            SetItemIndex(index);
        else if (ItemIndex() == index)
            SetItemIndex(-1);
        return;
    }
    selected_.erase(std::remove(selected_.begin(), selected_.end(), index), selected_.end());
    if (v) selected_.push_back(index);
    if (handle_) SendMessageW(handle_, LB_SETSEL, v ? TRUE : FALSE, index);
}

int TCustomListBox::SelCount() const {
    if (!multiSelect_) return -1;
    if (handle_) return static_cast<int>(SendMessageW(handle_, LB_GETSELCOUNT, 0, 0));
    return static_cast<int>(selected_.size());
}

void TCustomListBox::SaveSelection() {
    if (!handle_) return;
    itemIndex_ = ItemIndex();
    selected_.clear();
    for (int i = 0; i < items_.Count(); ++i)
        if (SendMessageW(handle_, LB_GETSEL, static_cast<WPARAM>(i), 0) > 0) selected_.push_back(i);
}

void TCustomListBox::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.SysClassName = L"LISTBOX";
    p.Style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL;
    if (multiSelect_) p.Style |= LBS_EXTENDEDSEL;
    if (borderStyle_ == bsSingle) p.ExStyle |= WS_EX_CLIENTEDGE;
    p.Caption.clear();
}

void TCustomListBox::InitializeWnd() {
    TWinControl::InitializeWnd();
    items_.FillWindow();
    if (multiSelect_) {
        for (int i : selected_) SendMessageW(handle_, LB_SETSEL, TRUE, i);
        if (itemIndex_ >= 0)
            SendMessageW(handle_, LB_SETCARETINDEX, static_cast<WPARAM>(itemIndex_), FALSE);
    } else if (itemIndex_ >= 0) {
        SendMessageW(handle_, LB_SETCURSEL, static_cast<WPARAM>(itemIndex_), 0);
    }
}

void TCustomListBox::WndProc(TMessage& m) {
    if (m.Msg == CN_COMMAND) {
        if (HIWORD(m.WParam) == LBN_SELCHANGE) {
            itemIndex_ = ItemIndex();
            Click();
        }
        return;
    }
    if (m.Msg == WM_DESTROY) SaveSelection();
    TWinControl::WndProc(m);
}

// ---------------------------------------------------------------- TScrollBar

const TClassInfo& TScrollBar::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TScrollBar>("TScrollBar", TWinControl::StaticClass())
            .Enum(
                "Kind", {"sbHorizontal", "sbVertical"}, [](TScrollBar& s) { return s.Kind(); },
                [](TScrollBar& s, int64_t v) { s.SetKind(static_cast<TScrollBarKind>(v)); })
            .Int(
                "Min", [](TScrollBar& s) { return s.Min(); },
                [](TScrollBar& s, int64_t v) { s.SetMin(static_cast<int>(v)); })
            .Int(
                "Max", [](TScrollBar& s) { return s.Max(); },
                [](TScrollBar& s, int64_t v) { s.SetMax(static_cast<int>(v)); })
            .Int(
                "Position", [](TScrollBar& s) { return s.Position(); },
                [](TScrollBar& s, int64_t v) { s.SetPosition(static_cast<int>(v)); })
            .Int(
                "SmallChange", [](TScrollBar& s) { return s.SmallChange(); },
                [](TScrollBar& s, int64_t v) { s.SetSmallChange(static_cast<int>(v)); })
            .Int(
                "LargeChange", [](TScrollBar& s) { return s.LargeChange(); },
                [](TScrollBar& s, int64_t v) { s.SetLargeChange(static_cast<int>(v)); })
            .Int(
                "PageSize", [](TScrollBar& s) { return s.PageSize(); },
                [](TScrollBar& s, int64_t v) { s.SetPageSize(static_cast<int>(v)); })
            .Event("OnChange", [](TScrollBar& s, TNotifyEvent e) { s.OnChange = std::move(e); })
            .Creatable()
            .Build();
    return info;
}

TScrollBar::TScrollBar(TComponent* owner) : TWinControl(owner) {
    SetTabStop(true);
    SetBounds(0, 0, 121, GetSystemMetrics(SM_CYHSCROLL));
}

void TScrollBar::SetKind(TScrollBarKind v) {
    if (v == kind_) return;
    kind_ = v;
    // A designed bar keeps its size; turning one at run time turns its bounds too.
    if (!IsLoading()) SetBounds(left_, top_, height_, width_);
    RecreateWnd();
}

void TScrollBar::SetParams(int position, int min, int max) {
    if (max < min) max = min;
    int old = position_;
    min_ = min;
    max_ = max;
    int last = pageSize_ > 0 ? std::max(min_, max_ - pageSize_ + 1) : max_;
    position_ = std::clamp(position, min_, last);
    UpdateScrollInfo();
    if (position_ != old && !IsLoading() && OnChange) OnChange(this);
}

void TScrollBar::SetPageSize(int v) {
    pageSize_ = std::max(v, 0);
    SetParams(position_, min_, max_);
}

void TScrollBar::UpdateScrollInfo() {
    if (!handle_) return;
    SCROLLINFO si{sizeof(si), SIF_ALL | SIF_DISABLENOSCROLL, min_,
                  max_,       static_cast<UINT>(pageSize_),  position_,
                  0};
    SetScrollInfo(handle_, SB_CTL, &si, TRUE);
}

void TScrollBar::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.SysClassName = L"SCROLLBAR";
    p.Style |= kind_ == sbHorizontal ? SBS_HORZ : SBS_VERT;
    p.Caption.clear();
}

void TScrollBar::InitializeWnd() {
    TWinControl::InitializeWnd();
    UpdateScrollInfo();
}

void TScrollBar::WndProc(TMessage& m) {
    if (m.Msg == CN_HSCROLL || m.Msg == CN_VSCROLL) {
        int pos = position_;
        switch (LOWORD(m.WParam)) {
        case SB_LINEUP:
            pos -= smallChange_;
            break;
        case SB_LINEDOWN:
            pos += smallChange_;
            break;
        case SB_PAGEUP:
            pos -= largeChange_;
            break;
        case SB_PAGEDOWN:
            pos += largeChange_;
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: {
            SCROLLINFO si{sizeof(si), SIF_TRACKPOS, 0, 0, 0, 0, 0};
            GetScrollInfo(handle_, SB_CTL, &si);
            pos = si.nTrackPos;
            break;
        }
        case SB_TOP:
            pos = min_;
            break;
        case SB_BOTTOM:
            pos = max_;
            break;
        default:
            return;
        }
        SetPosition(pos);
        m.Result = 0;
        return;
    }
    TWinControl::WndProc(m);
}
