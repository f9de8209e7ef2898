#include "device/LumetraLaserModel.h"

#include "device/LumetraController.h"
#include "device/LumetraResponseDecoder.h"

#include <algorithm>

Q_LOGGING_CATEGORY(lcLumetraLaserModel, "lumetra.device.model")

using namespace LumetraQuantityTable;

LumetraLaserModel::LumetraLaserModel(QObject *parent)
    : QObject(parent), m_clock([] { return QDateTime::currentMSecsSinceEpoch(); }), m_values(Count),
      m_ranges(Count), m_fed(Count, false)
{
    for (int id = 0; id < Count; ++id) {
        if (row(id).limits == Limits::Fixed)
            m_ranges[id] = {row(id).fixedMin, row(id).fixedMax, true};
    }
}

template <typename Sender, typename T>
void LumetraLaserModel::feed(Sender *sender, void (Sender::*signal)(T), int id, double scale)
{
    m_fed[id] = true;
    connect(sender, signal, this,
            [this, id, scale](T value) { setNumber(id, static_cast<double>(value) * scale); });
}

void LumetraLaserModel::attach(LumetraController *controller)
{
    attachDecoder(controller->responseDecoder());
    attachController(controller);
}

// The laser's own readings, converted to the unit the panel shows them in.
void LumetraLaserModel::attachDecoder(LumetraResponseDecoder *decoder)
{
    using D = LumetraResponseDecoder;
    constexpr double perThousand = 1.0 / 1000.0;
    constexpr double secondsToHours = 1.0 / 3600.0;
    feed(decoder, &D::siguiTmpChar2Changed, StatusByte);
    feed(decoder, &D::sigSystemStateChanged, LumetraQuantityTable::SystemState);
    feed(decoder, &D::sigPowerSetting_nJ_Changed, EnergySetpoint, perThousand);
    feed(decoder, &D::sigPowerSetting_percent_Changed, PowerPercent);
    feed(decoder, &D::sigfMeasuredLaserPowerChanged, MeasuredEnergy, perThousand);
    feed(decoder, &D::sigOutputFrequencyChanged, OutputRateReported);
    feed(decoder, &D::sigFrequencyIndexChanged, FrequencyIndex);
    feed(decoder, &D::sigDivisionFactorChanged, DivisionFactor);
    feed(decoder, &D::sigiModeOfOperationAOMChanged, AomMode);
    feed(decoder, &D::sigiShutterOnOffChanged, Shutter);
    feed(decoder, &D::sigiActualCurrentLDDChanged, DiodeCurrent);
    feed(decoder, &D::sigfTemperature_actual_1Changed, Temperature1);
    feed(decoder, &D::sigfTemperature_actual_2Changed, Temperature2);
    feed(decoder, &D::sigfTemperature_actual_3Changed, Temperature3);
    feed(decoder, &D::sigfTemperature_actual_4Changed, Temperature4);
    feed(decoder, &D::sigfTemperature_actual_5Changed, Temperature5);
    feed(decoder, &D::sigfTemperature_actual_6Changed, Temperature6);
    feed(decoder, &D::sigfTemperature_actual_7Changed, Temperature7);
    feed(decoder, &D::sigfTemperature_actual_8Changed, Temperature8);
    feed(decoder, &D::sigfTemperature_actual_9Changed, Temperature9);
    feed(decoder, &D::sigfTemperature_actual_10Changed, Temperature10);
    feed(decoder, &D::sigOven1TempActualChanged, Oven1Temperature);
    feed(decoder, &D::sigOven2TempActualChanged, Oven2Temperature);
    feed(decoder, &D::sigOven1TempSettingChanged, Oven1Setpoint);
    feed(decoder, &D::sigOven2TempSettingChanged, Oven2Setpoint);
    feed(decoder, &D::sigOvenModeChanged, OvenMode);
    feed(decoder, &D::sigHumidityActualChanged, Humidity);
    feed(decoder, &D::sigSHGOutputPowerChanged, ShgPower, perThousand);
    feed(decoder, &D::sigTHGOutputPowerChanged, ThgPower, perThousand);
    feed(decoder, &D::sigHGStatusFlagsChanged, HgStatusFlags);
    feed(decoder, &D::sigHGErrorcodeChanged, HgErrorCode);
    feed(decoder, &D::sigHGCrystalCurSpotChanged, CrystalSpot);
    feed(decoder, &D::sigHGCrystalCurRuntimeChanged, CrystalRuntime, secondsToHours);

    // The module type tells how its error codes and status flags read; its warning comes with a poll of
    // its status for as long as the cause lasts, and an acknowledged one that comes again is news again.
    m_fed[HgModuleType] = m_fed[HgModuleWarning] = true;
    connect(decoder, &D::sigsHGModuleType, this, [this](const QString &v) { setText(HgModuleType, v); });
    connect(decoder, &D::sigsHGModuleWarning, this,
            [this](const QString &v) { announce(HgModuleWarning, v); });

    m_fed[OnHours] = m_fed[EmissionHours] = true;
    connect(decoder, &D::sigiCounterLaserOnOff_hChanged, this, [this](int h) {
        m_onHours = h;
        setNumber(OnHours, m_onHours + m_onMinutes / 60.0);
    });
    connect(decoder, &D::sigiCounterLaserOnOff_mChanged, this, [this](int m) {
        m_onMinutes = m;
        setNumber(OnHours, m_onHours + m_onMinutes / 60.0);
    });
    connect(decoder, &D::sigiCounterLaserEmmisionOnOff_hChanged, this, [this](int h) {
        m_emissionHours = h;
        setNumber(EmissionHours, m_emissionHours + m_emissionMinutes / 60.0);
    });
    connect(decoder, &D::sigiCounterLaserEmmisionOnOff_mChanged, this, [this](int m) {
        m_emissionMinutes = m;
        setNumber(EmissionHours, m_emissionHours + m_emissionMinutes / 60.0);
    });

    // The same reports that make the controller poll a module's readings.
    // A laser names itself before its modules: whatever answered before is forgotten then.
    connect(decoder, &D::sigsLumetraTypeChanged, this, [this] { m_modules = Base; });
    connect(decoder, &D::sigExistsSHGModule, this, [this] { reportModule(Shg); });
    connect(decoder, &D::sigExistsSHGgModule, this, [this] { reportModule(Shg); });
    connect(decoder, &D::sigExistsTHGModule, this, [this] { reportModule(Thg); });
    connect(decoder, &D::sigExistsTHGiModule, this, [this] { reportModule(Thgi); });
}

