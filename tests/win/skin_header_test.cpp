// Skinned list-view headers with a filter bar, on real windows under Wine. This Wine's header
// keeps no filters (HDS_FILTERBAR changes nothing of its layout, its hit test or its items,
// and HDM_EDITFILTER makes no edit), so both twins get a procedure under them that answers as
// a header with a filter bar does: a filter row under the captions, a filter button at the
// right of each cell, string filters, an edit over a cell while it is edited, and the
// notifications. The skin must draw that row from the skin, keep the header's layout, leave
// the edit its own pixels and pass every click on.
#include "real_input.h"
#include "skinned_form.h"

#include "skin/controls/skin_listview.h"
#include "toolkit/comctrls.h"
#include "toolkit/handles.h"
#include "toolkit/subclass.h"

#include <commctrl.h>
#include <windowsx.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace testskins;
using namespace skintest;

namespace {

constexpr UINT kEndEdit = WM_APP + 71;
constexpr int kButton = 12;

// The filter bar a header of the system's common controls has from version 5.80 on.
class FilterBar {
public:
    explicit FilterBar(HWND header) : header_(header) {
        sub_.Attach(header, [this](TMessage& m) { Handle(m); });
    }
    ~FilterBar() {
        if (edit_) DestroyWindow(edit_);
    }
    bool On() const { return (GetWindowLongPtrW(header_, GWL_STYLE) & HDS_FILTERBAR) != 0; }
    // The row under the captions, as high as they are.
    int Top() const {
        RECT c;
        GetClientRect(header_, &c);
        return c.bottom / 2;
    }
    RECT Cell(int i) const {
        RECT r{};
        Header_GetItemRect(header_, i, &r);
        r.top = Top();
        return r;
    }
    RECT Button(int i) const {
        RECT r = Cell(i);
        r.left = r.right - kButton;
        return r;
    }
    // Where the edit goes: the cell less its button, 2 pixels in.
    RECT Box(int i) const {
        RECT r = Cell(i);
        r.right -= kButton;
        InflateRect(&r, -2, -2);
        return r;
    }
    HWND Edit() const { return edit_; }
    std::wstring Value(int i) const { return i < int(values_.size()) ? values_[size_t(i)] : L""; }

private:
    int ColumnAt(int x) const {
        for (int i = 0; i < Header_GetItemCount(header_); ++i) {
            RECT r;
            if (Header_GetItemRect(header_, i, &r) && x >= r.left && x < r.right) return i;
        }
        return -1;
    }
    void Notify(UINT code, int item) {
        NMHEADERW nm{};
        nm.hdr.hwndFrom = header_;
        nm.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(header_));
        nm.hdr.code = code;
        nm.iItem = item;
        SendMessageW(GetParent(header_), WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm));
    }
    void SetValue(int i, const std::wstring& v) {
        if (i < 0) return;
        if (values_.size() <= size_t(i)) values_.resize(size_t(i) + 1);
        values_[size_t(i)] = v;
        InvalidateRect(header_, nullptr, FALSE);
    }
    void Begin(int i) {
        if (edit_) End(true);
        editing_ = i;
        const RECT b = Box(i);
        edit_ =
            CreateWindowExW(0, L"EDIT", Value(i).c_str(), WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL,
                            b.left, b.top, b.right - b.left, b.bottom - b.top, header_, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
        SendMessageW(edit_, WM_SETFONT, SendMessageW(header_, WM_GETFONT, 0, 0), TRUE);
        editSub_.Attach(edit_, [this](TMessage& m) {
            if (m.Msg == WM_KEYDOWN && (m.WParam == VK_RETURN || m.WParam == VK_ESCAPE)) {
                PostMessageW(header_, kEndEdit, m.WParam == VK_RETURN, 0);
                m.Result = 0;
                return;
            }
            if (m.Msg == WM_GETDLGCODE) {
                m.Result = DLGC_WANTALLKEYS; // Enter and Escape end the edit, in a dialog too
                return;
            }
            if (m.Msg == WM_CHAR && (m.WParam == '\r' || m.WParam == 27)) {
                m.Result = 0;
                return;
            }
            editSub_.CallPrevious(m);
        });
        Notify(HDN_BEGINFILTEREDIT, i);
        SetFocus(edit_);
    }
    void End(bool commit) {
        if (!edit_) return;
        wchar_t text[100] = {};
        GetWindowTextW(edit_, text, 100);
        editSub_.Detach();
        DestroyWindow(edit_);
        edit_ = nullptr;
        Notify(HDN_ENDFILTEREDIT, editing_);
        if (commit) {
            SetValue(editing_, text);
            Notify(HDN_FILTERCHANGE, editing_);
        }
        editing_ = -1;
    }
    void Handle(TMessage& m) {
        if (!On()) {
            sub_.CallPrevious(m);
            return;
        }
        switch (m.Msg) {
        case HDM_LAYOUT: {
            sub_.CallPrevious(m);
            auto* l = reinterpret_cast<HDLAYOUT*>(m.LParam);
            l->prc->top += l->pwpos->cy;
            l->pwpos->cy *= 2;
            return;
        }
        case HDM_HITTEST: {
            sub_.CallPrevious(m);
            auto* hit = reinterpret_cast<HDHITTESTINFO*>(m.LParam);
            const int i = ColumnAt(hit->pt.x);
            RECT c;
            GetClientRect(header_, &c);
            if (i >= 0 && hit->pt.y >= Top() && hit->pt.y < c.bottom) {
                const RECT b = Button(i);
                hit->flags = PtInRect(&b, hit->pt) ? HHT_ONFILTERBUTTON : HHT_ONFILTER;
                hit->iItem = i;
                m.Result = i;
            }
            return;
        }
        case HDM_SETITEMW:
        case HDM_GETITEMW: {
            auto* item = reinterpret_cast<HDITEMW*>(m.LParam);
            if (!(item->mask & HDI_FILTER)) break;
            const int i = static_cast<int>(m.WParam);
            auto* text = static_cast<HD_TEXTFILTERW*>(item->pvFilter);
            const bool number = (item->type & 0x0F) == HDFT_ISNUMBER;
            if (m.Msg == HDM_SETITEMW) {
                const bool none = (item->type & HDFT_HASNOVALUE) || !text;
                if (i >= int(numbers_.size())) numbers_.resize(size_t(i) + 1);
                numbers_[size_t(i)] = number && !none;
                SetValue(i, none            ? L""
                            : number        ? std::to_wstring(*static_cast<INT*>(item->pvFilter))
                            : text->pszText ? text->pszText
                                            : L"");
            } else if (Value(i).empty()) {
                item->type = HDFT_ISSTRING | HDFT_HASNOVALUE;
            } else if (i < int(numbers_.size()) && numbers_[size_t(i)]) {
                item->type = HDFT_ISNUMBER;
                *static_cast<INT*>(item->pvFilter) = std::stoi(Value(i));
            } else {
                item->type = HDFT_ISSTRING;
                lstrcpynW(text->pszText, Value(i).c_str(), text->cchTextMax);
            }
            const UINT mask = item->mask;
            item->mask &= ~HDI_FILTER;
            if (item->mask) sub_.CallPrevious(m);
            item->mask = mask;
            m.Result = TRUE;
            return;
        }
        case HDM_EDITFILTER:
            Begin(static_cast<int>(m.WParam));
            m.Result = TRUE;
            return;
        case kEndEdit:
            End(m.WParam != 0);
            return;
        case WM_LBUTTONDOWN: {
            const POINT p{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
            const int i = ColumnAt(p.x);
            if (i < 0 || p.y < Top()) break;
            const RECT b = Button(i);
            if (PtInRect(&b, p)) {
                NMHDFILTERBTNCLICK nm{};
                nm.hdr.hwndFrom = header_;
                nm.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(header_));
                nm.hdr.code = HDN_FILTERBTNCLICK;
                nm.iItem = i;
                nm.rc = b;
                if (SendMessageW(GetParent(header_), WM_NOTIFY, nm.hdr.idFrom,
                                 reinterpret_cast<LPARAM>(&nm)))
                    Notify(HDN_FILTERCHANGE, i);
            } else {
                Begin(i);
            }
            m.Result = 0;
            return;
        }
        default:
            break;
        }
        sub_.CallPrevious(m);
    }

    HWND header_;
    HWND edit_ = nullptr;
    int editing_ = -1;
    std::vector<std::wstring> values_;
    std::vector<bool> numbers_;
    TWindowSubclass sub_, editSub_;
};

