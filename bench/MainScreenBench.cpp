// Figures for the main screen: LayOut, a full repaint of a 24-cell page whose photos are cached, and
// the first paint of such a page, which decodes all 24 photos. The buttons are bound to the sample
// contacts that have pictures. Usage: mainscreen_bench   (tools/bench.sh runs it)
#include "bench/BenchTiming.h"
#include "contacts/ContactDetails.h"
#include "mainscreen/GridLayout.h"
#include "ui/BufferedPaint.h"
#include "platform/ComActivation.h"
#include "platform/ContactCatalog.h"
#include "foundation/DataFiles.h"
#include "foundation/ScopedHandles.h"
#include "mainscreen/MainWindow.h"
#include "ui/ResourceLibrary.h"
#include "ui/ScreenMetrics.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

// Median time of run in milliseconds; prepare runs untimed before each run.
double MedianMs(
    int runs, const std::function<void()>& run, const std::function<void()>& prepare = [] {}) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        prepare();
        const double start = Now();
        run();
        times.push_back((Now() - start) * 1e3);
    }
    return Median(times);
}

// Binds all 24 cells of the page to the contacts that have pictures, in turn.
int BindPhotoContacts(MainWindow& main) {
    std::vector<DWORD> withPhotos;
    ComPtr<IContactCatalog> catalog;
    ComPtr<IContactList> list;
    if (SUCCEEDED(platform::CoCreateInstance(CLSID_ContactCatalog, nullptr, CLSCTX_INPROC_SERVER,
                                             IID_IContactCatalog, catalog.ReceiveVoid())) &&
        SUCCEEDED(catalog->List(list.Receive()))) {
        for (ULONG i = 0; i < list->Count(); ++i) {
            CatalogContact listed;
            ContactDetails contact;
            if (SUCCEEDED(list->Get(i, &listed)) &&
                ReadContact(main.Model.Store, listed.Oid, contact, ReadPhotoPresence, 0, 0, 0) &&
                contact.HasPhoto)
                withPhotos.push_back(listed.Oid);
        }
    }
    if (withPhotos.empty()) return 0;
    main.Model.Clear();
    for (int cell = 0; cell < main.CellsPerPage; ++cell) {
        const DWORD oid = withPhotos[cell % withPhotos.size()];
        ContactDetails contact;
        ReadContact(main.Model.Store, oid, contact, ReadPhones, 0, 0, 0);
        main.Model.AddFromContact(cell, oid, contact.Phones.GetAt(0));
    }
    main.Model.Load(1);
    return static_cast<int>(withPhotos.size());
}

// Drops the cached photos; hasPhoto 0 makes every button a name on a button image.
void ForgetPhotos(SpeedDialModel& model, DWORD hasPhoto) {
    model.DropPhotos();
    for (int i = 0; i < model.Buttons.GetSize(); ++i) {
        SpeedDialButton button = model.Buttons.GetAt(i);
        button.HasPhoto = hasPhoto;
        model.Buttons.SetAt(i, button);
    }
}

} // namespace

int wmain() {
    ScreenDC = GetDC(nullptr);
    ReadScreenMetrics(ScreenDC);
    const std::wstring skin = ExecutableFolder() + L"DialvaneSkin";
    SkinLibrary.LoadResourceLibrary(L"DialvaneRes.dll", L"DialvaneResVga.dll", skin.c_str());

    // The bundled sample contacts, whatever store an earlier benchmark left configured.
    const wchar_t samples[] = L"SampleContacts";
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Orvanix\\PIM\\Settings", L"ContactsPath", REG_SZ, samples,
                    sizeof samples);
    MainWindow main;
    main.Create(L"bench", WS_POPUP | WS_VISIBLE, 0, 420, 320, nullptr);
    LoadSkin(main.Skin);
    main.Panel.CreatePanel(main.Window);
    main.SetButtonSize(0);
    main.ShowNumbers = main.ShowPhoneType = 1;
    main.LayOut();
    std::printf("page of %d cells (%d x %d) of %d x %d pixels\n", main.CellsPerPage, main.Columns, main.Rows,
                main.CellWidth, main.CellHeight);
    std::printf("LayOut: median %.3f ms (grid arithmetic alone %.4f ms)\n",
                MedianMs(1000, [&] { main.LayOut(); }),
                MedianMs(1000, [] { LayOutGrid(480, 594, 76, 74, 30, 5); }));

    const int contacts = BindPhotoContacts(main);
    if (!contacts) {
        std::printf("no sample contact has a picture\n");
        return 1;
    }
    RECT client;
    GetClientRect(main.Window, &client);
    PaintBuffer buffer;
    HDC memory = buffer.Prepare(ScreenDC, client.right, client.bottom);
    HDC source = buffer.SourceContext(ScreenDC);
    const auto paint = [&] {
        main.Paint(memory, source, client, client);
        GdiFlush();
    };
    const double first = MedianMs(9, paint, [&] { ForgetPhotos(main.Model, 1); });
    paint();
    const double cached = MedianMs(50, paint);
    std::printf("full repaint, 24 photos cached: median %.2f ms\n", cached);
    std::printf("the same through WM_PAINT, onto the window: median %.2f ms\n", MedianMs(50, [&] {
                    RedrawWindow(main.Window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
                    GdiFlush();
                }));
    ForgetPhotos(main.Model, 0);
    std::printf("full repaint, 24 names on button images: median %.2f ms\n", MedianMs(50, paint));
    std::printf("first paint, 24 photos decoded (%d different pictures): median %.1f ms\n", contacts, first);
    return 0;
}
