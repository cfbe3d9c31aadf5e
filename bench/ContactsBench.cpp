// Figures for the contact store: what one outsized contact file raises the peak memory by, loading
// synthetic card files and the memory they take, ReadContact with flags 35, and decoding a 640 x 640
// JPEG fitted to a 76 x 74 box.
// Usage: contacts_bench <10k.vcf> <100k.vcf> <640x640.jpg>   (tools/bench.sh prepares and runs it)
#include "bench/BenchTiming.h"
#include "contacts/ContactDetails.h"
#include "contacts/ContactStore.h"
#include "ui/ImageDecoding.h"
#include "companions/contactstore/VcardApp.h"

#include <windows.h>
#include <psapi.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

// Committed memory of the process (Wine reports no private usage, so the page file usage is taken).
size_t CommittedBytes() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage;
}

PROCESS_MEMORY_COUNTERS Memory() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters;
}

uint64_t FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::shared_ptr<contactstore::VcardContactStore> Load(const std::wstring& path, const std::wstring& state) {
    return std::make_shared<contactstore::VcardContactStore>(
        contactstore::VcardContactStore::Options{path, state, false, L""});
}

void BenchLoading(const wchar_t* label, const std::wstring& path, int runs) {
    std::wstring state = path + L".ids";
    DeleteFileW(state.c_str());
    // Memory first, while the heap holds nothing of earlier loads.
    size_t before = CommittedBytes();
    auto held = Load(path, state);
    double used = static_cast<double>(CommittedBytes() - std::min(before, CommittedBytes())) / (1 << 20);
    size_t cards = held->Snapshot()->CardCount();
    held.reset();
    std::vector<double> fresh, known;
    for (int run = 0; run < runs; ++run) {
        DeleteFileW(state.c_str());
        double start = Now();
        auto store = Load(path, state);
        fresh.push_back(Now() - start);
        store.reset();
        start = Now();
        auto again = Load(path, state);
        known.push_back(Now() - start);
    }
    double megabytes = static_cast<double>(FileSize(path)) / (1 << 20);
    std::printf("load %-5ls %7zu cards  %6.1f ms (new ids)  %6.1f ms (ids from state)  memory %.1f MB for a "
                "%.1f MB file (%.2fx)\n",
                label, cards, Median(fresh) * 1000, Median(known) * 1000, used, megabytes, used / megabytes);
}

// Writes a folder holding one card whose note or picture takes ten megabytes, a piece at a time, so
// that writing it raises no memory of its own.
std::wstring WriteOutsizedCard(const wchar_t* kind) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"dialvane-outsized-" + kind;
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring file = folder + L"\\card.vcf";
    FILE* out = _wfopen(file.c_str(), L"wb");
    if (!out) return folder;
    const bool note = wcscmp(kind, L"note") == 0;
    std::fputs("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:outsized\r\nN:Outsized;Card\r\nTEL;TYPE=CELL:1\r\n", out);
    std::fputs(note ? "NOTE:" : "PHOTO;ENCODING=b;TYPE=JPEG:", out);
    const std::string piece(75, note ? 'n' : 'A');
    for (int i = 0; i < (10 << 20) / 76; ++i) {
        std::fputs(piece.c_str(), out);
        std::fputs("\r\n ", out);
    }
    std::fputs("\r\nEND:VCARD\r\n", out);
    std::fclose(out);
    return folder;
}

// In a process of its own: loads the folder and reads its contact as the program does, and prints
// how far that raised the peak working set.
int MeasurePeak(const std::wstring& folder) {
    const size_t before = Memory().WorkingSetSize;
    auto store = Load(folder, L"");
    ContactStore session;
    session.App = new contactstore::VcardApp(store);
    session.App->Logon(nullptr);
    size_t held = 0;
    for (const auto& file : store->Snapshot()->Files) held += file->Set.Bytes.size();
    for (const auto& entry : store->Snapshot()->ByOid) {
        ContactDetails details;
        ReadContact(&session, entry.Oid, details, 35, 0, 0, 0);
    }
    const size_t file = static_cast<size_t>(FileSize(folder + L"\\card.vcf"));
    std::printf("one %.1f MB card: peak working set +%.1f MB, the store holds %.2f MB of it\n",
                file / 1048576.0,
                (Memory().PeakWorkingSetSize - std::min(before, Memory().PeakWorkingSetSize)) / 1048576.0,
                held / 1048576.0);
    return 0;
}

void BenchOutsizedCard(const wchar_t* kind) {
    const std::wstring folder = WriteOutsizedCard(kind);
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring commandLine = L"\"" + std::wstring(self) + L"\" --peak \"" + folder + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::printf("%-5ls ", kind);
    std::fflush(stdout);
    if (CreateProcessW(self, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                       &info)) {
        WaitForSingleObject(info.hProcess, 60000);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
    DeleteFileW((folder + L"\\card.vcf").c_str());
    RemoveDirectoryW(folder.c_str());
}

void BenchReadContact(const std::wstring& path) {
    auto store = Load(path, L"");
    ContactStore session;
    session.App = new contactstore::VcardApp(store);
    session.App->Logon(nullptr);
    std::vector<DWORD> oids;
    for (const auto& entry : store->Snapshot()->ByOid) oids.push_back(entry.Oid);
    std::vector<double> times;
    for (DWORD oid : oids) {
        ContactDetails details;
        double start = Now();
        ReadContact(&session, oid, details, 35, 0, 0, 0);
        times.push_back(Now() - start);
    }
    std::printf("ReadContact flags 35: median %.1f us over %zu contacts\n", Median(times) * 1e6,
                times.size());
}

void BenchPicture(const std::wstring& path) {
    IImagingFactory* factory = GetImagingFactory();
    std::vector<double> times;
    int width = 0, height = 0;
    for (int run = 0; run < 25; ++run) {
        IStream* stream = nullptr;
        if (FAILED(SHCreateStreamOnFileEx(path.c_str(), STGM_READ, 0, FALSE, nullptr, &stream))) break;
        double start = Now();
        IImage* image = DecodeStreamFitted(factory, stream, 2, 76, 74);
        HBITMAP bitmap = image ? ImageToBitmap(factory, image) : nullptr;
        times.push_back(Now() - start);
        BITMAP info = {};
        if (bitmap && GetObjectW(bitmap, sizeof info, &info)) width = info.bmWidth, height = info.bmHeight;
        if (bitmap) DeleteObject(bitmap);
        if (image) image->Release();
        stream->Release();
    }
    std::printf("640x640 JPEG decoded and fitted to 76x74 (%dx%d): median %.2f ms\n", width, height,
                Median(times) * 1000);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 3 && wcscmp(argv[1], L"--peak") == 0) return MeasurePeak(argv[2]);
    if (argc < 4) {
        std::printf("usage: contacts_bench <10k.vcf> <100k.vcf> <640x640.jpg>\n");
        return 2;
    }
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    BenchOutsizedCard(L"note");
    BenchOutsizedCard(L"photo");
    BenchLoading(L"10k", argv[1], 7);
    BenchLoading(L"100k", argv[2], 3);
    BenchReadContact(argv[1]);
    BenchPicture(argv[3]);
    CoUninitialize();
    return 0;
}