struct Skin {
    const char* name;
    std::vector<std::uint8_t> (*store)();
};
std::vector<std::uint8_t> Scrolls() {
    return ScrollSkinStore();
}
const Skin kSkins[] = {{"scroll", &Scrolls}, {"product", &ProductSkinStore}};

// A report list skinned and its unskinned twin, each with three columns; with `filterBar` both
// headers get the filter bar style and the procedure that answers for it.
struct FilterTwins {
    std::vector<std::unique_ptr<FilterBar>> bars; // outlive the windows' skin objects
    SkinnedForm t;
    TListView* view[2]{};
    HWND header[2]{};
    TSkinListView* object = nullptr;
    std::vector<std::string> notes[2];
    TWindowSubclass recorders[2];

    FilterTwins(const Skin& skin, bool filterBar, bool answers = true, int top = 80)
        : t(skin.store(), 760, 360, 80, top) {
        for (int i = 0; i < 2; ++i) {
            TListView* v = t.Add<TListView>(10 + i * 370, 10, 340, 200);
            v->SetViewStyle(vsReport);
            const char* names[] = {"One", "Two", "Three"};
            for (int c = 0; c < 3; ++c) {
                TListColumn* column = v->AddColumn();
                column->SetCaption(names[c]);
                column->SetWidth(90);
            }
            if (i == 1) v->SetTag(t.data->DisableTag);
            view[i] = v;
        }
        t.Show();
        for (int i = 0; i < 2; ++i) {
            HWND lv = view[i]->WindowHandle();
            header[i] = ListView_GetHeader(lv);
            if (filterBar)
                SetWindowLongPtrW(header[i], GWL_STYLE,
                                  GetWindowLongPtrW(header[i], GWL_STYLE) | HDS_FILTERBAR);
            if (filterBar && answers) bars.push_back(std::make_unique<FilterBar>(header[i]));
            // What the list hears from its header about filters and clicks; a filter button
            // click is answered "changed".
            recorders[i].Attach(lv, [this, i](TMessage& m) {
                auto* nm = reinterpret_cast<NMHDR*>(m.LParam);
                if (m.Msg == WM_NOTIFY && nm && nm->hwndFrom == header[i]) {
                    switch (nm->code) {
                    case HDN_FILTERBTNCLICK:
                        notes[i].push_back(
                            "button " +
                            std::to_string(reinterpret_cast<NMHDFILTERBTNCLICK*>(nm)->iItem));
                        m.Result = TRUE;
                        return;
                    case HDN_BEGINFILTEREDIT:
                    case HDN_ENDFILTEREDIT:
                    case HDN_FILTERCHANGE:
                    case HDN_ITEMCLICKW:
                    case HDN_ITEMCLICKA:
                        notes[i].push_back(std::to_string(int(nm->code)) + " " +
                                           std::to_string(reinterpret_cast<NMHEADERW*>(nm)->iItem));
                        break;
                    default:
                        break;
                    }
                }
                recorders[i].CallPrevious(m);
            });
            // The list lays its header out again for the new style.
            view[i]->SetBounds(10 + i * 370, 10, 341, 200);
            view[i]->SetBounds(10 + i * 370, 10, 340, 200);
        }
        t.Apply();
        object = t.ObjectOf<TSkinListView>(view[0]);
        SetForegroundWindow(t.form->WindowHandle());
        Refresh(t.form->WindowHandle());
        PumpFor(30);
    }
    FilterBar* Bar(int i) const {
        return bars.size() > size_t(i) ? bars[size_t(i)].get() : nullptr;
    }
    void SetFilter(int i, int column, const wchar_t* text) {
        wchar_t buffer[64];
        lstrcpynW(buffer, text, 64);
        HD_TEXTFILTERW f{buffer, 64};
        HDITEMW item{};
        item.mask = HDI_FILTER;
        item.type = HDFT_ISSTRING;
        item.pvFilter = &f;
        SendMessageW(header[i], HDM_SETITEMW, static_cast<WPARAM>(column),
                     reinterpret_cast<LPARAM>(&item));
    }
    int LayoutHeight(int i) const {
        RECT r{0, 0, 300, 200};
        WINDOWPOS wp{};
        HDLAYOUT l{&r, &wp};
        SendMessageW(header[i], HDM_LAYOUT, 0, reinterpret_cast<LPARAM>(&l));
        return wp.cy;
    }
    std::vector<TColor> Pixels(int i) const {
        RECT c;
        GetClientRect(header[i], &c);
        std::vector<TColor> out;
        HDC dc = GetDC(header[i]);
        for (int y = 0; y < c.bottom; ++y)
            for (int x = 0; x < c.right; ++x)
                out.push_back(static_cast<TColor>(GetPixel(dc, x, y)));
        ReleaseDC(header[i], dc);
        return out;
    }
};

