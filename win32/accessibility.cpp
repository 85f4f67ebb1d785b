#include "accessibility.h"

#include "card_pictures.h"
#include "layout.h"
#include "text.h"

#include <oleacc.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <new>

namespace pellora {

namespace {

// IAccessible's id, written out so that nothing is linked for it.
const IID kIidAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// What the objects need of oleacc, oleaut32 and ole32, bound when first asked for.
struct Api {
    HRESULT(WINAPI* createStdAccessibleObject)(HWND, LONG, REFIID, void**) = nullptr;
    LRESULT(WINAPI* lresultFromObject)(REFIID, WPARAM, LPUNKNOWN) = nullptr;
    BSTR(WINAPI* sysAllocString)(const OLECHAR*) = nullptr;
    HRESULT(WINAPI* coInitializeEx)(void*, DWORD) = nullptr;
    void(WINAPI* coUninitialize)() = nullptr;
};
Api api;

template <typename Function>
bool bind(HMODULE module, const char* name, Function& function) {
    function = module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
    return function != nullptr;
}

// Only ever from the system folder: a DLL of the same name beside
// Pellora.exe (in a downloads folder, say) is never loaded.
HMODULE loadSystemLibrary(const wchar_t* name) { return LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32); }

// The 54 pictures as a reader meets them (readingOrder()): child id k
// (1..54) is the card at k - 1. Sorted when first needed: a constant until
// then, nothing to run at start-up.
class Reading {
public:
    int cardOf(long child) {
        make();
        return child >= 1 && child <= kPictureCount ? card_[static_cast<std::size_t>(child - 1)] : kNoCard;
    }
    long childOf(int card) {
        make();
        for (std::size_t k = 0; k < card_.size(); ++k)
            if (card_[k] == card) return static_cast<long>(k) + 1;
        return CHILDID_SELF;
    }

private:
    void make() {
        if (made_) return;
        card_ = readingOrder();
        made_ = true;
    }

    std::array<int, kPictureCount> card_{};
    bool made_ = false;
};
Reading reading;

BSTR makeBstr(const Text& text) { return api.sysAllocString(text.c_str()); }

bool isSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

// VARIANTs are filled by hand: VariantInit would tie oleaut32 to the start.
void clearVariant(VARIANT* out) { std::memset(out, 0, sizeof(*out)); }  // VT_EMPTY

void setLong(VARIANT* out, long value) {
    clearVariant(out);
    out->vt = VT_I4;
    out->lVal = value;
}

template <typename T, typename... Args>
T* make(Args... args) {
    void* memory = std::malloc(sizeof(T));
    return memory ? new (memory) T(args...) : nullptr;
}

template <typename T>
void unmake(T* object) {
    object->~T();
    std::free(object);
}

}  // namespace

// IUnknown and IDispatch for our objects, and every IAccessible method handed
// on to the system's own object for the same window: the subclasses answer
// only what they add. Made with malloc and placement new, freed by destroy(),
// so nothing of the C++ runtime's allocation is linked in.
class AccessibleBase : public IAccessible {
public:
    explicit AccessibleBase(IAccessible* standard) : standard_(standard) {}

    // The window is going: drop the system's object; every later call fails.
    void disconnect() {
        if (standard_) standard_->Release();
        standard_ = nullptr;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, kIidAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) {
            disconnect();
            destroy();
        }
        return static_cast<ULONG>(left);
    }

    // No type information: clients call the IAccessible methods themselves.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

#define PELLORA_HAND_ON(call) return standard_ ? standard_->call : RPC_E_DISCONNECTED
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** out) override { PELLORA_HAND_ON(get_accParent(out)); }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* out) override { PELLORA_HAND_ON(get_accChildCount(out)); }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override { PELLORA_HAND_ON(get_accChild(child, out)); }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override { PELLORA_HAND_ON(get_accName(child, out)); }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override { PELLORA_HAND_ON(get_accValue(child, out)); }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override {
        PELLORA_HAND_ON(get_accDescription(child, out));
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override { PELLORA_HAND_ON(get_accRole(child, out)); }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override { PELLORA_HAND_ON(get_accState(child, out)); }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* out) override { PELLORA_HAND_ON(get_accHelp(child, out)); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        PELLORA_HAND_ON(get_accHelpTopic(file, child, topic));
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* out) override {
        PELLORA_HAND_ON(get_accKeyboardShortcut(child, out));
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override { PELLORA_HAND_ON(get_accFocus(out)); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override { PELLORA_HAND_ON(get_accSelection(out)); }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) override {
        PELLORA_HAND_ON(get_accDefaultAction(child, out));
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override { PELLORA_HAND_ON(accSelect(flags, child)); }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
        PELLORA_HAND_ON(accLocation(left, top, width, height, child));
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* out) override {
        PELLORA_HAND_ON(accNavigate(direction, start, out));
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* out) override { PELLORA_HAND_ON(accHitTest(x, y, out)); }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override { PELLORA_HAND_ON(accDoDefaultAction(child)); }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override { PELLORA_HAND_ON(put_accName(child, name)); }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override { PELLORA_HAND_ON(put_accValue(child, value)); }
#undef PELLORA_HAND_ON

protected:
    ~AccessibleBase() = default;
    virtual void destroy() = 0;

    IAccessible* standard_;

private:
    LONG references_ = 1;
};

