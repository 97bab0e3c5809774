#include "platform/page_engine.h"

#include <exdisp.h>
#include <mshtml.h>
#include <objbase.h>
#include <windows.h>
#include <wx/msw/webview_ie.h>
#include <wx/webview.h>

namespace nuvaro {
namespace {

// Whether the system can make the objects the IE web view is built of: the browser control and
// the HTML document behind it. A system without the engine (Wine without Gecko, a Windows with
// Internet Explorer removed) fails here instead of later inside a window.
bool EngineObjectsAvailable() {
    for (const CLSID& clsid : {CLSID_WebBrowser, CLSID_HTMLDocument}) {
        IUnknown* object = nullptr;
        HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                      reinterpret_cast<void**>(&object));
        if (FAILED(hr) || !object) return false;
        object->Release();
    }
    return true;
}

// IE asks "stop running this script?" after five million statements of one script, in a modal
// box that holds up every window; with no limit that box never comes. Set for the current user,
// as the engine reads it.
void NoScriptStatementLimit() {
    HKEY styles = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\Styles", 0,
                        nullptr, 0, KEY_SET_VALUE, nullptr, &styles, nullptr) != ERROR_SUCCESS) {
        return;
    }
    const DWORD unlimited = 0xFFFFFFFF;
    RegSetValueExW(styles, L"MaxScriptStatements", 0, REG_DWORD,
                   reinterpret_cast<const BYTE*>(&unlimited), sizeof unlimited);
    RegCloseKey(styles);
}

PageEngine Choose() {
    NoScriptStatementLimit();
    // Internet Explorer 11 in its standards mode: without browser emulation the control renders
    // as IE7 would.
    if (wxWebView::IsBackendAvailable(wxWebViewBackendIE) && EngineObjectsAvailable()) {
        wxWebViewIE::MSWSetEmulationLevel(wxWEBVIEWIE_EMU_IE11);
        return {wxWebViewBackendIE, false};
    }
    return {};
}

}  // namespace

const PageEngine& ThePageEngine() {
    static const PageEngine engine = Choose();
    return engine;
}

// IE's own refresh reports no load at all; a navigation that bypasses the cache does.
void ReloadFromServer(wxWebView& view) {
    auto* browser = static_cast<IWebBrowser2*>(view.GetNativeBackend());
    const wxString url = view.GetCurrentURL();
    if (!browser || url.empty()) {
        view.Reload(wxWEBVIEW_RELOAD_NO_CACHE);
        return;
    }
    VARIANT flags;
    VariantInit(&flags);
    flags.vt = VT_I4;
    flags.lVal = navNoReadFromCache | navNoHistory;
    VARIANT address;
    VariantInit(&address);
    address.vt = VT_BSTR;
    address.bstrVal = SysAllocString(url.wc_str());
    browser->Navigate2(&address, &flags, nullptr, nullptr, nullptr);
    VariantClear(&address);
}

}  // namespace nuvaro
