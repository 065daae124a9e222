#include "resources/resource.h"
#include "shell/tray_controller.h"

void TrayController::ShowMenu() {}

LRESULT TrayController::OnCommand(WORD, WORD, LPARAM)
{
    return 1;
}
