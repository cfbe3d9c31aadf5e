// Peak memory for one hostile or oversized picture: a contact card's photo read for a button, or a skin
// image loaded from the skin folder. Peak memory only ever grows, so each case runs in a process of its
// own (tools/bench.sh starts one per case) after a warm-up with a small picture of the same kind.
// Usage: picture_bench card <warm-up.vcf> <card.vcf> <label>
//        picture_bench skin <warm-up folder> <skin folder> <label>
//        picture_bench limits   (prints what one picture, and a contact's notes, may cost)
#include "bench/BenchTiming.h"
#include "contacts/ContactDetails.h"
#include "contacts/ContactStore.h"
#include "companions/contactstore/VcardApp.h"
#include "platform/ImagingFactory.h"
#include "ui/ResourceLibrary.h"
#include "ui/ScreenMetrics.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <memory>
#include <string>
#include <utility>

namespace {

// The big button's photo box on a 192 dpi screen.
constexpr int BoxWidth = 152;
constexpr int BoxHeight = 148;

double PeakMegabytes() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<double>(counters.PeakWorkingSetSize) / (1 << 20);
}

SIZE SizeOf(HBITMAP bitmap) {
    BITMAP info = {};
    if (!bitmap || !GetObjectW(bitmap, sizeof info, &info)) return {0, 0};
    return {info.bmWidth, info.bmHeight};
}

// Loads the cards of path and reads the first one's photo for a button; the photo's size (0 x 0: none).
SIZE ReadCardPhoto(const std::wstring& path) {
    auto store = std::make_shared<contactstore::VcardContactStore>(
        contactstore::VcardContactStore::Options{path, L"", false, L""});
    ContactStore session;
    session.App = new contactstore::VcardApp(store);
    session.App->Logon(nullptr);
    const auto snapshot = store->Snapshot();
    SIZE size = {0, 0};
    if (snapshot->CardCount()) {
        ContactDetails details;
        ReadContact(&session, snapshot->ByOid[0].Oid, details, ReadPhoto, 2, BoxWidth, BoxHeight);
        size = SizeOf(details.Photo);
    }
    session.App->Logoff();
    session.App->Release();
    session.App = nullptr;
    return size;
}

// The big button image from the skin folder, or the library's when the folder's is refused.
SIZE ReadSkinImage(const std::wstring& folder) {
    SkinLibrary.LoadResourceLibrary(L"DialvaneRes.dll", L"DialvaneResVga.dll", folder.c_str());
    HBITMAP bitmap = SkinLibrary.LoadBitmap(106, L"big_btn_text");
    const SIZE size = SizeOf(bitmap);
    if (bitmap) DeleteObject(bitmap);
    return size;
}

} // namespace

void PrintLimits() {
    const auto megabytes = [](UINT64 bytes) { return static_cast<double>(bytes) / (1 << 20); };
    for (const auto& [name, limits] : {std::pair{"contact picture", platform::StreamPictureLimits},
                                       std::pair{"skin image", platform::FilePictureLimits}})
        std::printf("limits: %-16s at most %4.1f MB encoded, %4.1f MB in the decoder, %4.1f megapixels\n",
                    name, megabytes(limits.EncodedBytes), megabytes(limits.DecodedBytes),
                    static_cast<double>(limits.Pixels) / (1 << 20));
    std::printf("limits: scaled copy at most %.1f megapixels; notes read up to %.1f MB\n",
                static_cast<double>(platform::MaxThumbnailPixels) / (1 << 20), megabytes(NotesReadLimit));
}

int wmain(int argc, wchar_t** argv) {
    if (argc == 2 && std::wstring(argv[1]) == L"limits") {
        PrintLimits();
        return 0;
    }
    if (argc < 5) {
        std::printf("usage: picture_bench card|skin <warm-up> <case> <label>\n");
        return 2;
    }
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    ScreenDC = GetDC(nullptr);
    ReadScreenMetrics(ScreenDC);
    const bool card = std::wstring(argv[1]) == L"card";
    const auto read = card ? ReadCardPhoto : ReadSkinImage;
    read(argv[2]);
    const double before = PeakMegabytes();
    const double start = Now();
    const SIZE size = read(argv[3]);
    const double seconds = Now() - start;
    std::printf("%-44ls peak memory +%6.1f MB  %7.1f ms  -> %ld x %ld\n", argv[4], PeakMegabytes() - before,
                seconds * 1000, size.cx, size.cy);
    return 0;
}
