#pragma once
// A small window showing one contact of the contact store: picture, names, company and numbers.
#include "foundation/ScopedHandles.h"
#include "ui/BufferedPaint.h"
#include "ui/WindowBase.h"

#include <string>
#include <vector>

class ContactViewWindow : public WindowBase {
public:
    static constexpr wchar_t ViewerClass[] = L"OrvanixContactView";
    static constexpr int PhotoSize = 160;

    ~ContactViewWindow() override;

    // Reads the contact with object id oid (0: none) and opens the window; a contact that is not in
    // the store shows "Контакт не найден".
    bool Open(unsigned long oid);

protected:
    void OnDestroy() override;
    void OnPaint(HDC dc, const RECT& rcPaint) override;
    bool OnEraseBackground(HDC dc) override;

private:
    void Draw(HDC memory, const RECT& client);

    std::wstring title_;
    std::wstring company_;
    std::vector<std::wstring> numbers_;
    ScopedBitmap photo_;
    ScopedFont titleFont_;
    ScopedFont textFont_;
    PaintBuffer paintBuffer_;
};
