#include "toolkit/web_browser_host.h"

#include "http_server.h"
#include "toolkit/win_text.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace {

// A plain top-level window to hold the host, destroyed with the test.
class TestWindow {
public:
    TestWindow() {
        static const bool registered = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = DefWindowProcW;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"CorvaneBrowserTestWindow";
            wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
            return RegisterClassW(&wc) != 0;
        }();
        EXPECT_TRUE(registered);
        window_ = CreateWindowExW(0, L"CorvaneBrowserTestWindow", L"browser host test",
                                  WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 20, 20, 640, 480, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
        EXPECT_NE(window_, nullptr);
    }
    ~TestWindow() {
        if (window_) DestroyWindow(window_);
    }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    HWND get() const { return window_; }
    void Destroy() {
        DestroyWindow(window_);
        window_ = nullptr;
    }

private:
    HWND window_ = nullptr;
};

void Pump(DWORD ms) {
    DWORD end = GetTickCount() + ms;
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(5);
    } while (static_cast<LONG>(end - GetTickCount()) > 0);
}

RECT BoundsInParent(HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Pixels of the host's own painting that differ from the window colour.
int InkPixels(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = client.right;
    bi.bmiHeader.biHeight = -client.bottom;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    GdiFlush();
    COLORREF background = GetSysColor(COLOR_WINDOW);
    DWORD paper =
        (GetRValue(background) << 16) | (GetGValue(background) << 8) | GetBValue(background);
    int ink = 0;
    const DWORD* p = static_cast<const DWORD*>(bits);
    for (LONG i = 0; i < client.right * client.bottom; ++i) ink += (p[i] & 0xFFFFFF) != paper;
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return ink;
}

void CollectWindows(HWND parent, std::vector<HWND>* out) {
    EnumChildWindows(
        parent,
        [](HWND w, LPARAM p) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(out));
}

// Windows of this thread, top-level and children: where GetGuiResources is a stub (Wine) this
// is how a window left behind shows.
int ThreadWindowCount() {
    std::vector<HWND> top;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM p) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&top));
    std::vector<HWND> all = top;
    for (HWND w : top) CollectWindows(w, &all);
    return static_cast<int>(all.size());
}

struct GuiCounts {
    DWORD gdi, user;
    int windows;
};

GuiCounts Counts() {
    return {GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS),
            GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS), ThreadWindowCount()};
}

TEST(BrowserHost, WithoutAnEngineTheWindowSaysSoWithTheAddress) {
    TestWindow parent;
    WebBrowserHost host(parent.get(), 10, 10, 300, 200);
    if (host.EngineLive()) GTEST_SKIP() << "an HTML engine is installed here";
    ASSERT_NE(host.Handle(), nullptr);
    EXPECT_EQ(GetParent(host.Handle()), parent.get());
    EXPECT_EQ(host.NavigationCount(), 0);
    EXPECT_EQ(host.NoticeText().find(L"无法显示网页"), 0u);
    int blank = InkPixels(host.Handle());
    EXPECT_GT(blank, 0); // the notice is there before any address

    const std::wstring first = L"http://127.0.0.1:9/guestbook/index.asp?from=corvane";
    const std::wstring second = L"http://127.0.0.1:9/product/";
    host.Navigate(first);
    host.Navigate(second);
    Pump(50);
    EXPECT_EQ(host.NavigationCount(), 2);
    EXPECT_EQ(host.LastUrl(), second);
    EXPECT_EQ(host.NoticeText().find(L"无法显示网页：" + second), 0u);
    EXPECT_EQ(host.NoticeText().find(first), std::wstring::npos);
    // The address is drawn too, not only kept.
    EXPECT_GT(InkPixels(host.Handle()), blank);
}

TEST(BrowserHost, BoundsAndVisibility) {
    TestWindow parent;
    WebBrowserHost host(parent.get(), 0, 0, 270, 329);
    // The product panel places the browser overhanging its panel at the top left.
    host.SetBounds(-3, -3, 300, 350);
    RECT r = BoundsInParent(host.Handle());
    EXPECT_EQ(r.left, -3);
    EXPECT_EQ(r.top, -3);
    EXPECT_EQ(r.right - r.left, 300);
    EXPECT_EQ(r.bottom - r.top, 350);
    EXPECT_TRUE(GetWindowLongW(host.Handle(), GWL_STYLE) & WS_VISIBLE);
    host.Hide();
    EXPECT_FALSE(GetWindowLongW(host.Handle(), GWL_STYLE) & WS_VISIBLE);
    host.Show();
    EXPECT_TRUE(GetWindowLongW(host.Handle(), GWL_STYLE) & WS_VISIBLE);
}

