// A front-end file that includes what front-ends may: it compiles.
#include "platform/fence.h"
#include "settings/dialog_controller.h"
#include "viewer/controller.h"

int ProbeController() { return static_cast<int>(viewer::TViewerController::TakesKeys(viewer::TView::vwTree)); }
