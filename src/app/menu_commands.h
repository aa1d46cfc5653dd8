#pragma once
#include "app/main_context.h"
#include "app/menu_tree.h"

namespace uptrail {

// Runs the handler of a chosen menu item.
void RunMenuCommand(MainContext& context, const MenuCommand& command);

}  // namespace uptrail
