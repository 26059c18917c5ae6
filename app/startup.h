#pragma once

#include <QString>

// The run of the program inside an existing application object: the data module on Account.Ini
// (iniPath, by default the one beside the executable), the main window and the wait window, then the
// message loop. Returns the process's exit status: 1 when the database cannot be reached.
int runApplication(const QString& iniPath = QString());
