#include "app/record/LumetraControllerTap.h"

#include "app/device/LumetraController.h"
#include "app/record/LumetraRecordQuantities.h"
#include "app/record/LumetraRecorder.h"

namespace {

template <typename T>
void tap(LumetraRecorder *recorder, LumetraController *controller, void (LumetraController::*signal)(T),
         const char *key)
{
    const int q = LumetraRecordQuantities::indexOf(QLatin1String(key));
    Q_ASSERT_X(q >= 0, "LumetraControllerTap", key);
    QObject::connect(controller, signal, recorder,
                     [recorder, q](T value) { recorder->record(q, static_cast<double>(value)); });
}

} // namespace

void LumetraControllerTap::attach(LumetraRecorder *recorder, LumetraController *controller)
{
    using C = LumetraController;
    tap(recorder, controller, &C::setPowerMeasuredIR_uJ, "ctl.energy_ir");
    tap(recorder, controller, &C::setPowerMeasuredGreen_uJ, "ctl.energy_green");
    tap(recorder, controller, &C::setPowerMeasuredUV_uJ, "ctl.energy_uv");
    tap(recorder, controller, &C::setOutputPowerIRMeasuredW, "ctl.power_ir");
    tap(recorder, controller, &C::setOutputPowerGreenMeasuredW, "ctl.power_green");
    tap(recorder, controller, &C::setOutputPowerUVMeasuredW, "ctl.power_uv");
    tap(recorder, controller, &C::setOutputRepRate, "ctl.output_rate");
    tap(recorder, controller, &C::setPowerOnIndicator, "ctl.power_on");
    tap(recorder, controller, &C::setErrorIndicator, "ctl.error");
    tap(recorder, controller, &C::setWarningIndicator, "ctl.warning");
    tap(recorder, controller, &C::setListen, "ctl.listen");
    tap(recorder, controller, &C::setStandby, "ctl.standby");
    tap(recorder, controller, &C::setLaserOn, "ctl.laser_on");
    tap(recorder, controller, &C::setOutEnableOn, "ctl.output_enabled");
    tap(recorder, controller, &C::setOvenFaultIndicator, "ctl.oven_fault");
    tap(recorder, controller, &C::setHumidityFaultIndicator, "ctl.humidity_fault");
    tap(recorder, controller, &C::setErrorcodeHGIndicator, "ctl.hg_error");
    QObject::connect(controller, &C::sigAppendSettingsCommand, recorder,
                     &LumetraRecorder::recordControllerCommand);
}
