#pragma once
// The program's string: reference-counted, copy-on-write UTF-16 text held in one pointer.
#include <windows.h>

#include <cstdarg>

// The value points at zero-terminated characters; the buffer header {refs, length, size} lies in
// the 12 bytes right before them, so a WString passes as it is wherever a wide C string is wanted.
// Copies share one buffer; a holder that changes a shared buffer first takes a copy of its own.
// Every empty value points at one static buffer that is never freed.
//
// Allocation failure (including sizes whose byte count does not fit 32 bits) is appended to the
// error log and the operation then leaves the value as it was: appends, trims and assignments
// change nothing, Format and LoadString keep the old text, GetBuffer returns nullptr and
// ReleaseBuffer does nothing.
//
// Reference counts are plain integers: values belong to the user-interface thread.
class WString {
public:
    WString();
    WString(const wchar_t* text);
    WString(const WString& other);
    ~WString();

    WString& operator=(const WString& other);
    WString& operator=(const wchar_t* text);

    bool operator==(const WString& other) const;
    bool operator==(const wchar_t* text) const;

    operator const wchar_t*() const { return text_; }
    int GetLength() const;
    bool IsEmpty() const { return GetLength() == 0; }

    // Gives up the buffer for the shared empty one; nothing to do when there are no characters.
    void Empty();

    WString& operator+=(const WString& other);
    WString& operator+=(const wchar_t* text);
    WString& operator+=(wchar_t c);

    // The first or last n characters; n < 0 counts as 0, n >= length gives a shared copy.
    WString Left(int n) const;
    WString Right(int n) const;

    // Remove leading or trailing characters of the runtime's space class.
    void TrimLeft();
    void TrimRight();

    // An unshared buffer with room for at least n characters and the terminator; nullptr when the
    // allocation fails. Its length field stays as it was until ReleaseBuffer.
    wchar_t* GetBuffer(int n);
    // Sets the length to n (clamped to the room of the buffer) or, for -1, to the first zero
    // character, and writes the terminator.
    void ReleaseBuffer(int n = -1);

    // printf-style formatting with the runtime's wide conventions: %s wide, %S narrow, %I64d.
    // The output goes into a new buffer, so the old value may itself be one of the arguments.
    void Format(const wchar_t* format, ...);
    void FormatV(const wchar_t* format, va_list args);

    // Replaces the value with string resource id of the program's own module; true when the
    // resource has text. A missing resource gives the empty text and is reported.
    bool LoadString(UINT id);

    // Header fields, for diagnostics and tests.
    int RefCount() const;
    int BufferSize() const;

private:
    WString(const wchar_t* text, size_t count);

    // Characters the buffer holds besides the terminator.
    int Capacity() const;
    // Makes the buffer unshared and grows its length field by k; the new characters are not yet
    // written.
    bool MakeRoom(long long k);
    void Append(const wchar_t* text, size_t count);
    void Assign(const wchar_t* text, size_t count);

    wchar_t* text_;
};

// Loads string resource id of module (the program's own when null) into buffer. On a missing
// resource the buffer gets the empty text, the failure is logged and shown, and 0 is returned.
int SafeLoadStr(UINT id, HINSTANCE module, wchar_t* buffer, int capacity);