TColor Rgb(TColor c) {
    return static_cast<TColor>(ColorToRGB(c));
}

} // namespace

TEST(SkinHeaderFilterBar, TheRowIsDrawnInTheSkinsColoursAndTheHeaderKeepsItsLayout) {
    for (const Skin& skin : kSkins) {
        SCOPED_TRACE(skin.name);
        FilterTwins w(skin, true);
        ASSERT_NE(w.object, nullptr);
        ASSERT_NE(w.object->Header(), nullptr);
        for (int i = 0; i < 2; ++i) {
            w.SetFilter(i, 0, L"abc");
            INT number = 42;
            HDITEMW item{};
            item.mask = HDI_FILTER;
            item.type = HDFT_ISNUMBER;
            item.pvFilter = &number;
            SendMessageW(w.header[i], HDM_SETITEMW, 2, reinterpret_cast<LPARAM>(&item));
        }
        HWND h = w.header[0];
        Refresh(w.t.form->WindowHandle());
        // The layout is the header's own: as high, the columns where the twin has them.
        EXPECT_EQ(w.LayoutHeight(0), w.LayoutHeight(1));
        RECT c[2];
        GetClientRect(w.header[0], &c[0]);
        GetClientRect(w.header[1], &c[1]);
        EXPECT_EQ(c[0].bottom, c[1].bottom);
        EXPECT_GT(c[0].bottom, 20); // the captions and the filter row
        for (int col = 0; col < 3; ++col) {
            RECT a, b;
            ASSERT_TRUE(Header_GetItemRect(w.header[0], col, &a));
            ASSERT_TRUE(Header_GetItemRect(w.header[1], col, &b));
            EXPECT_TRUE(EqualRect(&a, &b)) << col;
        }
        const TColor ink = Rgb(w.t.data->ButtonTextColor);
        const TColor face = Rgb(w.t.data->ButtonFaceColor);
        const TColor shadow = Rgb(w.t.data->ButtonShadowColor);
        FilterBar* bar = w.Bar(0);
        const int top = bar->Top();
        // Each value sits in a box of the skin's shadow and face: the first with its text, the
        // second empty.
        for (int col = 0; col < 2; ++col) {
            SCOPED_TRACE(col);
            RECT box = bar->Box(col);
            EXPECT_EQ(PixelAt(h, box.left, (box.top + box.bottom) / 2), shadow);
            EXPECT_EQ(PixelAt(h, box.right - 1, (box.top + box.bottom) / 2), shadow);
            EXPECT_EQ(PixelAt(h, box.right - 3, box.top + 2), face);
            InflateRect(&box, -1, -1);
            if (col == 0)
                EXPECT_GT(Count(h, box, ink), 5);
            else
                EXPECT_EQ(Count(h, box, ink), 0);
        }
        // A number filter is shown as its digits.
        RECT numberBox = bar->Box(2);
        InflateRect(&numberBox, -1, -1);
        EXPECT_GT(Count(h, numberBox, ink), 5);
        // Every cell has its filter button with a funnel of the text colour.
        for (int col = 0; col < 3; ++col) EXPECT_GE(Count(h, bar->Button(col), ink), 8) << col;
        // The captions keep the part above the row.
        RECT caption;
        Header_GetItemRect(h, 1, &caption);
        caption.bottom = top;
        EXPECT_GT(Count(h, caption, ink), 5);
        if (skin.store == &Scrolls) {
            EXPECT_EQ(PixelAt(h, caption.left + 4, 1), kHeaderFrames[0]);
            // The cell around the box and the button are the header's normal frame.
            const RECT cell = bar->Cell(2);
            EXPECT_EQ(PixelAt(h, cell.left + 1, cell.top + 1), kHeaderFrames[0]);
            EXPECT_EQ(PixelAt(h, cell.right - 1, cell.top + 1), kHeaderFrames[0]);
        }
        Pixels(w.t.form->WindowHandle())
            .Save((std::string("header-filter-") + skin.name + ".png").c_str());
    }
}

