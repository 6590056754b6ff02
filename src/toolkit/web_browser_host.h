#pragma once
// The system's WebBrowser control, embedded in place in a child window of our own. Where the
// control or an HTML engine to drive it is missing (Wine without Gecko), the window says so in
// plain words with the address it was asked to show, and every call still works.
#include <windows.h>

#include <memory>
#include <string>

class WebBrowserHost {
public:
    struct Options {
        // Embed the control only when an HTML engine is registered. Without one the control
        // can be created but shows nothing at all, which would leave the panel silently blank.
        bool requireHtmlEngine = true;
    };

    // Creates the host window as a visible child of parent at the given place (parent client
    // coordinates) and embeds the control in it. Throws Exception when the window itself cannot
    // be made; a missing control is not an error. Call on a thread with OLE initialised.
    WebBrowserHost(HWND parent, int x, int y, int width, int height);
    WebBrowserHost(HWND parent, int x, int y, int width, int height, Options options);
    ~WebBrowserHost();
    WebBrowserHost(const WebBrowserHost&) = delete;
    WebBrowserHost& operator=(const WebBrowserHost&) = delete;

    HWND Handle() const { return window_; }

    // Starts loading url and returns at once; a page that cannot be loaded shows whatever the
    // control shows for it.
    void Navigate(const std::wstring& url);
    void SetBounds(int x, int y, int width, int height);
    void Show();
    void Hide();

    bool EngineLive() const;
    const std::wstring& LastUrl() const { return lastUrl_; }
    int NavigationCount() const { return navigations_; }
    // What the window shows while the engine is not live.
    std::wstring NoticeText() const;

    // Site objects not yet released by anyone, across all hosts: 0 once every host is gone.
    static int LiveSiteCount();

private:
    class Site;
    struct Control;

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Embed(const Options& options);
    void Teardown();
    void Resized();
    void PaintNotice(HDC dc);

    HWND window_ = nullptr;
    std::unique_ptr<Control> control_;
    std::wstring lastUrl_;
    int navigations_ = 0;
};
