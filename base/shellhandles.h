// Owners for what the shell hands out: item id lists (freed through the shell's allocator) and COM
// interfaces (released). Counted like the other handles, so tests see what escapes.
#pragma once
#include "base/handles.h"

#include <shellapi.h>
#include <shlobj.h>

namespace corv {

namespace handle_traits {
inline void FreeIdList(LPITEMIDLIST idList) {
    IMalloc* malloc = nullptr;
    if (SUCCEEDED(SHGetMalloc(&malloc)) && malloc) {
        malloc->Free(idList);
        malloc->Release();
    }
}
} // namespace handle_traits

using ShellIdListHandle =
    UniqueHandle<handle_traits::Traits<LPITEMIDLIST, HandleKind::ShellItem, handle_traits::FreeIdList>>;
// Files dropped from the shell: the drop is finished when the owner goes.
using DropHandle = UniqueHandle<handle_traits::Traits<HDROP, HandleKind::Memory, DragFinish>>;

// One reference to a COM interface, released with the owner.
template <typename Interface> class ComPtr {
  public:
    ComPtr() = default;
    explicit ComPtr(Interface* p) : p_(p) {
        if (p_) CountHandle(HandleKind::ComObject, +1);
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            Reset();
            p_ = std::exchange(other.p_, nullptr);
        }
        return *this;
    }
    ~ComPtr() { Reset(); }
    Interface* Get() const { return p_; }
    Interface* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    void Reset(Interface* p = nullptr) {
        if (p_) {
            p_->Release();
            CountHandle(HandleKind::ComObject, -1);
        }
        p_ = p;
        if (p_) CountHandle(HandleKind::ComObject, +1);
    }
    // For the calls that return an interface through a pointer; like OutParam, the owner has it once
    // the whole expression has been evaluated.
    class Out {
      public:
        explicit Out(ComPtr& owner) : owner_(owner) {}
        Out(const Out&) = delete;
        Out& operator=(const Out&) = delete;
        ~Out() { owner_.Reset(p_); }
        operator Interface**() { return &p_; }

      private:
        ComPtr& owner_;
        Interface* p_ = nullptr;
    };

  private:
    Interface* p_ = nullptr;
};

} // namespace corv