// What the controller derives from the readings, as the panel shows it.
void LumetraLaserModel::attachController(LumetraController *controller)
{
    using C = LumetraController;
    constexpr double secondsToHours = 1.0 / 3600.0;
    feed(controller, &C::setPowerMeasuredIR_uJ, EnergyIR);
    feed(controller, &C::setPowerMeasuredGreen_uJ, EnergyGreen);
    feed(controller, &C::setPowerMeasuredUV_uJ, EnergyUV);
    feed(controller, &C::setOutputPowerIRMeasuredW, PowerIR);
    feed(controller, &C::setOutputPowerGreenMeasuredW, PowerGreen);
    feed(controller, &C::setOutputPowerUVMeasuredW, PowerUV);
    feed(controller, &C::setOutputRepRate, OutputRate);
    feed(controller, &C::setPowerOnIndicator, PowerOn);
    feed(controller, &C::setErrorIndicator, ErrorIndicator);
    feed(controller, &C::setWarningIndicator, WarningIndicator);
    feed(controller, &C::setListen, Listen);
    feed(controller, &C::setStandby, Standby);
    feed(controller, &C::setLaserOn, LaserOn);
    feed(controller, &C::setOutEnableOn, OutputEnabled);
    feed(controller, &C::setOvenFaultIndicator, OvenFault);
    feed(controller, &C::setHumidityFaultIndicator, HumidityFault);
    feed(controller, &C::setErrorcodeHGIndicator, HgErrorIndicator);
    feed(controller, &C::setRepRate, PulsePickerRate);
    feed(controller, &C::setWavelengthSelector, Wavelength);
    feed(controller, &C::setWavelengthSelectorCombo, HarmonicOutput);
    feed(controller, &C::setCrystalMaxRuntime, CrystalMaxRuntime, secondsToHours);

    m_fed[HgErrorText] = m_fed[SystemType] = m_fed[SerialNumber] = m_fed[FirmwareVersion] = true;
    connect(controller, &C::setErrorcodeHGMessage, this,
            [this](const QString &v) { setText(HgErrorText, v); });
    connect(controller, &C::setLumetraType, this, [this](const QString &v) { setText(SystemType, v); });
    connect(controller, &C::setSerialNumber, this, [this](const QString &v) { setText(SerialNumber, v); });
    connect(controller, &C::setFirmwareVersion, this,
            [this](const QString &v) { setText(FirmwareVersion, v); });

    connect(controller, &C::setPowerRange_uJ, this,
            [this](double a, double b) { setRange(EnergySetpoint, a, b); });
    connect(controller, &C::setPowerRangePercent, this,
            [this](double a, double b) { setRange(PowerPercent, a, b); });
    connect(controller, &C::setOven1TempSetpointRange, this,
            [this](double a, double b) { setRange(Oven1Setpoint, a, b); });
    connect(controller, &C::setOven2TempSetpointRange, this,
            [this](double a, double b) { setRange(Oven2Setpoint, a, b); });
    connect(controller, &C::setCrystalPositionRange, this,
            [this](int a, int b) { setRange(CrystalSpot, a, b); });
    connect(controller, &C::setRepRateSteps, this, &LumetraLaserModel::setRepetitionRates);
}

