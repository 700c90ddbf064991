#include "app/app_context.h"

#include "platform/fs.h"

AppContext::AppContext(UserPrompts& prompts) : settings(DataDir() / "Tessarin.ini"), prompts_(prompts) {
    inventory.UseColours(&colours);
}

void AppContext::LoadColours() {
    for (const QString& message : colours.Load(DataDir() / "colors.txt"))
        Prompts().Show(message);
}
