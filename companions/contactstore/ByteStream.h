#pragma once
// A read-only stream over bytes that something else keeps alive (a snapshot of the store), or over
// bytes of its own: a contact's picture is handed out without a copy of it.
#include "platform/ComObject.h"

#include <objidl.h>

#include <memory>
#include <string>
#include <string_view>

namespace contactstore {

class ByteStream final : public platform::ComObject<IStream> {
public:
    // Over bytes that owner keeps alive.
    ByteStream(std::shared_ptr<const void> owner, std::string_view bytes)
        : owner_(std::move(owner)), bytes_(bytes) {}
    // Over bytes of its own.
    explicit ByteStream(std::string bytes) : own_(std::move(bytes)), bytes_(own_) {}

    HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG wanted, ULONG* read) override;
    HRESULT STDMETHODCALLTYPE Write(const void*, ULONG, ULONG*) override { return STG_E_ACCESSDENIED; }
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* position) override;
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) override { return STG_E_ACCESSDENIED; }
    HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Revert() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD) override;
    HRESULT STDMETHODCALLTYPE Clone(IStream**) override { return E_NOTIMPL; }

private:
    const IID& Identity() const override { return IID_IStream; }

    std::shared_ptr<const void> owner_;
    std::string own_;
    std::string_view bytes_;
    size_t position_ = 0;
};

} // namespace contactstore
