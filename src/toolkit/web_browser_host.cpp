#include "toolkit/web_browser_host.h"

#include "toolkit/exceptions.h"

#include <exdisp.h>
#include <mshtmdid.h>
#include <ole2.h>
#include <olectl.h>
#include <wrl/client.h>

#include <atomic>

using Microsoft::WRL::ComPtr;

namespace {

const wchar_t kClassName[] = L"TCorvaneBrowserHost";

// {25336920-03F9-11CF-8FD0-00AA00686F13}, the HTML document object that the control loads pages
// into; the import libraries do not carry it.
const CLSID kHtmlDocument = {
    0x25336920, 0x03F9, 0x11CF, {0x8F, 0xD0, 0x00, 0xAA, 0x00, 0x68, 0x6F, 0x13}};

std::atomic<int> liveSites{0};

bool HtmlEngineRegistered() {
    // Asked once per process: the answer does not change while the program runs.
    static const bool present = [] {
        ComPtr<IUnknown> document;
        return SUCCEEDED(CoCreateInstance(kHtmlDocument, nullptr, CLSCTX_INPROC_SERVER,
                                          IID_PPV_ARGS(&document)));
    }();
    return present;
}

void RegisterHostClass(WNDPROC procedure) {
    static const bool registered = [procedure] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.style = CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = procedure;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        wc.lpszClassName = kClassName;
        return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    if (!registered) throw Exception("Cannot register the web browser host window class");
}

} // namespace

// The container side of the embedding: one object serves as client site, in-place site and
// frame, and answers ambient-property queries. The control holds references to it, so it is
// reference-counted for real and outlives the host when the control lets go late.
class WebBrowserHost::Site final : public IOleClientSite,
                                   public IOleInPlaceSite,
                                   public IOleInPlaceFrame,
                                   public IDispatch {
public:
    explicit Site(HWND window) : window_(window) { ++liveSites; }
    Site(const Site&) = delete;
    Site& operator=(const Site&) = delete;

    void Detach() { window_ = nullptr; }
    void SetInPlaceObject(IOleInPlaceObject* object) { inPlace_ = object; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IOleClientSite)
            *ppv = static_cast<IOleClientSite*>(this);
        else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceSite)
            *ppv = static_cast<IOleInPlaceSite*>(this);
        else if (riid == IID_IOleInPlaceUIWindow || riid == IID_IOleInPlaceFrame)
            *ppv = static_cast<IOleInPlaceFrame*>(this);
        else if (riid == IID_IDispatch)
            *ppv = static_cast<IDispatch*>(this);
        else {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        long n = --refs_;
        if (n == 0) {
            --liveSites;
            delete this;
        }
        return static_cast<ULONG>(n);
    }

    // IOleClientSite
    HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
        if (moniker) *moniker = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) override {
        if (container) *container = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow (shared by the in-place site and the frame)
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
        if (!window) return E_POINTER;
        *window = window_;
        return window_ ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return window_ ? S_OK : S_FALSE; }
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame,
                                               IOleInPlaceUIWindow** document, RECT* position,
                                               RECT* clip, OLEINPLACEFRAMEINFO* info) override {
        if (!frame || !document || !position || !clip || !info) return E_POINTER;
        *frame = static_cast<IOleInPlaceFrame*>(this);
        AddRef();
        *document = nullptr;
        RECT client{};
        if (window_) GetClientRect(window_, &client);
        *position = client;
        *clip = client;
        info->cb = sizeof *info;
        info->fMDIApp = FALSE;
        info->hwndFrame = window_ ? GetAncestor(window_, GA_ROOT) : nullptr;
        info->haccel = nullptr;
        info->cAccelEntries = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT position) override {
        // The host decides the control's size: whatever the control asks for, it gets the
        // host's client area.
        if (inPlace_ && window_) {
            RECT client;
            GetClientRect(window_, &client);
            inPlace_->SetObjectRects(&client, &client);
        }
        return S_OK;
    }

    // IOleInPlaceUIWindow
    HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override {
        return INPLACE_E_NOTOOLSPACE;
    }
    HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override {
        return S_OK;
    }

    // IOleInPlaceFrame: no menus, status line or accelerators of the control are merged in.
    HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

    // IDispatch: ambient properties.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count) *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*,
                                     VARIANT* result, EXCEPINFO*, UINT*) override {
        if (!(flags & DISPATCH_PROPERTYGET) || !result) return DISP_E_MEMBERNOTFOUND;
        switch (id) {
        case DISPID_AMBIENT_USERMODE:
            V_VT(result) = VT_BOOL;
            V_BOOL(result) = VARIANT_TRUE;
            return S_OK;
        case DISPID_AMBIENT_DLCONTROL:
            // No script error boxes or other dialogs from a page: nobody may be there to
            // close them.
            V_VT(result) = VT_I4;
            V_I4(result) = DLCTL_SILENT | DLCTL_DLIMAGES | DLCTL_VIDEOS | DLCTL_BGSOUNDS;
            return S_OK;
        default:
            return DISP_E_MEMBERNOTFOUND;
        }
    }