// The pictures' window: its 54 pictures are its children, simple elements
// with child ids 1..54 in reading order.
class CardsAccessible final : public AccessibleBase {
public:
    CardsAccessible(IAccessible* standard, const CardPictures* pictures, const Board* board)
        : AccessibleBase(standard), pictures_(pictures), board_(board) {}

    void disconnectBoard() {
        pictures_ = nullptr;
        board_ = nullptr;
        disconnect();
    }

    HRESULT STDMETHODCALLTYPE get_accChildCount(long* out) override {
        if (!out) return E_POINTER;
        if (!board_) return RPC_E_DISCONNECTED;
        *out = kPictureCount;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        return card(child) != kNoCard ? S_FALSE : E_INVALIDARG;  // simple elements, no objects of their own
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override {
        if (isSelf(child)) return AccessibleBase::get_accName(child, out);
        const int shown = card(child);
        if (!out) return E_POINTER;
        *out = nullptr;
        if (shown == kNoCard) return E_INVALIDARG;
        *out = makeBstr(Text().utf8(cardName(shown)));
        return *out ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override {
        if (isSelf(child)) return AccessibleBase::get_accRole(child, out);
        if (!out) return E_POINTER;
        if (card(child) == kNoCard) return E_INVALIDARG;
        setLong(out, ROLE_SYSTEM_GRAPHIC);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override {
        if (isSelf(child)) return AccessibleBase::get_accState(child, out);
        if (!out) return E_POINTER;
        const int which = card(child);
        if (which == kNoCard) return E_INVALIDARG;
        setLong(out, STATE_SYSTEM_READONLY | (board_->isShown(which) ? 0 : STATE_SYSTEM_INVISIBLE));
        return S_OK;
    }
    // A picture has no value, description, help, shortcut or action.
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override {
        return isSelf(child) ? AccessibleBase::get_accValue(child, out) : nothingFor(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override {
        return isSelf(child) ? AccessibleBase::get_accDescription(child, out) : nothingFor(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* out) override {
        return isSelf(child) ? AccessibleBase::get_accHelp(child, out) : nothingFor(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* out) override {
        return isSelf(child) ? AccessibleBase::get_accKeyboardShortcut(child, out) : nothingFor(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) override {
        return isSelf(child) ? AccessibleBase::get_accDefaultAction(child, out) : nothingFor(child, out);
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
        if (isSelf(child)) return AccessibleBase::accLocation(left, top, width, height, child);
        if (!left || !top || !width || !height) return E_POINTER;
        const int which = card(child);
        if (which == kNoCard) return E_INVALIDARG;
        RECT r = pictures_->cell(which);
        MapWindowPoints(pictures_->hwnd(), HWND_DESKTOP, reinterpret_cast<POINT*>(&r), 2);
        *left = r.left;
        *top = r.top;
        *width = r.right - r.left;
        *height = r.bottom - r.top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* out) override {
        if (!out) return E_POINTER;
        if (!board_) return RPC_E_DISCONNECTED;
        POINT p{x, y};
        ScreenToClient(pictures_->hwnd(), &p);
        for (long child = 1; child <= kPictureCount; ++child) {
            const int which = reading.cardOf(child);
            if (PtInRect(&pictures_->cell(which), p) && board_->isShown(which)) {
                setLong(out, child);
                return S_OK;
            }
        }
        return AccessibleBase::accHitTest(x, y, out);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* out) override {
        if (!out) return E_POINTER;
        if (!board_) return RPC_E_DISCONNECTED;
        clearVariant(out);
        long to = 0;
        if (isSelf(start)) {
            if (direction == NAVDIR_FIRSTCHILD) to = 1;
            else if (direction == NAVDIR_LASTCHILD) to = kPictureCount;
            else return AccessibleBase::accNavigate(direction, start, out);
        } else {
            if (card(start) == kNoCard) return E_INVALIDARG;
            if (direction == NAVDIR_NEXT) to = start.lVal + 1;
            else if (direction == NAVDIR_PREVIOUS) to = start.lVal - 1;
        }
        if (to < 1 || to > kPictureCount) return S_FALSE;
        setLong(out, to);
        return S_OK;
    }

protected:
    void destroy() override { unmake(this); }

private:
    // The card a child id stands for; kNoCard for none, or once disconnected.
    int card(const VARIANT& child) const {
        if (!board_ || child.vt != VT_I4) return kNoCard;
        return reading.cardOf(child.lVal);
    }
    HRESULT nothingFor(const VARIANT& child, BSTR* out) const {
        if (!out) return E_POINTER;
        *out = nullptr;
        return card(child) != kNoCard ? S_FALSE : E_INVALIDARG;
    }

    const CardPictures* pictures_;
    const Board* board_;
};

// A rank or joker button as the system presents it, described by the cards
// of its row that remain, with its tip as help: how to play and put back.
class ButtonAccessible final : public AccessibleBase {
public:
    ButtonAccessible(IAccessible* standard, const Board* board, int row)
        : AccessibleBase(standard), board_(board), row_(row) {}

    void disconnectBoard() {
        board_ = nullptr;
        disconnect();
    }

    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override {
        return isSelf(child) ? describe(out) : AccessibleBase::get_accDescription(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* out) override {
        return isSelf(child) ? help(out) : AccessibleBase::get_accHelp(child, out);
    }

protected:
    void destroy() override { unmake(this); }

private:
    HRESULT describe(BSTR* out) const {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!board_) return RPC_E_DISCONNECTED;
        *out = makeBstr(Text().utf8(remainingText(board_->remaining(row_))));
        return *out ? S_OK : E_OUTOFMEMORY;
    }

    HRESULT help(BSTR* out) const {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!board_) return RPC_E_DISCONNECTED;
        *out = makeBstr(Text().utf8(buttonHelp()));
        return *out ? S_OK : E_OUTOFMEMORY;
    }

    const Board* board_;
    int row_;
};

// ---- Accessibility ----------------------------------------------------------

Accessibility::~Accessibility() {
    // Clients may hold on to the objects after the window is gone: they stay
    // alive, answering that they are disconnected, and touch nothing of ours.
    if (cards_) {
        cards_->disconnectBoard();
        cards_->Release();
    }
    for (ButtonAccessible*& button : buttons_) {
        if (!button) continue;
        button->disconnectBoard();
        button->Release();
        button = nullptr;
    }
    if (comStarted_) api.coUninitialize();
}

bool Accessibility::load() {
    if (tried_) return loaded_;
    tried_ = true;
    HMODULE oleacc = loadSystemLibrary(L"oleacc.dll");
    HMODULE oleaut = loadSystemLibrary(L"oleaut32.dll");
    HMODULE ole = loadSystemLibrary(L"ole32.dll");
    loaded_ = bind(oleacc, "CreateStdAccessibleObject", api.createStdAccessibleObject) &&
              bind(oleacc, "LresultFromObject", api.lresultFromObject) &&
              bind(oleaut, "SysAllocString", api.sysAllocString) && bind(ole, "CoInitializeEx", api.coInitializeEx) &&
              bind(ole, "CoUninitialize", api.coUninitialize);
    if (!loaded_) return false;
    // Handing an object to another process marshals it: COM must be on in
    // this thread. Another part of the process may have started it already.
    comStarted_ = SUCCEEDED(api.coInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    return true;
}

LRESULT Accessibility::answerPictures(HWND pictures, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = false;
    if (static_cast<LONG>(lParam) != OBJID_CLIENT || !load()) return 0;
    if (!cards_) {
        IAccessible* standard = nullptr;
        if (FAILED(api.createStdAccessibleObject(pictures, OBJID_CLIENT, kIidAccessible, reinterpret_cast<void**>(&standard))))
            return 0;
        cards_ = make<CardsAccessible>(standard, &pictures_, &board_);
        if (!cards_) {
            standard->Release();
            return 0;
        }
    }
    handled = true;
    return api.lresultFromObject(kIidAccessible, wParam, cards_);
}

LRESULT Accessibility::answerButton(HWND button, int row, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = false;
    if (static_cast<LONG>(lParam) != OBJID_CLIENT || !isValidRow(row) || !load()) return 0;
    ButtonAccessible*& object = buttons_[row - kFirstRow];
    if (!object) {
        IAccessible* standard = nullptr;
        if (FAILED(api.createStdAccessibleObject(button, OBJID_CLIENT, kIidAccessible, reinterpret_cast<void**>(&standard))))
            return 0;
        object = make<ButtonAccessible>(standard, &board_, row);
        if (!object) {
            standard->Release();
            return 0;
        }
    }
    handled = true;
    return api.lresultFromObject(kIidAccessible, wParam, object);
}

void Accessibility::cardShown(HWND pictures, int card, bool shown) const {
    NotifyWinEvent(shown ? EVENT_OBJECT_SHOW : EVENT_OBJECT_HIDE, pictures, OBJID_CLIENT, reading.childOf(card));
}

void Accessibility::rowChanged(HWND button) const {
    NotifyWinEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, button, OBJID_CLIENT, CHILDID_SELF);
}

}  // namespace pellora
