#pragma once
// A temporary way to reach the dialogs from the run command until the menus lead to them: started with
// "/rename" or "/sms", the program runs the rename command or the send-SMS command (the stock-text
// dialog, which sends the chosen text) for the button in the lowest cell once its screen is up.
#include "mainscreen/MainWindow.h"

// Runs the command that commandLine names, if it names one.
void RunDialogPreview(MainWindow& main, const wchar_t* commandLine);