private:
    ~Site() = default;

    std::atomic<long> refs_{1};
    HWND window_;
    IOleInPlaceObject* inPlace_ = nullptr; // owned by Control
};

struct WebBrowserHost::Control {
    Site* site = nullptr; // one reference, ours
    ComPtr<IOleObject> object;
    ComPtr<IOleInPlaceObject> inPlace;
    ComPtr<IWebBrowser2> browser;

    ~Control() {
        if (inPlace) inPlace->InPlaceDeactivate();
        if (object) {
            object->Close(OLECLOSE_NOSAVE);
            object->SetClientSite(nullptr);
        }
        if (site) site->SetInPlaceObject(nullptr);
        browser.Reset();
        inPlace.Reset();
        object.Reset();
        if (site) {
            site->Detach();
            site->Release();
        }
    }
};

WebBrowserHost::WebBrowserHost(HWND parent, int x, int y, int width, int height)
    : WebBrowserHost(parent, x, y, width, height, Options{}) {}

WebBrowserHost::WebBrowserHost(HWND parent, int x, int y, int width, int height, Options options) {
    RegisterHostClass(&WindowProc);
    window_ = CreateWindowExW(0, kClassName, L"",
                              WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, x, y,
                              width, height, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!window_) throw Exception("Cannot create the web browser host window");
    // Messages before this point (creation) need no object: they go to DefWindowProc.
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    Embed(options);
}

WebBrowserHost::~WebBrowserHost() {
    Teardown();
    if (window_) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
        window_ = nullptr;
    }
}

void WebBrowserHost::Embed(const Options& options) {
    if (options.requireHtmlEngine && !HtmlEngineRegistered()) return;
    auto control = std::make_unique<Control>();
    control->site = new Site(window_);
    if (FAILED(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&control->object))))
        return; // the control tears the half-made embedding down
    if (FAILED(control->object->SetClientSite(control->site))) return;
    RECT client;
    GetClientRect(window_, &client);
    if (FAILED(control->object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, control->site, 0, window_,
                                       &client)) ||
        FAILED(control->object.As(&control->browser)))
        return;
    if (SUCCEEDED(control->object.As(&control->inPlace)))
        control->site->SetInPlaceObject(control->inPlace.Get());
    control->browser->put_Silent(VARIANT_TRUE);
    control_ = std::move(control);
}

void WebBrowserHost::Teardown() {
    control_.reset();
}

bool WebBrowserHost::EngineLive() const {
    return control_ != nullptr;
}

void WebBrowserHost::Navigate(const std::wstring& url) {
    ++navigations_;
    lastUrl_ = url;
    if (control_) {
        BSTR address = SysAllocStringLen(url.data(), static_cast<UINT>(url.size()));
        VARIANT empty;
        VariantInit(&empty);
        control_->browser->Navigate(address, &empty, &empty, &empty, &empty);
        SysFreeString(address);
    } else if (window_) {
        InvalidateRect(window_, nullptr, TRUE);
    }
}

void WebBrowserHost::SetBounds(int x, int y, int width, int height) {
    if (window_) MoveWindow(window_, x, y, width, height, TRUE);
}

void WebBrowserHost::Show() {
    if (window_) ShowWindow(window_, SW_SHOW);
}

void WebBrowserHost::Hide() {
    if (window_) ShowWindow(window_, SW_HIDE);
}

std::wstring WebBrowserHost::NoticeText() const {
    std::wstring text = L"无法显示网页";
    if (!lastUrl_.empty()) text += L"：" + lastUrl_;
    return text + L"\r\n本机没有可用的网页显示组件。";
}

int WebBrowserHost::LiveSiteCount() {
    return liveSites.load();
}

void WebBrowserHost::Resized() {
    if (!control_ || !control_->inPlace) return;
    RECT client;
    GetClientRect(window_, &client);
    control_->inPlace->SetObjectRects(&client, &client);
}

void WebBrowserHost::PaintNotice(HDC dc) {
    RECT client;
    GetClientRect(window_, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
    if (control_) return; // the control covers the window
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    RECT text = client;
    InflateRect(&text, -8, -8);
    std::wstring notice = NoticeText();
    DrawTextW(dc, notice.c_str(), static_cast<int>(notice.size()), &text,
              DT_LEFT | DT_TOP | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
    SelectObject(dc, oldFont);
}

LRESULT CALLBACK WebBrowserHost::WindowProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    auto* host = reinterpret_cast<WebBrowserHost*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!host) return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
    case WM_ERASEBKGND:
        return 1; // painted whole in WM_PAINT
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        host->PaintNotice(dc);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_PRINTCLIENT:
        host->PaintNotice(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_SIZE:
        host->Resized();
        return 0;
    case WM_DESTROY:
        // The parent went first: let go of the control while its window still exists.
        host->Teardown();
        break;
    case WM_NCDESTROY:
        host->window_ = nullptr;
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
