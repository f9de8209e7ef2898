#include "record/LumetraControllerTap.h"

#include "device/LumetraController.h"
#include "device/LumetraLaserModel.h"
#include "record/LumetraRecorder.h"

void LumetraControllerTap::attach(LumetraRecorder *recorder, LumetraController *controller)
{
    recorder->model()->attachController(controller);
    QObject::connect(controller, &LumetraController::sigAppendSettingsCommand, recorder,
                     &LumetraRecorder::recordControllerCommand);
}
