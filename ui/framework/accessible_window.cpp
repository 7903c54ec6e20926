#include "ui/framework/accessible_window.h"

#include <string>

#include "setup/win_handles.h"
#include "ui/framework/accessible_elements.h"
#include "ui/framework/system_libraries.h"

namespace {

// The result of a getter that has nothing to give for a valid child.
constexpr HRESULT kNothing = DISP_E_MEMBERNOTFOUND;

HRESULT ToBstr(const std::wstring& text, BSTR* out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (text.empty()) return S_FALSE;
  *out = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return *out ? S_OK : E_OUTOFMEMORY;
}

void SetChildId(VARIANT* out, LONG child_id) {
  out->vt = VT_I4;
  out->lVal = child_id;
}

class AccessibleWindow final : public IAccessible {
 public:
  AccessibleWindow(HWND window, UIObject* host) : window_(window), host_(host) {}
  AccessibleWindow(const AccessibleWindow&) = delete;
  AccessibleWindow& operator=(const AccessibleWindow&) = delete;

  // IUnknown.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != __uuidof(IUnknown) && iid != __uuidof(IDispatch) && iid != __uuidof(IAccessible)) {
      return E_NOINTERFACE;
    }
    *out = static_cast<IAccessible*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override {
    return static_cast<ULONG>(::InterlockedIncrement(&references_));
  }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = ::InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  // IDispatch: no type information; clients call IAccessible directly.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }

