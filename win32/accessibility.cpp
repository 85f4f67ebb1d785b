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
    HRESULT(WINAPI* createStreamOnHGlobal)(HGLOBAL, BOOL, IStream**) = nullptr;
    HRESULT(WINAPI* coMarshalInterface)(IStream*, REFIID, IUnknown*, DWORD, void*, DWORD) = nullptr;
    HRESULT(WINAPI* coDisconnectObject)(IUnknown*, DWORD) = nullptr;
    BOOL(WINAPI* compareObjectHandles)(HANDLE, HANDLE) = nullptr;  // Windows 10 and Wine; null before
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

// An answer nobody has collected within this long is taken back.
constexpr ULONGLONG kStaleAnswerMs = 2000;
// How Wine's oleacc names an answer: its process, its mapping and its size, in hex.
constexpr wchar_t kWineAnswerPrefix[] = L"wine_oleacc:";

// The hex number at `text`, which moves past it.
unsigned long readHex(const wchar_t*& text) {
    unsigned long value = 0;
    for (;; ++text) {
        const wchar_t c = *text;
        const int digit = c >= L'0' && c <= L'9' ? c - L'0' : c >= L'a' && c <= L'f' ? c - L'a' + 10 : -1;
        if (digit < 0) return value;
        value = value * 16 + static_cast<unsigned long>(digit);
    }
}

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
    AccessibleBase(IAccessible* standard, HWND window) : standard_(standard), window_(window) {}

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
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* out) override {
        if (!out) return E_POINTER;
        clearVariant(out);
        if (!covers(x, y)) return S_FALSE;
        PELLORA_HAND_ON(accHitTest(x, y, out));
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override { PELLORA_HAND_ON(accDoDefaultAction(child)); }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override { PELLORA_HAND_ON(put_accName(child, name)); }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override { PELLORA_HAND_ON(put_accValue(child, value)); }
#undef PELLORA_HAND_ON

protected:
    ~AccessibleBase() = default;
    virtual void destroy() = 0;

    // Whether the screen point lies on the window's client area, the object's place.
    bool covers(long x, long y) const {
        RECT client{};
        if (!standard_ || !GetClientRect(window_, &client)) return false;
        MapWindowPoints(window_, HWND_DESKTOP, reinterpret_cast<POINT*>(&client), 2);
        const POINT p{x, y};
        return PtInRect(&client, p) != FALSE;
    }

    IAccessible* standard_;
    HWND window_;

private:
    LONG references_ = 1;
};

// The pictures' window: its 54 pictures are its children, simple elements
// with child ids 1..54 in reading order.
class CardsAccessible final : public AccessibleBase {
public:
    CardsAccessible(IAccessible* standard, const CardPictures* pictures, const Board* board)
        : AccessibleBase(standard, pictures->hwnd()), pictures_(pictures), board_(board) {}

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
        clearVariant(out);
        if (!board_) return RPC_E_DISCONNECTED;
        if (!covers(x, y)) return S_FALSE;
        POINT p{x, y};
        ScreenToClient(pictures_->hwnd(), &p);
        long at = CHILDID_SELF;  // between the cells, or on a played card's empty cell
        for (long child = 1; child <= kPictureCount; ++child) {
            const int which = reading.cardOf(child);
            if (PtInRect(&pictures_->cell(which), p) && board_->isShown(which)) at = child;
        }
        setLong(out, at);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* out) override {
        if (!out) return E_POINTER;
        clearVariant(out);
        if (!board_) return RPC_E_DISCONNECTED;
        if (direction < NAVDIR_UP || direction > NAVDIR_LASTCHILD) return E_INVALIDARG;
        if (isSelf(start)) {
            if (direction == NAVDIR_FIRSTCHILD) return setChild(out, 1);
            if (direction == NAVDIR_LASTCHILD) return setChild(out, kPictureCount);
            return AccessibleBase::accNavigate(direction, start, out);
        }
        const int from = card(start);
        if (from == kNoCard) return E_INVALIDARG;
        switch (direction) {
            case NAVDIR_NEXT: return setChild(out, start.lVal + 1);
            case NAVDIR_PREVIOUS: return setChild(out, start.lVal - 1);
            case NAVDIR_LEFT: return setCard(out, cardBeside(from, Toward::Left));
            case NAVDIR_RIGHT: return setCard(out, cardBeside(from, Toward::Right));
            case NAVDIR_UP: return setCard(out, cardBeside(from, Toward::Up));
            case NAVDIR_DOWN: return setCard(out, cardBeside(from, Toward::Down));
        }
        return S_FALSE;  // a picture has no children
    }
    // A picture cannot be selected, focused, given a name or a value, or acted on.
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        if (isSelf(child)) return AccessibleBase::get_accHelpTopic(file, child, topic);
        if (!file || !topic) return E_POINTER;
        *file = nullptr;
        *topic = 0;
        return unsupported(child);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        return isSelf(child) ? AccessibleBase::accSelect(flags, child) : unsupported(child);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return isSelf(child) ? AccessibleBase::accDoDefaultAction(child) : unsupported(child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
        return isSelf(child) ? AccessibleBase::put_accName(child, name) : unsupported(child);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return isSelf(child) ? AccessibleBase::put_accValue(child, value) : unsupported(child);
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
    HRESULT unsupported(const VARIANT& child) const { return card(child) != kNoCard ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG; }
    static HRESULT setChild(VARIANT* out, long child) {
        if (child < 1 || child > kPictureCount) return S_FALSE;
        setLong(out, child);
        return S_OK;
    }
    static HRESULT setCard(VARIANT* out, int card) { return card == kNoCard ? S_FALSE : setChild(out, reading.childOf(card)); }

    const CardPictures* pictures_;
    const Board* board_;
};

