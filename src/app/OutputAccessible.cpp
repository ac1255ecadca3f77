#include "app/OutputAccessible.h"

#include "app/OutputView.h"

namespace {

const HRESULT kDisconnected = RPC_E_DISCONNECTED;

}  // namespace

OutputAccessible::OutputAccessible(OutputView* view) : references(1), view(view), standard(nullptr) {
    CreateStdAccessibleObject(view->GetHandle(), OBJID_CLIENT, IID_IAccessible, reinterpret_cast<void**>(&standard));
}

OutputAccessible::~OutputAccessible() {
    if (standard) {
        standard->Release();
    }
}

void OutputAccessible::Disconnect() {
    view = nullptr;
}

HRESULT OutputAccessible::QueryInterface(REFIID id, void** object) {
    if (!object) {
        return E_POINTER;
    }
    if (id == IID_IUnknown || id == IID_IDispatch || id == IID_IAccessible) {
        *object = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG OutputAccessible::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&references));
}

ULONG OutputAccessible::Release() {
    LONG left = InterlockedDecrement(&references);
    if (left == 0) {
        delete this;
    }
    return static_cast<ULONG>(left);
}

HRESULT OutputAccessible::GetTypeInfoCount(UINT* count) {
    return Standard() ? Standard()->GetTypeInfoCount(count) : Missing();
}

HRESULT OutputAccessible::GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) {
    return Standard() ? Standard()->GetTypeInfo(index, locale, info) : Missing();
}

HRESULT OutputAccessible::GetIDsOfNames(REFIID id, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) {
    return Standard() ? Standard()->GetIDsOfNames(id, names, count, locale, ids) : Missing();
}

HRESULT OutputAccessible::Invoke(DISPID member, REFIID id, LCID locale, WORD flags, DISPPARAMS* parameters,
                                 VARIANT* result, EXCEPINFO* exception, UINT* argument) {
    return Standard() ? Standard()->Invoke(member, id, locale, flags, parameters, result, exception, argument)
                      : Missing();
}

HRESULT OutputAccessible::get_accParent(IDispatch** parent) {
    return Standard() ? Standard()->get_accParent(parent) : Missing();
}

HRESULT OutputAccessible::get_accChildCount(long* count) {
    if (!view) {
        return kDisconnected;
    }
    *count = 0;  // the text is one object, its lines no children
    return S_OK;
}

HRESULT OutputAccessible::get_accChild(VARIANT, IDispatch** object) {
    *object = nullptr;
    return view ? E_INVALIDARG : kDisconnected;
}

HRESULT OutputAccessible::get_accName(VARIANT child, BSTR* name) {
    if (!view) {
        return kDisconnected;
    }
    if (!IsSelf(child)) {
        return E_INVALIDARG;
    }
    *name = SysAllocString(L"Output");
    return S_OK;
}

HRESULT OutputAccessible::get_accValue(VARIANT child, BSTR* value) {
    if (!view) {
        return kDisconnected;
    }
    if (!IsSelf(child)) {
        return E_INVALIDARG;
    }
    std::wstring text = view->GetAllText();
    *value = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *value ? S_OK : E_OUTOFMEMORY;
}

HRESULT OutputAccessible::get_accDescription(VARIANT child, BSTR* description) {
    return Standard() ? Standard()->get_accDescription(child, description) : Missing();
}

HRESULT OutputAccessible::get_accRole(VARIANT child, VARIANT* role) {
    if (!view) {
        return kDisconnected;
    }
    if (!IsSelf(child)) {
        return E_INVALIDARG;
    }
    role->vt = VT_I4;
    role->lVal = ROLE_SYSTEM_TEXT;
    return S_OK;
}

HRESULT OutputAccessible::get_accState(VARIANT child, VARIANT* state) {
    if (!view) {
        return kDisconnected;
    }
    if (!IsSelf(child)) {
        return E_INVALIDARG;
    }
    state->vt = VT_I4;
    state->lVal = STATE_SYSTEM_READONLY | STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE |
                  (GetFocus() == view->GetHandle() ? STATE_SYSTEM_FOCUSED : 0);
    return S_OK;
}

HRESULT OutputAccessible::get_accHelp(VARIANT child, BSTR* help) {
    return Standard() ? Standard()->get_accHelp(child, help) : Missing();
}

HRESULT OutputAccessible::get_accHelpTopic(BSTR* file, VARIANT child, long* topic) {
    return Standard() ? Standard()->get_accHelpTopic(file, child, topic) : Missing();
}

HRESULT OutputAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
    return Standard() ? Standard()->get_accKeyboardShortcut(child, shortcut) : Missing();
}

HRESULT OutputAccessible::get_accFocus(VARIANT* child) {
    return Standard() ? Standard()->get_accFocus(child) : Missing();
}

HRESULT OutputAccessible::get_accSelection(VARIANT* children) {
    return Standard() ? Standard()->get_accSelection(children) : Missing();
}

HRESULT OutputAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
    return Standard() ? Standard()->get_accDefaultAction(child, action) : Missing();
}

HRESULT OutputAccessible::accSelect(long flags, VARIANT child) {
    return Standard() ? Standard()->accSelect(flags, child) : Missing();
}

HRESULT OutputAccessible::accLocation(long* x, long* y, long* width, long* height, VARIANT child) {
    if (!view) {
        return kDisconnected;
    }
    if (!IsSelf(child)) {
        return E_INVALIDARG;
    }
    RECT area = {};
    GetWindowRect(view->GetHandle(), &area);
    *x = area.left;
    *y = area.top;
    *width = area.right - area.left;
    *height = area.bottom - area.top;
    return S_OK;
}

HRESULT OutputAccessible::accNavigate(long direction, VARIANT start, VARIANT* end) {
    return Standard() ? Standard()->accNavigate(direction, start, end) : Missing();
}

HRESULT OutputAccessible::accHitTest(long x, long y, VARIANT* child) {
    return Standard() ? Standard()->accHitTest(x, y, child) : Missing();
}

HRESULT OutputAccessible::accDoDefaultAction(VARIANT child) {
    return Standard() ? Standard()->accDoDefaultAction(child) : Missing();
}

HRESULT OutputAccessible::put_accName(VARIANT, BSTR) {
    return view ? E_NOTIMPL : kDisconnected;
}

HRESULT OutputAccessible::put_accValue(VARIANT, BSTR) {
    return view ? E_NOTIMPL : kDisconnected;  // the output is read-only
}
