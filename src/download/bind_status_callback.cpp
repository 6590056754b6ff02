#include "download/bind_status_callback.h"

TBindStatusCallback::TBindStatusCallback(ProgressSink sink) : sink_(std::move(sink)) {}

HRESULT TBindStatusCallback::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    // Not even IUnknown: the object offers IBindStatusCallback and nothing else.
    if (IsEqualIID(riid, IID_IBindStatusCallback)) {
        *ppv = static_cast<IBindStatusCallback*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG TBindStatusCallback::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&FRefCount));
}

ULONG TBindStatusCallback::Release() {
    return static_cast<ULONG>(InterlockedDecrement(&FRefCount));
}

HRESULT TBindStatusCallback::OnStartBinding(DWORD, IBinding*) {
    return E_NOTIMPL;
}

HRESULT TBindStatusCallback::GetPriority(LONG*) {
    return E_NOTIMPL;
}

HRESULT TBindStatusCallback::OnLowResource(DWORD) {
    return E_NOTIMPL;
}

HRESULT TBindStatusCallback::OnProgress(ULONG progress, ULONG maximum, ULONG, LPCWSTR) {
    // An exception must not unwind through the transfer service's frames.
    try {
        if (sink_) sink_(progress, maximum, FItemIndex);
    } catch (...) {
    }
    return S_OK;
}

HRESULT TBindStatusCallback::OnStopBinding(HRESULT, LPCWSTR) {
    return E_NOTIMPL;
}

HRESULT TBindStatusCallback::GetBindInfo(DWORD*, BINDINFO*) {
    return E_NOTIMPL;
}

HRESULT TBindStatusCallback::OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) {
    return E_NOTIMPL;
}

HRESULT TBindStatusCallback::OnObjectAvailable(REFIID, IUnknown*) {
    return E_NOTIMPL;
}