// A rank or joker button as the system presents it, described by the cards
// of its row that remain, with its tip as help: how to play and put back.
class ButtonAccessible final : public AccessibleBase {
public:
    ButtonAccessible(IAccessible* standard, HWND button, const Board* board, int row)
        : AccessibleBase(standard, button), board_(board), row_(row) {}

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
    // Disconnecting unregisters the interfaces without waiting for calls in
    // flight, where a stub's last release would wait (see pin()).
    for (int i = 0; i < pinCount_; ++i) {
        api.coDisconnectObject(pins_[i].object, 0);
        pins_[i].stream->Release();
        pins_[i].object->Release();
    }
    for (Outstanding& answer : outstanding_)
        if (answer.atom) release(answer, true);
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
              bind(ole, "CoUninitialize", api.coUninitialize) &&
              bind(ole, "CreateStreamOnHGlobal", api.createStreamOnHGlobal) &&
              bind(ole, "CoMarshalInterface", api.coMarshalInterface) &&
              bind(ole, "CoDisconnectObject", api.coDisconnectObject);
    if (!loaded_) return false;
    bind(GetModuleHandleW(L"kernelbase.dll"), "CompareObjectHandles", api.compareObjectHandles);
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
        pinFirst(cards_, standard);
    }
    return answer(cards_, wParam, handled);
}

LRESULT Accessibility::answerButton(HWND button, int row, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = false;
    if (static_cast<LONG>(lParam) != OBJID_CLIENT || !isValidRow(row) || !load()) return 0;
    ButtonAccessible*& object = buttons_[row - kFirstRow];
    if (!object) {
        IAccessible* standard = nullptr;
        if (FAILED(api.createStdAccessibleObject(button, OBJID_CLIENT, kIidAccessible, reinterpret_cast<void**>(&standard))))
            return 0;
        object = make<ButtonAccessible>(standard, button, &board_, row);
        if (!object) {
            standard->Release();
            return 0;
        }
        pinFirst(object, standard);
    }
    return answer(object, wParam, handled);
}

// Wine's COM unregisters an interface when the last of its stubs goes: a
// reader's release right after a call then has this thread wait in
// RpcServerUnregisterIf for the call to finish, and that wait can last for
// ever (a race in Wine 8). Marshalled once table-strong, and kept so, an
// object's stubs never go while the window lives, and the interfaces stay
// registered for the stubs of the system's objects handed out through ours.
void Accessibility::pinFirst(IUnknown* object, IAccessible* standard) {
    if (pinCount_ == 0) {
        pin(object, IID_IUnknown);
        pin(object, IID_IDispatch);
        pin(standard, IID_IEnumVARIANT);
        pin(standard, IID_IOleWindow);
    }
    pin(object, kIidAccessible);
}

