#pragma once

#include "app/color_table.h"
#include "app/inventory_model.h"
#include "app/master_catalogue.h"
#include "app/stored_folders.h"
#include "ldraw/ldraw_view.h"
#include "platform/ini.h"
#include "platform/user_prompts.h"

// What the program's windows share, made by main() before any window and outliving them all: the settings
// file ("Tessarin.ini" of the data folder), colour table, master catalogue, part renderer, picture folders,
// inventory and prompts. Each window is handed the parts it uses.
struct AppContext {
    // The Qt prompts in the program, the test's own in tests.
    explicit AppContext(UserPrompts& prompts);
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    // Reads colors.txt of the data folder; what is wrong with it goes to the prompts.
    void LoadColours();
    UserPrompts& Prompts() const { return prompts_; }

    IniFile settings;
    ColorTable colours;
    MasterCatalogue master;
    LDrawRenderer renderer;
    StoredFolders folders{settings};
    InventoryModel inventory;

  private:
    UserPrompts& prompts_;
};
