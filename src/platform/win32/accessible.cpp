#include "platform/win32/accessible.h"

#include <oleacc.h>

#include "platform/win32/startup/dll_search.h"
#include "platform/win32/system_library.h"

namespace veldor::win32 {
namespace {

// Text of the link's default action, in the window's language.
constexpr wchar_t link_action[] = L"打开";

using SysAllocStringFunction = BSTR(WINAPI*)(const OLECHAR*);

// Loaded on first use, and kept.
struct Oleacc {
    LPFNCREATESTDACCESSIBLEOBJECT create_standard;
    LPFNLRESULTFROMOBJECT lresult_from_object;
    SysAllocStringFunction alloc_string;

    explicit operator bool() const {
        return create_standard && lresult_from_object && alloc_string;
    }
};

const Oleacc& oleacc() {
    static constinit bool loaded = false;
    static constinit Oleacc functions{};
    if (!loaded) {
        preload_dlls(before_reader);
        const HMODULE library = load_system_library(L"oleacc.dll");
        functions = {
            function_in<LPFNCREATESTDACCESSIBLEOBJECT>(library, "CreateStdAccessibleObject"),
            function_in<LPFNLRESULTFROMOBJECT>(library, "LresultFromObject"),
            function_in<SysAllocStringFunction>(load_system_library(L"oleaut32.dll"),
                                                "SysAllocString")};
        loaded = true;
    }
    return functions;
}

bool is_self(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

// The standard object with the annotation's answers in its place; every
// other question, and every interface but IAccessible, goes to the standard one.
class AmendedAccessible final : public IAccessible {
public:
    AmendedAccessible(IAccessible* standard, HWND control, const Annotation& annotation)
        : standard_(standard), control_(control), annotation_(annotation) {}
    AmendedAccessible(const AmendedAccessible&) = delete;
    AmendedAccessible& operator=(const AmendedAccessible&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
        if (!out) return E_POINTER;
        if (id == __uuidof(IUnknown) || id == __uuidof(IDispatch) || id == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        return standard_->QueryInterface(id, out);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (!is_self(child) || annotation_.name.empty()) return standard_->get_accName(child, name);
        return text(annotation_.name.c_str(), name);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (!is_self(child) || !annotation_.link || !role)
            return standard_->get_accRole(child, role);
        role->vt = VT_I4;
        role->lVal = ROLE_SYSTEM_LINK;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        const HRESULT result = standard_->get_accState(child, state);
        if (SUCCEEDED(result) && is_self(child) && annotation_.link && state->vt == VT_I4)
            state->lVal |= STATE_SYSTEM_LINKED;
        return result;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        if (!is_self(child) || !annotation_.link)
            return standard_->get_accDefaultAction(child, action);
        return text(link_action, action);
    }
    // The same click as the mouse's, taken from the queue like one, so the
    // command does not run inside the screen reader's call.
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        if (!is_self(child) || !annotation_.link) return standard_->accDoDefaultAction(child);
        const WPARAM command = MAKEWPARAM(GetDlgCtrlID(control_), STN_CLICKED);
        return PostMessageW(GetParent(control_), WM_COMMAND, command,
                            reinterpret_cast<LPARAM>(control_))
                   ? S_OK
                   : E_FAIL;
    }

    // Everything else as the standard object says.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        return standard_->GetTypeInfoCount(count);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
        return standard_->GetTypeInfo(index, locale, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID id, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override {
        return standard_->GetIDsOfNames(id, names, count, locale, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID id, LCID locale, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                     UINT* bad_argument) override {
        return standard_->Invoke(member, id, locale, flags, params, result, exception,
                                 bad_argument);
    }
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        return standard_->get_accParent(parent);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
        return standard_->get_accChildCount(count);
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** found) override {
        return standard_->get_accChild(child, found);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return standard_->get_accValue(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
        return standard_->get_accDescription(child, description);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        return standard_->get_accHelp(child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
        return standard_->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
        return standard_->get_accKeyboardShortcut(child, shortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override {
        return standard_->get_accFocus(child);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
        return standard_->get_accSelection(children);
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
        return standard_->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                          VARIANT child) override {
        return standard_->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
        return standard_->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override {
        return standard_->accHitTest(x, y, child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
        return standard_->put_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return standard_->put_accValue(child, value);
    }

private:
    ~AmendedAccessible() { standard_->Release(); }

    static HRESULT text(const wchar_t* value, BSTR* out) {
        if (!out) return E_POINTER;
        *out = oleacc().alloc_string(value);
        return *out ? S_OK : E_OUTOFMEMORY;
    }

    LONG references_ = 1;
    IAccessible* standard_;  // owned: one reference
    HWND control_;
    Annotation annotation_;
};

}  // namespace

LRESULT answer_get_object(HWND control, const Annotation& annotation, WPARAM wparam,
                          LPARAM lparam) {
    if (static_cast<LONG>(lparam) != OBJID_CLIENT || !oleacc()) return 0;
    IAccessible* standard = nullptr;
    if (FAILED(oleacc().create_standard(control, OBJID_CLIENT, __uuidof(IAccessible),
                                        reinterpret_cast<void**>(&standard))))
        return 0;
    auto* amended = new AmendedAccessible(standard, control, annotation);
    const LRESULT reply = oleacc().lresult_from_object(__uuidof(IAccessible), wparam, amended);
    amended->Release();
    return reply < 0 ? 0 : reply;
}

}  // namespace veldor::win32
