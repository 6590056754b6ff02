#pragma once
// TWebBrowser: the system's web browser control as a toolkit control. Where no HTML engine is
// present it shows a plain notice with the address it was asked to show.
#include "toolkit/controls.h"
#include "toolkit/web_browser_host.h"

#include <memory>
#include <string>

class TWebBrowser : public TWinControl {
    TOOLKIT_CLASS(TWebBrowser)
public:
    explicit TWebBrowser(TComponent* owner);
    ~TWebBrowser() override;
    void Navigate(const std::wstring& url);
    // The embedded host, null before the window exists.
    WebBrowserHost* Host() const { return host_.get(); }
    const std::wstring& LastUrl() const { return lastUrl_; }
    int NavigationCount() const { return navigations_; }

protected:
    void CreateParams(TCreateParams& p) override;
    void CreateWnd() override;
    void WndProc(TMessage& m) override;

private:
    std::unique_ptr<WebBrowserHost> host_;
    std::wstring lastUrl_;
    int navigations_ = 0;
};