// The control itself can be embedded even where no HTML engine is registered; then everything
// but page display runs for real: in-place activation, resizing, navigation and teardown.
TEST(BrowserHost, EmbeddedControlFollowsTheHostAndLetsGoOfItsSite) {
    HttpServer server;
    server.AddFile("/guestbook.htm", "<html><body>guest book</body></html>", "text/html");
    const int sitesBefore = WebBrowserHost::LiveSiteCount();
    TestWindow parent;
    ShowWindow(parent.get(), SW_SHOWNOACTIVATE);
    {
        WebBrowserHost::Options options;
        options.requireHtmlEngine = false;
        WebBrowserHost host(parent.get(), 5, 5, 320, 240, options);
        ASSERT_TRUE(host.EngineLive()) << "the WebBrowser control could not be embedded";
        EXPECT_EQ(WebBrowserHost::LiveSiteCount(), sitesBefore + 1);
        std::vector<HWND> inside;
        CollectWindows(host.Handle(), &inside);
        ASSERT_FALSE(inside.empty()) << "the control made no window inside the host";
        HWND control = inside.front();

        host.Navigate(Widen(server.Url("/guestbook.htm")));
        Pump(200);
        host.Navigate(L"about:blank");
        Pump(200);
        EXPECT_EQ(host.NavigationCount(), 2);
        EXPECT_EQ(host.LastUrl(), L"about:blank");

        host.SetBounds(0, 0, 400, 300);
        Pump(50);
        RECT r;
        GetClientRect(control, &r);
        EXPECT_EQ(r.right, 400);
        EXPECT_EQ(r.bottom, 300);
    }
    Pump(100);
    EXPECT_EQ(WebBrowserHost::LiveSiteCount(), sitesBefore);
}

TEST(BrowserHost, ParentDestroyedFirst) {
    const int sitesBefore = WebBrowserHost::LiveSiteCount();
    for (bool embed : {false, true}) {
        TestWindow parent;
        WebBrowserHost::Options options;
        options.requireHtmlEngine = !embed;
        WebBrowserHost host(parent.get(), 0, 0, 200, 100, options);
        parent.Destroy();
        EXPECT_EQ(host.Handle(), nullptr);
        EXPECT_FALSE(host.EngineLive());
        host.Navigate(L"http://127.0.0.1:9/"); // harmless once the window is gone
        host.SetBounds(1, 1, 10, 10);
        EXPECT_EQ(host.NavigationCount(), 1);
    }
    Pump(50);
    EXPECT_EQ(WebBrowserHost::LiveSiteCount(), sitesBefore);
}

TEST(BrowserHost, RepeatedHostsLeaveNoWindowsOrHandles) {
    TestWindow parent;
    auto cycle = [&](bool embed) {
        WebBrowserHost::Options options;
        options.requireHtmlEngine = !embed;
        WebBrowserHost host(parent.get(), 0, 0, 200, 150, options);
        host.Navigate(L"about:blank");
        Pump(20);
        InkPixels(host.Handle());
    };
    // The first embedding loads libraries that keep windows of their own for the process.
    cycle(true);
    cycle(false);
    Pump(50);
    GuiCounts before = Counts();
    const int sitesBefore = WebBrowserHost::LiveSiteCount();
    for (int i = 0; i < 10; ++i) cycle(i % 2 == 0);
    Pump(50);
    GuiCounts after = Counts();
    EXPECT_EQ(after.windows, before.windows);
    EXPECT_EQ(WebBrowserHost::LiveSiteCount(), sitesBefore);
    // Zero from both counters means the system does not keep them (Wine's stub).
    if (before.gdi || before.user) {
        EXPECT_EQ(after.gdi, before.gdi);
        EXPECT_EQ(after.user, before.user);
    }
}

} // namespace