void Accessibility::pin(IUnknown* object, const IID& iid) {
    if (pinCount_ >= static_cast<int>(sizeof(pins_) / sizeof(pins_[0]))) return;
    IStream* stream = nullptr;
    if (FAILED(api.createStreamOnHGlobal(nullptr, TRUE, &stream))) return;
    if (FAILED(api.coMarshalInterface(stream, iid, object, MSHCTX_LOCAL, nullptr, MSHLFLAGS_TABLESTRONG))) {
        stream->Release();  // the object has no such interface
        return;
    }
    object->AddRef();
    pins_[pinCount_++] = Pin{object, stream};
}

// A request sent without waiting for the answer, or one more while every
// answer made lately is still uncollected, gets the default answer: each
// answer holds a global atom and a mapping until a reader collects it.
LRESULT Accessibility::answer(IUnknown* object, WPARAM wParam, bool& handled) {
    if ((InSendMessageEx(nullptr) & ISMEX_NOTIFY) || !roomForAnswer()) return 0;
    const LRESULT result = api.lresultFromObject(kIidAccessible, wParam, object);
    remember(result);
    handled = true;
    return result;
}

bool Accessibility::roomForAnswer() {
    const ULONGLONG now = GetTickCount64();
    bool room = false;
    for (Outstanding& answer : outstanding_) {
        wchar_t name[40] = {};
        if (answer.atom && (!GlobalGetAtomNameW(answer.atom, name, 40) || lstrcmpW(name, answer.name) != 0))
            release(answer, false);  // collected
        else if (answer.atom && now - answer.at >= kStaleAnswerMs)
            release(answer, true);
        room = room || !answer.atom;
    }
    return room;
}

void Accessibility::remember(LRESULT result) {
    Outstanding made{};
    if (result <= 0 || result > 0xFFFF || !GlobalGetAtomNameW(static_cast<ATOM>(result), made.name, 40)) return;
    made.atom = static_cast<unsigned short>(result);
    made.at = GetTickCount64();
    const int prefix = static_cast<int>(sizeof(kWineAnswerPrefix) / sizeof(wchar_t)) - 1;
    const wchar_t* field = made.name + prefix;
    if (CompareStringOrdinal(made.name, prefix, kWineAnswerPrefix, prefix, FALSE) == CSTR_EQUAL &&
        readHex(field) == GetCurrentProcessId() && *field++ == L':') {
        made.mapping = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(readHex(field)));
        if (!DuplicateHandle(GetCurrentProcess(), made.mapping, GetCurrentProcess(), &made.copy, 0, FALSE,
                             DUPLICATE_SAME_ACCESS))
            made.copy = nullptr;
    }
    for (Outstanding& slot : outstanding_)
        if (!slot.atom) {
            slot = made;
            return;
        }
}

// Taking an answer back frees its atom, and its mapping if the handle named
// still is that mapping: a reader that collected it has closed the handle,
// and the number may belong to something else by now.
void Accessibility::release(Outstanding& answer, bool takeBack) {
    if (takeBack) {
        wchar_t name[40] = {};
        if (GlobalGetAtomNameW(answer.atom, name, 40) && lstrcmpW(name, answer.name) == 0) GlobalDeleteAtom(answer.atom);
        if (answer.mapping && answer.copy && api.compareObjectHandles &&
            api.compareObjectHandles(answer.mapping, answer.copy))
            CloseHandle(answer.mapping);
    }
    if (answer.copy) CloseHandle(answer.copy);
    answer = Outstanding{};
}

void Accessibility::cardShown(HWND pictures, int card, bool shown) const {
    NotifyWinEvent(shown ? EVENT_OBJECT_SHOW : EVENT_OBJECT_HIDE, pictures, OBJID_CLIENT, reading.childOf(card));
}

void Accessibility::rowChanged(HWND button) const {
    NotifyWinEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, button, OBJID_CLIENT, CHILDID_SELF);
}

}  // namespace pellora