void LumetraLaserModel::attachReconnector(LumetraReconnector *reconnector, const QString &portName)
{
    m_reconnector = reconnector;
    m_portName = portName;
    connect(reconnector, &LumetraReconnector::stateChanged, this, [this](LumetraReconnector::State state) {
        // A loss ends the readings. Waiting and handshaking are no loss of their own: they follow one,
        // and the link reports readings of the laser that returned before the reconnection calls it
        // back, which must not be ended again (the decoder announces an unchanged value only once).
        using S = LumetraReconnector::State;
        if (state == S::Closed || state == S::Lost || state == S::Unavailable || state == S::OtherLaser)
            setLinkLive(false);
    });
}

void LumetraLaserModel::setPortName(const QString &portName)
{
    m_portName = portName;
}

void LumetraLaserModel::setLinkLive(bool live)
{
    const bool changedLink = live != m_live;
    m_live = live;
    QSet<int> ids;
    if (!live) {
        for (int id = 0; id < Count; ++id) {
            if (m_values[id].valid) {
                m_values[id].valid = false;
                ids.insert(id);
            }
        }
    }
    if (!ids.isEmpty())
        qCDebug(lcLumetraLaserModel) << "link ended:" << ids.size() << "values kept, no longer valid";
    if (changedLink)
        emit linkChanged(live);
    if (!ids.isEmpty())
        emit changed(ids);
}

void LumetraLaserModel::setNumber(int id, double value)
{
    Value &v = m_values[id];
    v.time = m_clock();
    if (v.known && v.valid && v.number == value)
        return;
    v.number = value;
    v.known = true;
    v.valid = true;
    emit changed({id});
}

void LumetraLaserModel::setText(int id, const QString &text)
{
    Value &v = m_values[id];
    v.time = m_clock();
    if (v.known && v.valid && v.text == text)
        return;
    v.text = text;
    v.known = true;
    v.valid = true;
    emit changed({id});
}

void LumetraLaserModel::setRange(int id, double min, double max)
{
    Range &r = m_ranges[id];
    if (r.known && r.min == min && r.max == max)
        return;
    r = {min, max, true};
    emit rangesChanged();
}

void LumetraLaserModel::setRepetitionRates(const QList<double> &rates)
{
    if (rates == m_rates)
        return;
    m_rates = rates;
    if (rates.isEmpty()) {
        m_ranges[PulsePickerRate] = {};
        emit rangesChanged();
        return;
    }
    const auto [lo, hi] = std::minmax_element(rates.cbegin(), rates.cend());
    m_ranges[PulsePickerRate] = {*lo, *hi, true};
    emit rangesChanged();
}

void LumetraLaserModel::announce(int id, const QString &text)
{
    Value &v = m_values[id];
    v.time = m_clock();
    v.text = text;
    v.known = true;
    v.valid = true;
    emit changed({id});
}

// A laser has one module port: the module it reports is the one fitted, whatever it reported before.
void LumetraLaserModel::reportModule(unsigned module)
{
    m_modules = Base | module;
    emit moduleReported();
}

LumetraOperatorState LumetraLaserModel::operatorState(const QDateTime &now) const
{
    using Link = LumetraReconnector::State;
    Link link = m_live ? Link::Connected : Link::Closed;
    QDateTime since;
    if (m_reconnector) {
        link = m_reconnector->state();
        since = m_reconnector->since();
        // The reconnector counts a port as connected from its handshake; the readings only once the
        // laser answered it.
        if (link == Link::Connected && !m_live)
            link = Link::Handshake;
    }
    // While the laser answers only what it said on this connection counts; once it is quiet, what it
    // said last is told as such.
    const bool live = link == Link::Connected;
    const auto reported = [this, live](int id) {
        return m_values[id].known && (m_values[id].valid || !live);
    };
    LumetraOperatorState::Report report;
    if (reported(StatusByte)) {
        report.statusByte = int(m_values[StatusByte].number);
        report.time = QDateTime::fromMSecsSinceEpoch(m_values[StatusByte].time);
    }
    if (reported(LumetraQuantityTable::SystemState))
        report.systemState = int(m_values[LumetraQuantityTable::SystemState].number);
    return LumetraOperatorState::evaluate(link, m_portName, since, report, now);
}
