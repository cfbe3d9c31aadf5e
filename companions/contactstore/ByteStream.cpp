#include "companions/contactstore/ByteStream.h"

#include <cstring>

namespace contactstore {

HRESULT ByteStream::Read(void* buffer, ULONG wanted, ULONG* read) {
    if (!buffer && wanted) return STG_E_INVALIDPOINTER;
    const size_t left = position_ < bytes_.size() ? bytes_.size() - position_ : 0;
    const ULONG count = static_cast<ULONG>(wanted < left ? wanted : left);
    if (count) std::memcpy(buffer, bytes_.data() + position_, count);
    position_ += count;
    if (read) *read = count;
    return count == wanted ? S_OK : S_FALSE;
}

HRESULT ByteStream::Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* position) {
    long long base = 0;
    if (origin == STREAM_SEEK_CUR) {
        base = static_cast<long long>(position_);
    } else if (origin == STREAM_SEEK_END) {
        base = static_cast<long long>(bytes_.size());
    } else if (origin != STREAM_SEEK_SET) {
        return STG_E_INVALIDFUNCTION;
    }
    const long long target = base + move.QuadPart;
    if (target < 0) return STG_E_INVALIDFUNCTION;
    position_ = static_cast<size_t>(target);
    if (position) position->QuadPart = static_cast<ULONGLONG>(target);
    return S_OK;
}

HRESULT ByteStream::Stat(STATSTG* stat, DWORD) {
    if (!stat) return STG_E_INVALIDPOINTER;
    *stat = {};
    stat->type = STGTY_STREAM;
    stat->cbSize.QuadPart = bytes_.size();
    stat->grfMode = STGM_READ;
    return S_OK;
}

} // namespace contactstore
