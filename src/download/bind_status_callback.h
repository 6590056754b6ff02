#pragma once
// The progress callback handed to a download. It answers only to IBindStatusCallback, and its
// life is not tied to its reference count: the worker that creates it frees it once the download
// function has returned, whatever the count then is.
#include <windows.h>
#include <urlmon.h>

#include <functional>

class TBindStatusCallback final : public IBindStatusCallback {
public:
    // Receives every progress notification on the downloading thread: bytes so far, bytes in
    // all (0 while unknown) and the row index. Bringing it to the window's thread is the
    // receiver's business.
    using ProgressSink = std::function<void(ULONG progress, ULONG maximum, int itemIndex)>;

    explicit TBindStatusCallback(ProgressSink sink = {});
    TBindStatusCallback(const TBindStatusCallback&) = delete;
    TBindStatusCallback& operator=(const TBindStatusCallback&) = delete;

    void SetItemIndex(int index) { FItemIndex = index; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IBindStatusCallback
    HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD reserved, IBinding* binding) override;
    HRESULT STDMETHODCALLTYPE GetPriority(LONG* priority) override;
    HRESULT STDMETHODCALLTYPE OnLowResource(DWORD reserved) override;
    HRESULT STDMETHODCALLTYPE OnProgress(ULONG progress, ULONG maximum, ULONG statusCode,
                                         LPCWSTR statusText) override;
    HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT result, LPCWSTR error) override;
    HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD* flags, BINDINFO* info) override;
    HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD flags, DWORD size, FORMATETC* format,
                                              STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID riid, IUnknown* object) override;

    INT32 FItemIndex = 0;
    LONG FRefCount = 0;

private:
    ProgressSink sink_;
};
