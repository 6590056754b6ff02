#include "toolkit/web_browser.h"

const TClassInfo& TWebBrowser::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TWebBrowser>("TWebBrowser", TWinControl::StaticClass()).Creatable().Build();
    return info;
}

TWebBrowser::TWebBrowser(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 300, 150);
}

TWebBrowser::~TWebBrowser() {
    host_.reset();
}

void TWebBrowser::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.Style |= WS_CLIPCHILDREN;
}

void TWebBrowser::CreateWnd() {
    TWinControl::CreateWnd();
    RECT r;
    GetClientRect(handle_, &r);
    host_ = std::make_unique<WebBrowserHost>(handle_, 0, 0, r.right, r.bottom);
    // An address asked for before the window existed is shown now.
    if (!lastUrl_.empty()) host_->Navigate(lastUrl_);
}

void TWebBrowser::Navigate(const std::wstring& url) {
    lastUrl_ = url;
    ++navigations_;
    if (host_) host_->Navigate(url);
}

void TWebBrowser::WndProc(TMessage& m) {
    switch (m.Msg) {
    case WM_SIZE:
        if (host_) host_->SetBounds(0, 0, LOWORD(m.LParam), HIWORD(m.LParam));
        break;
    case WM_DESTROY:
        // The control goes before its window does.
        host_.reset();
        break;
    default:
        break;
    }
    TWinControl::WndProc(m);
}
