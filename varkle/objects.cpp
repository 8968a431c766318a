// The COM objects: the command, its sub-command enumerator and the class factory.
#include "varkle/varkle.h"

#include <shlwapi.h>

#include <new>

namespace varkle {

namespace {

// Reference counting and QueryInterface for an object that offers one interface.
template <typename Interface, const IID& kIid>
class Object : public Interface {
public:
    Object() { ModuleAddRef(); }
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;
    virtual ~Object() { ModuleRelease(); }

    IFACEMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, kIid)) {
            *ppv = static_cast<Interface*>(this);
            this->AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    IFACEMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    IFACEMETHODIMP_(ULONG) Release() override {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return left;
    }

private:
    LONG refs_ = 1;
};

// Hands a new object out as riid and drops the creation reference.
template <typename T>
HRESULT HandOut(T* object, REFIID riid, void** ppv) {
    if (!object) return E_OUTOFMEMORY;
    const HRESULT hr = object->QueryInterface(riid, ppv);
    object->Release();
    return hr;
}

HRESULT DupString(const wchar_t* text, LPWSTR* out) {
    if (!out) return E_POINTER;
    return SHStrDupW(text, out);
}

class Command : public Object<IExplorerCommand, IID_IExplorerCommand> {
public:
    explicit Command(LONG kind) : kind_(kind) {}

    IFACEMETHODIMP GetTitle(IShellItemArray*, LPWSTR* name) override {
        return DupString(KindTitle(kind_), name);
    }
    IFACEMETHODIMP GetIcon(IShellItemArray*, LPWSTR* icon) override {
        return DupString((L"\"" + LocateZerrow() + L"\",0").c_str(), icon);
    }
    IFACEMETHODIMP GetToolTip(IShellItemArray*, LPWSTR* tip) override {
        return DupString(KindToolTip(kind_), tip);
    }
    IFACEMETHODIMP GetCanonicalName(GUID* guid) override {
        if (!guid) return E_POINTER;
        KindGuid(kind_, guid);
        return S_OK;
    }
    IFACEMETHODIMP GetState(IShellItemArray*, BOOL, EXPCMDSTATE* state) override {
        if (!state) return E_POINTER;
        *state = ECS_ENABLED;
        return S_OK;
    }
    IFACEMETHODIMP Invoke(IShellItemArray* items, IBindCtx*) override {
        if (kind_ == kRoot) return S_OK;
        return Launch(items, kind_ == kMove) ? S_OK : E_FAIL;
    }
    IFACEMETHODIMP GetFlags(EXPCMDFLAGS* flags) override {
        if (!flags) return E_POINTER;
        *flags = kind_ == kRoot ? ECF_HASSUBCOMMANDS : ECF_DEFAULT;
        return S_OK;
    }
    IFACEMETHODIMP EnumSubCommands(IEnumExplorerCommand** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (kind_ != kRoot) return E_NOTIMPL;
        return CreateEnumerator(0, IID_IEnumExplorerCommand, reinterpret_cast<void**>(out));
    }

private:
    LONG kind_;
};

class Enumerator : public Object<IEnumExplorerCommand, IID_IEnumExplorerCommand> {
public:
    explicit Enumerator(LONG position) : position_(position) {}

    IFACEMETHODIMP Next(ULONG count, IExplorerCommand** commands, ULONG* fetched) override {
        if (!commands) return E_POINTER;
        ULONG done = 0;
        while (done < count && position_ < kSubCommands) {
            Command* command = new (std::nothrow) Command(position_ == 0 ? kCopy : kMove);
            commands[done] = command;
            if (!command) break;
            ++done;
            ++position_;
        }
        if (fetched) *fetched = done;
        return done == count ? S_OK : S_FALSE;
    }
    IFACEMETHODIMP Skip(ULONG count) override {
        // Clamped, so that a huge count cannot wrap the position round to the start.
        const ULONG ahead = static_cast<ULONG>(kSubCommands - position_);
        position_ = count > ahead ? kSubCommands : position_ + static_cast<LONG>(count);
        return count <= ahead ? S_OK : S_FALSE;
    }
    IFACEMETHODIMP Reset() override {
        position_ = 0;
        return S_OK;
    }
    IFACEMETHODIMP Clone(IEnumExplorerCommand** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        return CreateEnumerator(position_, IID_IEnumExplorerCommand, reinterpret_cast<void**>(out));
    }

private:
    static constexpr LONG kSubCommands = 2;
    LONG position_;
};

class ClassFactory : public Object<IClassFactory, IID_IClassFactory> {
public:
    explicit ClassFactory(LONG kind) : kind_(kind) {}

    IFACEMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return CreateCommand(kind_, riid, ppv);
    }
    IFACEMETHODIMP LockServer(BOOL lock) override {
        if (lock) {
            ModuleAddRef();
        } else {
            ModuleRelease();
        }
        return S_OK;
    }

private:
    LONG kind_;
};

}  // namespace

HRESULT CreateCommand(LONG kind, REFIID riid, void** ppv) {
    return HandOut(new (std::nothrow) Command(kind), riid, ppv);
}

HRESULT CreateEnumerator(LONG position, REFIID riid, void** ppv) {
    return HandOut(new (std::nothrow) Enumerator(position), riid, ppv);
}

HRESULT CreateClassFactory(LONG kind, REFIID riid, void** ppv) {
    return HandOut(new (std::nothrow) ClassFactory(kind), riid, ppv);
}

}  // namespace varkle
