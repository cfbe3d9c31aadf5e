#pragma once
// A temporary way to reach the dialogs from the run command until the menus lead to them: started with
// "/rename", the program opens the rename dialog for the first bound button once its screen is up.
#include "mainscreen/MainWindow.h"

// Runs the dialog that commandLine names, if it names one.
void RunDialogPreview(MainWindow& main, const wchar_t* commandLine);
