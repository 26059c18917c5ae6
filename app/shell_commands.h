#pragma once

#include <QString>

// Commands of the main window that other windows run (the "+" buttons beside pick lists run the
// dictionary items of the main menu). The main window installs itself; without it nothing happens.
class ShellCommands {
public:
    virtual ~ShellCommands() = default;
    // Runs the main-menu item of the dictionary table ("Position", "Trade", "Area", "Province", "City",
    // "Country", "DataSource").
    virtual void runDictionaryCommand(const QString& table) = 0;
};

void setShellCommands(ShellCommands* commands);
ShellCommands* shellCommands();