  // IAccessible.
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    if (!parent) return E_POINTER;
    *parent = nullptr;
    if (const HRESULT status = Connected(); FAILED(status)) return status;
    return brindle::OleaccApi().CreateStdAccessibleObject(
        window_, OBJID_WINDOW, __uuidof(IDispatch), reinterpret_cast<void**>(parent));
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    if (const HRESULT status = Connected(); FAILED(status)) return status;
    *count = static_cast<long>(ShownElements(host_).size());
    return S_OK;
  }
  // Every child is a simple element: S_FALSE and no object.
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    AccessibleFacts facts;
    const HRESULT status = Describe(child, &facts);
    if (FAILED(status)) return status;
    return child.lVal == CHILDID_SELF ? E_INVALIDARG : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    AccessibleFacts facts;
    const HRESULT status = Describe(child, &facts);
    return FAILED(status) ? ClearBstr(name, status) : ToBstr(facts.name, name);
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    AccessibleFacts facts;
    const HRESULT status = Describe(child, &facts);
    if (FAILED(status)) return ClearBstr(value, status);
    return facts.value.empty() ? ClearBstr(value, kNothing) : ToBstr(facts.value, value);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
    return Nothing(child, text);
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    return Number(child, role, &AccessibleFacts::role);
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    return Number(child, state, &AccessibleFacts::state);
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* text) override {
    return Nothing(child, text);
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
    if (topic) *topic = 0;
    return Nothing(child, file);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* text) override {
    return Nothing(child, text);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
    if (!focus) return E_POINTER;
    ::VariantInit(focus);
    if (const HRESULT status = Connected(); FAILED(status)) return status;
    if (::GetFocus() != window_) return S_FALSE;
    SetChildId(focus, ChildIdOf(host_, host_->focus_child()));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
    if (!selection) return E_POINTER;
    ::VariantInit(selection);
    const HRESULT status = Connected();
    return FAILED(status) ? status : kNothing;
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    AccessibleFacts facts;
    const HRESULT status = Describe(child, &facts);
    if (FAILED(status)) return ClearBstr(action, status);
    return facts.default_action.empty() ? ClearBstr(action, kNothing)
                                        : ToBstr(facts.default_action, action);
  }
  HRESULT STDMETHODCALLTYPE accSelect(long, VARIANT child) override {
    AccessibleFacts facts;
    const HRESULT status = Describe(child, &facts);
    return FAILED(status) ? status : kNothing;
  }
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                        VARIANT child) override {
    if (!left || !top || !width || !height) return E_POINTER;
    *left = *top = *width = *height = 0;
    AccessibleFacts facts;
    const HRESULT status = Describe(child, &facts);
    if (FAILED(status)) return status;
    *left = facts.screen_rect.left;
    *top = facts.screen_rect.top;
    *width = facts.screen_rect.right - facts.screen_rect.left;
    *height = facts.screen_rect.bottom - facts.screen_rect.top;
    return S_OK;
  }
  // First and last child from the window; next and previous between children.
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
    if (!end) return E_POINTER;
    ::VariantInit(end);
    AccessibleFacts facts;
    const HRESULT status = Describe(start, &facts);
    if (FAILED(status)) return status;
    const auto count = static_cast<LONG>(ShownElements(host_).size());
    const LONG from = start.lVal;
    LONG to = 0;
    if (from == CHILDID_SELF && direction == NAVDIR_FIRSTCHILD) to = 1;
    if (from == CHILDID_SELF && direction == NAVDIR_LASTCHILD) to = count;
    if (from != CHILDID_SELF && direction == NAVDIR_NEXT) to = from + 1;
    if (from != CHILDID_SELF && direction == NAVDIR_PREVIOUS) to = from - 1;
    if (to < 1 || to > count) return S_FALSE;
    SetChildId(end, to);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* hit) override {
    if (!hit) return E_POINTER;
    ::VariantInit(hit);
    if (const HRESULT status = Connected(); FAILED(status)) return status;
    const LONG child_id = ChildAtPoint(host_, POINT{x, y});
    if (child_id < 0) return S_FALSE;
    SetChildId(hit, child_id);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    AccessibleFacts facts;
    const HRESULT status = Describe(child, &facts);
    return FAILED(status) ? status : RequestDefaultAction(host_, child.lVal);
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return kNothing; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return kNothing; }

 private:
  ~AccessibleWindow() = default;

  // S_OK while the window lives and is still driven by the host, on the
  // window's thread.
  HRESULT Connected() const {
    if (!::IsWindow(window_) || CHWindow::FromHandle(window_) != host_) {
      return CO_E_OBJNOTCONNECTED;
    }
    if (::GetWindowThreadProcessId(window_, nullptr) != ::GetCurrentThreadId()) {
      return RPC_E_WRONG_THREAD;
    }
    return S_OK;
  }

  // The facts of `child` (a VT_I4 child id); E_INVALIDARG for anything else.
  HRESULT Describe(const VARIANT& child, AccessibleFacts* facts) const {
    if (const HRESULT status = Connected(); FAILED(status)) return status;
    if (child.vt != VT_I4) return E_INVALIDARG;
    return DescribeChild(host_, child.lVal, facts) ? S_OK : E_INVALIDARG;
  }

  static HRESULT ClearBstr(BSTR* out, HRESULT status) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return status;
  }

  // A text the window and its elements do not have.
  HRESULT Nothing(const VARIANT& child, BSTR* out) const {
    AccessibleFacts facts;
    const HRESULT status = Describe(child, &facts);
    return ClearBstr(out, FAILED(status) ? status : kNothing);
  }

  HRESULT Number(const VARIANT& child, VARIANT* out, LONG AccessibleFacts::*field) const {
    if (!out) return E_POINTER;
    ::VariantInit(out);
    AccessibleFacts facts;
    const HRESULT status = Describe(child, &facts);
    if (FAILED(status)) return status;
    SetChildId(out, facts.*field);
    return S_OK;
  }

  LONG references_ = 1;
  const HWND window_;
  UIObject* const host_;
};

}  // namespace

IAccessible* CreateAccessibleWindow(UIObject* host) {
  if (!host || !host->hwnd()) return nullptr;
  return new AccessibleWindow(host->hwnd(), host);
}

bool AnswerAccessibilityMessage(UIObject* host, UINT message, WPARAM wparam, LPARAM lparam,
                                LRESULT* result) {
  if (message == kAccessibleClickMessage) {
    RunDefaultAction(host, lparam);
    *result = 0;
    return true;
  }
  // The object id is a 32-bit value that may arrive zero-extended in a 64-bit
  // lParam.
  if (message != WM_GETOBJECT || static_cast<LONG>(lparam) != OBJID_CLIENT) return false;
  const ComPtr<IAccessible> object(CreateAccessibleWindow(host));
  if (!object) return false;
  const LRESULT answer =
      brindle::OleaccApi().LresultFromObject(__uuidof(IAccessible), wparam, object.get());
  if (answer <= 0) return false;
  *result = answer;
  return true;
}