TEST(SkinHeaderFilterBar, AClickOnACellEditsTheFilterInTheEditAsOnTheTwin) {
    for (const Skin& skin : kSkins) {
        SCOPED_TRACE(skin.name);
        FilterTwins w(skin, true);
        ASSERT_NE(w.object, nullptr);
        TSkinHeader* skinned = w.object->Header();
        ASSERT_NE(skinned, nullptr);
        std::wstring values[2];
        for (int i = 0; i < 2; ++i) {
            SCOPED_TRACE(i == 0 ? "skinned" : "native");
            FilterBar* bar = w.Bar(i);
            HWND h = w.header[i];
            // A real click on the second column's cell: the header's edit comes, with the focus.
            const RECT box = bar->Box(1);
            realinput::Click(realinput::OnScreen(h, {box.left + 10, (box.top + box.bottom) / 2}));
            HWND edit = bar->Edit();
            ASSERT_NE(edit, nullptr);
            EXPECT_TRUE(IsWindowVisible(edit));
            EXPECT_EQ(GetFocus(), edit);
            if (i == 0) {
                EXPECT_EQ(skinned->PressedItem(), -1);
                // The header painted again leaves the edit its own pixels.
                RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
                RECT e;
                GetClientRect(edit, &e);
                const TColor window = static_cast<TColor>(GetSysColor(COLOR_WINDOW));
                EXPECT_EQ(PixelAt(edit, e.right - 2, e.bottom / 2), window);
                EXPECT_EQ(PixelAt(edit, e.right / 2, 1), window);
            }
            realinput::Tap('X');
            realinput::Tap('Y');
            realinput::Tap(VK_RETURN);
            PumpFor(30);
            EXPECT_EQ(bar->Edit(), nullptr);
            values[i] = bar->Value(1);
            // The filter button of the first column.
            const RECT button = bar->Button(0);
            realinput::Click(realinput::OnScreen(
                h, {(button.left + button.right) / 2, (button.top + button.bottom) / 2}));
            if (i == 0) {
                EXPECT_EQ(skinned->PressedItem(), -1);
            }
            // Asked for by message: the edit comes; Escape leaves the value as it was.
            EXPECT_TRUE(SendMessageW(h, HDM_EDITFILTER, 2, 0));
            ASSERT_NE(bar->Edit(), nullptr);
            EXPECT_EQ(GetFocus(), bar->Edit());
            realinput::Tap('Z');
            realinput::Tap(VK_ESCAPE);
            PumpFor(30);
            EXPECT_EQ(bar->Edit(), nullptr);
            EXPECT_EQ(bar->Value(2), L"");
            realinput::MoveTo({2, 2});
        }
        EXPECT_EQ(values[0], L"xy");
        EXPECT_EQ(values[0], values[1]);
        const std::string begin = std::to_string(int(HDN_BEGINFILTEREDIT)) + " 1",
                          end = std::to_string(int(HDN_ENDFILTEREDIT)) + " 1",
                          change = std::to_string(int(HDN_FILTERCHANGE));
        const std::string begin2 = std::to_string(int(HDN_BEGINFILTEREDIT)) + " 2",
                          end2 = std::to_string(int(HDN_ENDFILTEREDIT)) + " 2";
        const std::vector<std::string> expected = {begin,         end,    change + " 1", "button 0",
                                                   change + " 0", begin2, end2};
        EXPECT_EQ(w.notes[1], expected);
        EXPECT_EQ(w.notes[0], w.notes[1]);
        // The new value is drawn in its box once the edit has gone.
        Refresh(w.t.form->WindowHandle());
        RECT box = w.Bar(0)->Box(1);
        InflateRect(&box, -1, -1);
        EXPECT_GT(Count(w.header[0], box, Rgb(w.t.data->ButtonTextColor)), 3);
    }
}

TEST(SkinHeaderFilterBar, WithoutARowFromTheHeaderItIsDrawnAsBefore) {
    for (const Skin& skin : kSkins) {
        SCOPED_TRACE(skin.name);
        // This system's header with the style: it reports no row, so nothing changes.
        FilterTwins styled(skin, true, false);
        FilterTwins plain(skin, false, true, 460);
        ASSERT_NE(styled.object, nullptr);
        ASSERT_NE(plain.object, nullptr);
        EXPECT_EQ(styled.LayoutHeight(0), plain.LayoutHeight(0));
        Refresh(styled.t.form->WindowHandle());
        Refresh(plain.t.form->WindowHandle());
        const std::vector<TColor> a = styled.Pixels(0), b = plain.Pixels(0);
        EXPECT_FALSE(a.empty());
        EXPECT_EQ(a, b);
        // No box of face and shadow in it.
        if (skin.store == &Scrolls) {
            RECT c;
            GetClientRect(plain.header[0], &c);
            EXPECT_EQ(Count(plain.header[0], c, kScrollShadow), 0);
            EXPECT_EQ(PixelAt(plain.header[0], 4, c.bottom - 2), kHeaderFrames[0]);
        }
    }
}
