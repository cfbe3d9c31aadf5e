#pragma once
// What the program sets up for itself on a desktop, where no phone image installed it: run before the
// main window reads any setting.
//  - The very first start on a machine (no key HKEY_CURRENT_USER\Software\Orvanix\PIM yet) imports the
//    demo layout "DemoLayout.reg" beside the executable: two pages of the sample contacts, with dial
//    numbers and number kinds shown, so a newcomer sees what the program does. Later starts never
//    import it again, so a layout of the user's own (even an emptied one) is never touched.
//  - While the setting "ProgramPath" is empty, it names the contact viewer "contactview.exe" beside the
//    executable, when that is there.
void SetUpDesktop();
