#include "app/record/LumetraControllerTap.h"

#include "app/device/LumetraController.h"
#include "app/device/LumetraLaserModel.h"
#include "app/record/LumetraRecorder.h"

void LumetraControllerTap::attach(LumetraRecorder *recorder, LumetraController *controller)
{
    recorder->model()->attachController(controller);
    QObject::connect(controller, &LumetraController::sigAppendSettingsCommand, recorder,
                     &LumetraRecorder::recordControllerCommand);
}
