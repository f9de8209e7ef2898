#include "device/LumetraResponseDecoder.h"

#include <cfloat>
#include <climits>
#include <cmath>

Q_LOGGING_CATEGORY(lcLumetraResponseDecoder, "lumetra.device.decoder")

namespace {

// The laser's pulse clock in kHz; a division base value divides it down to the repetition rate.
constexpr double pulseClock_kHz = 80000.0;

// A laser lists eight repetition rates (sixteen power rows); rows for further rates beyond this many
// come from a faulty device or line noise and are dropped, so a runaway listing cannot grow the tables.
constexpr int maxListedFrequencies = 64;

// Whether a row for this frequency index still fits its table.
bool fitsListing(const QMap<int, double> &table, int index)
{
    return table.size() < maxListedFrequencies || table.contains(index);
}

} // namespace

LumetraResponseDecoder::LumetraResponseDecoder(QObject *parent) : QObject(parent)
{
    registerMetaTypes();
    m_s6.resize(s6Layout().size());
    m_s7.resize(s7Layout().size());
    m_s8.resize(s8Layout().size());
    m_s9.resize(s9Layout().size());
    resetPublished();
}

LumetraResponseDecoder::~LumetraResponseDecoder() = default;

void LumetraResponseDecoder::registerMetaTypes()
{
    static const bool registered = [] {
        qRegisterMetaType<SystemState>("SystemState");
        qRegisterMetaType<QMap<int, double>>("QMap<int,double>");
        qRegisterMetaType<QMap<int, quint64>>("QMap<int,quint64>");
        qRegisterMetaType<QList<double>>("QList<double>");
        qRegisterMetaType<quint8>("quint8");
        qRegisterMetaType<quint16>("quint16");
        qRegisterMetaType<quint64>("quint64");
        return true;
    }();
    Q_UNUSED(registered)
}

double LumetraResponseDecoder::outputFrequency(double baseValue, int divisionFactor)
{
    if (!(baseValue > 0.0) || divisionFactor <= 0) {
        return 0.0;
    }
    const double frequency = pulseClock_kHz / baseValue / divisionFactor;
    return std::isfinite(frequency) ? frequency : 0.0;
}

// ---------------------------------------------------------------------------------------------------
// Status record layouts: position in the record, value type and the signal that announces it.

#define LRD_INT(sig)                                                                                         \
    {                                                                                                        \
        FieldType::Int, &LumetraResponseDecoder::sig, nullptr, nullptr                                       \
    }
#define LRD_DBL(sig)                                                                                         \
    {                                                                                                        \
        FieldType::Double, nullptr, &LumetraResponseDecoder::sig, nullptr                                    \
    }
#define LRD_HEX8(sig)                                                                                        \
    {                                                                                                        \
        FieldType::Hex8, nullptr, nullptr, &LumetraResponseDecoder::sig                                      \
    }

const LumetraResponseDecoder::RecordLayout &LumetraResponseDecoder::s6Layout()
{
    static const RecordLayout layout = {
        LRD_INT(sigiCounterLaserOnOff_hChanged),         LRD_INT(sigiCounterLaserOnOff_mChanged),
        LRD_INT(sigiCounterLaserEmmisionOnOff_hChanged), LRD_INT(sigiCounterLaserEmmisionOnOff_mChanged),
        LRD_INT(sigiTEC_initialisationChanged),          LRD_INT(sigiLDD_initialisationChanged),
        LRD_INT(sigiDownload_lin12b_status_TBChanged),   LRD_INT(sigiDownload_wrnmin_status_TBChanged),
        LRD_INT(sigiDownload_errmax_status_TBChanged),   LRD_INT(sigiDownload_errmin_status_TBChanged),
        LRD_INT(sigiDownload_wrnmax_status_TBChanged),   LRD_INT(sigiOperationModeChanged),
    };
    return layout;
}

const LumetraResponseDecoder::RecordLayout &LumetraResponseDecoder::s7Layout()
{
    static const RecordLayout layout = {
        LRD_INT(sigiLaserEmmisionChanged),
        LRD_INT(sigiModeOfOperationAOMChanged),
        LRD_INT(sigiShutterOnOffChanged),
        LRD_INT(sigiLumetraQZReadyChanged),
        LRD_INT(sigiLaserPowerSetAOMChanged),
        LRD_INT(sigiFrequencyDividerAOMChanged),
        LRD_INT(sigiFrequencyIndexPCAOMinitChanged),
        LRD_DBL(sigfMeasuredLaserPowerChanged),
        LRD_INT(sigiNoOfPulsesSingleBurstChanged),
        LRD_INT(sigiGeneral_temperature_statusChanged),
        LRD_INT(sigiTemperature_status_1Changed),
        LRD_INT(sigiTemperature_status_8Changed),
        LRD_INT(sigiDELAY_BOARD_ERRORChanged),
        LRD_INT(sigiErrorStatusTECChanged),
        LRD_INT(sigiErrorStatusLDDChanged),
        LRD_INT(sigiWavelenghtLQZChanged),
    };
    return layout;
}

const LumetraResponseDecoder::RecordLayout &LumetraResponseDecoder::s8Layout()
{
    static const RecordLayout layout = {
        LRD_INT(sigiLpcl_en_statusChanged),      LRD_INT(sigiLpcl_boost_timeChanged),
        LRD_DBL(sigfLpcl_currentChanged),        LRD_DBL(sigfLpcl_current_boostChanged),
        LRD_DBL(sigfLpcl_temperatureChanged),    LRD_DBL(sigfTmpFloatValueAChanged),
        LRD_DBL(sigfTmpFloatValueBChanged),      LRD_DBL(sigfTmpFloatValueCChanged),
        LRD_INT(sigiComm_device_1_RS485Changed), LRD_INT(sigiComm_device_2_RS485Changed),
        LRD_INT(sigiActualCurrentLDDChanged),
        LRD_DBL(sigfLdd1_om2_MaxCurrentChanged), // only in the longer form of the record
    };
    return layout;
}

#define LRD_SENSOR(n)                                                                                        \
    LRD_DBL(sigfTemperature_set_##n##Changed), LRD_DBL(sigfTemperature_actual_##n##Changed),                 \
        LRD_DBL(sigfTemperature_min_##n##Changed), LRD_DBL(sigfTemperature_max_##n##Changed)

const LumetraResponseDecoder::RecordLayout &LumetraResponseDecoder::s9Layout()
{
    static const RecordLayout layout = {
        LRD_SENSOR(1),
        LRD_SENSOR(2),
        LRD_SENSOR(3),
        LRD_SENSOR(4),
        LRD_SENSOR(5),
        LRD_SENSOR(6),
        LRD_SENSOR(7),
        LRD_SENSOR(8),
        LRD_SENSOR(9),
        LRD_SENSOR(10),
        LRD_HEX8(siguiTmpChar2Changed),
    };
    return layout;
}

#undef LRD_SENSOR
#undef LRD_HEX8
#undef LRD_DBL
#undef LRD_INT

// ---------------------------------------------------------------------------------------------------

template <typename T> bool LumetraResponseDecoder::takeIfChanged(Tracked<T> &value, bool forceEmit)
{
    if (!forceEmit && value.published && *value.published == value.current) {
        return false;
    }
    value.published = value.current;
    return true;
}

void LumetraResponseDecoder::publishRecord(const RecordLayout &layout, RecordValues &values, int count,
                                           bool forceEmit)
{
    for (int i = 0; i < count && i < layout.size() && i < values.size(); ++i) {
        if (!takeIfChanged(values[i], forceEmit)) {
            continue;
        }
        const RecordField &field = layout.at(i);
        const double value = *values.at(i).published;
        switch (field.type) {
        case FieldType::Int:
            emit(this->*field.intSignal)(static_cast<int>(value));
            break;
        case FieldType::Double:
            emit(this->*field.doubleSignal)(value);
            break;
        case FieldType::Hex8:
            emit(this->*field.byteSignal)(static_cast<uchar>(value));
            break;
        }
    }
}

void LumetraResponseDecoder::resetPublished()
{
    for (Tracked<QString> *text : {&m_systemType,
                                   &m_hardwareVersion,
                                   &m_firmwareVersion,
                                   &m_applicationName,
                                   &m_compiledOn,
                                   &m_serialNumber,
                                   &m_lddHardware,
                                   &m_lddSoftware,
                                   &m_lddRevision,
                                   &m_tecHardware,
                                   &m_tecSoftware,
                                   &m_tecRevision,
                                   &m_timingBoardSerial,
                                   &m_timingBoardMCU,
                                   &m_timingBoardFPGA,
                                   &m_deviceOnHours,
                                   &m_deviceOnMinutes,
                                   &m_emissionHours,
                                   &m_emissionMinutes,
                                   &m_moduleAddress,
                                   &m_moduleType,
                                   &m_moduleFirmwareVersion,
                                   &m_moduleBootloaderVersion,
                                   &m_moduleSerialNumber,
                                   &m_modulePCBSerialNumber}) {
        text->published.reset();
    }

    for (RecordValues *record : {&m_s6, &m_s7, &m_s8, &m_s9}) {
        for (Tracked<double> &value : *record) {
            value.published.reset();
        }
    }

    m_debuggingEnabled.published.reset();
    m_systemState.published = SystemStateUnknown;

    m_powerSetpoint_nJ.published = QString();
    m_powerSetpoint_Percent.published = QString();
    m_powerMin_nJ.published = QMap<int, double>();
    m_powerMax_nJ.published = QMap<int, double>();
    m_frequencyDivList.published = QMap<int, double>();
    m_crystalAllRuntimes.published = QMap<int, quint64>();

    for (Tracked<int> *number :
         {&m_frequencyIndex, &m_divisionFactor, &m_aomEnabled, &m_ovenMode, &m_humidity, &m_piezoPosition,
          &m_digitalGate, &m_dynamicWavelengthEnabled, &m_dynamicWavelengthSupported, &m_crystalCurSpot}) {
        number->published.reset();
    }
    for (Tracked<double> *number :
         {&m_oven1Setpoint, &m_oven1Min, &m_oven1Max, &m_oven2Setpoint, &m_oven2Min, &m_oven2Max,
          &m_oven1Actual, &m_oven2Actual, &m_dynamicWLS_IR, &m_dynamicWLS_Green, &m_dynamicWLS_UV,
          &m_dynamicWLS_DUV, &m_shgOutputPower, &m_thgOutputPower}) {
        number->published.reset();
    }
    m_hgStatusFlags.published.reset();
    m_hgErrorcode.published.reset();
    m_hgOutputConfig.published.reset();
    m_hgRuntime.published.reset();
    m_crystalCurRuntime.published.reset();
    m_crystalMaxRuntime.published.reset();
}

double LumetraResponseDecoder::currentOutputFrequency() const
{
    // Until a division factor has been read since the last disconnection there is no rate to tell.
    if (!m_frequencyIndex.published || !m_frequencyDivList.published) {
        return 0.0;
    }
    return outputFrequency(m_frequencyDivList.published->value(*m_frequencyIndex.published, 0.0),
                           m_divisionFactor.published.value_or(0));
}

void LumetraResponseDecoder::publishListings()
{
    if (m_droppedListingRows > 0) {
        qCDebug(lcLumetraResponseDecoder) << "listing too long:" << m_droppedListingRows << "rows dropped";
        m_droppedListingRows = 0;
    }
    if (m_powerRowsPending) {
        m_powerRowsPending = false;
        publish_PowerSetpoint_nJ_Range();
    }
    if (m_divisionRowsPending) {
        m_divisionRowsPending = false;
        publish_FrequencyDivList();
    }
}

// ---------------------------------------------------------------------------------------------------

void LumetraResponseDecoder::slotLineReceived(QByteArray lineData)
{
    const LumetraParsedLine line =
        m_grammar.parse(lineData, {m_firmwareVersion.published.value_or(QString()), m_powerListingOpen});
    if (!line.kind) {
        return;
    }
    // Any other line ends a listing in progress: its rows are announced before this line is applied.
    if (!line.listingRow) {
        publishListings();
    }
    switch (line.outcome) {
    case LumetraParsedLine::Outcome::Read:
        apply(line);
        break;
    case LumetraParsedLine::Outcome::NoMatch:
        qCDebug(lcLumetraResponseDecoder) << "kind" << line.kind << "does not match" << lineData;
        emit sigParsingError(lineData);
        break;
    case LumetraParsedLine::Outcome::Unreadable:
        qCDebug(lcLumetraResponseDecoder) << "kind" << line.kind << "cannot read" << lineData;
        emit sigParsingError(lineData);
        break;
    }
}

void LumetraResponseDecoder::slotConnectedStatus(bool connected)
{
    if (connected) {
        return;
    }
    qCDebug(lcLumetraResponseDecoder) << "disconnected: every value will be announced again";
    // Rows read before the cut were received: they are announced before the reset, as any reading is.
    publishListings();
    resetPublished();
    // A listing cut off by the disconnection cannot continue; the next one starts with its own echo.
    m_powerListingOpen = false;
}

// ---------------------------------------------------------------------------------------------------
// Applying what the grammar read

void LumetraResponseDecoder::apply(const LumetraParsedLine &line)
{
    // All values of a line are kept before their publisher runs: a publisher announces a range and its
    // set-point, or the parts of an identification line, together.
    void (LumetraResponseDecoder::*pending)(bool) = nullptr;
    for (const LumetraParsedLine::Entry &entry : line.entries) {
        const FieldSlot &slot = slotOf(entry.field);
        if (pending && pending != slot.publish) {
            (this->*pending)(false);
        }
        (this->*slot.apply)(entry.value);
        pending = slot.publish;
    }
    if (pending) {
        (this->*pending)(false);
    }
}

const LumetraResponseDecoder::FieldSlot &LumetraResponseDecoder::slotOf(LumetraParsedLine::Field field)
{
    using F = LumetraParsedLine::Field;
    using D = LumetraResponseDecoder;
    struct Row
    {
        F field;
        FieldSlot slot;
    };
    // Fields without a publisher announce themselves when kept, or are rows of a listing, announced
    // together when the listing ends.
    // clang-format off
    static const QVector<Row> rows = {
        {F::SystemType, &D::keep<&D::m_systemType>, &D::publish_ly_system_info_Lumetra},
        {F::HardwareVersion, &D::keep<&D::m_hardwareVersion>, &D::publish_ly_system_info_Lumetra},
        {F::FirmwareVersion, &D::keep<&D::m_firmwareVersion>, &D::publish_ly_system_info_Lumetra},
        {F::ApplicationName, &D::keep<&D::m_applicationName>, &D::publish_ly_system_info_SW_MAIN},
        {F::CompiledOn, &D::keep<&D::m_compiledOn>, &D::publish_ly_system_info_Compiled_on},
        {F::SerialNumber, &D::keep<&D::m_serialNumber>, &D::publish_ly_system_info_Serial_number},
        {F::LddHardware, &D::keep<&D::m_lddHardware>, &D::publish_ly_system_info_LLD_device},
        {F::LddSoftware, &D::keep<&D::m_lddSoftware>, &D::publish_ly_system_info_LLD_device},
        {F::LddRevision, &D::keep<&D::m_lddRevision>, &D::publish_ly_system_info_LLD_device},
        {F::TecHardware, &D::keep<&D::m_tecHardware>, &D::publish_ly_system_info_TEC_device},
        {F::TecSoftware, &D::keep<&D::m_tecSoftware>, &D::publish_ly_system_info_TEC_device},
        {F::TecRevision, &D::keep<&D::m_tecRevision>, &D::publish_ly_system_info_TEC_device},
        {F::TimingBoardSerial, &D::keep<&D::m_timingBoardSerial>, &D::publish_ly_system_info_Timing_Board},
        {F::TimingBoardMCU, &D::keep<&D::m_timingBoardMCU>, &D::publish_ly_system_info_Timing_Board},
        {F::TimingBoardFPGA, &D::keep<&D::m_timingBoardFPGA>, &D::publish_ly_system_info_Timing_Board},
        {F::DeviceOnHours, &D::keep<&D::m_deviceOnHours>, &D::publish_ly_system_info_DeviceOnTime},
        {F::DeviceOnMinutes, &D::keep<&D::m_deviceOnMinutes>, &D::publish_ly_system_info_DeviceOnTime},
        {F::EmissionHours, &D::keep<&D::m_emissionHours>, &D::publish_ly_system_info_EmissionTime},
        {F::EmissionMinutes, &D::keep<&D::m_emissionMinutes>, &D::publish_ly_system_info_EmissionTime},
        {F::ModuleAddress, &D::keep<&D::m_moduleAddress>, &D::publish_ls_info_ModuleAddrType},
        {F::ModuleType, &D::keep<&D::m_moduleType>, &D::publish_ls_info_ModuleAddrType},
        {F::ModuleFirmwareVersion, &D::keep<&D::m_moduleFirmwareVersion>, &D::publish_ls_info_FirmwareVersion},
        {F::ModuleBootloaderVersion, &D::keep<&D::m_moduleBootloaderVersion>, &D::publish_ls_info_BootladerVersion},
        {F::ModuleSerialNumber, &D::keep<&D::m_moduleSerialNumber>, &D::publish_ls_info_ModuleSerialNumber},
        {F::ModulePCBSerialNumber, &D::keep<&D::m_modulePCBSerialNumber>, &D::publishPCBSerialNumberAndModule},
        {F::RecordS6, &D::keepRecord<&D::m_s6>, &D::publish_s6},
        {F::RecordS7, &D::keepRecord<&D::m_s7>, &D::publish_s7},
        {F::RecordS8, &D::keepRecord<&D::m_s8>, &D::publish_s8},
        {F::RecordS9, &D::keepRecord<&D::m_s9>, &D::publish_s9},
        {F::DebuggingEnabled, &D::keepDebugging, nullptr},
        {F::SystemState, &D::keep<&D::m_systemState>, &D::publish_SystemState},
        {F::PowerSetpoint_nJ, &D::keep<&D::m_powerSetpoint_nJ>, &D::publish_PowerSetpoint_nJ},
        {F::PowerSetpoint_Percent, &D::keep<&D::m_powerSetpoint_Percent>, &D::publish_PowerSetpoint_Percent},
        {F::FrequencyIndex, &D::keep<&D::m_frequencyIndex>, &D::publish_FrequencyIndex},
        {F::DivisionFactor, &D::keep<&D::m_divisionFactor>, &D::publish_DivisionFactor},
        {F::AOMEnabled, &D::keep<&D::m_aomEnabled>, &D::publish_AOMStatus},
        {F::OvenMode, &D::keep<&D::m_ovenMode>, &D::publish_OvenMode},
        {F::Oven1Setpoint, &D::keep<&D::m_oven1Setpoint>, &D::publish_Oven1TemperatureSetpoint},
        {F::Oven1Min, &D::keep<&D::m_oven1Min>, &D::publish_Oven1TemperatureSetpoint},
        {F::Oven1Max, &D::keep<&D::m_oven1Max>, &D::publish_Oven1TemperatureSetpoint},
        {F::Oven2Setpoint, &D::keep<&D::m_oven2Setpoint>, &D::publish_Oven2TemperatureSetpoint},
        {F::Oven2Min, &D::keep<&D::m_oven2Min>, &D::publish_Oven2TemperatureSetpoint},
        {F::Oven2Max, &D::keep<&D::m_oven2Max>, &D::publish_Oven2TemperatureSetpoint},
        {F::Oven1Actual, &D::keep<&D::m_oven1Actual>, &D::publish_Oven1TemperatureActual},
        {F::Oven2Actual, &D::keep<&D::m_oven2Actual>, &D::publish_Oven2TemperatureActual},
        {F::Humidity, &D::keep<&D::m_humidity>, &D::publish_HumidityActual},
        {F::PiezoPosition, &D::keep<&D::m_piezoPosition>, &D::publish_PiezoPositionSetting},
        {F::DigitalGate, &D::keep<&D::m_digitalGate>, &D::publish_DigitalGateSetting},
        {F::DynamicWavelengthEnabled, &D::keep<&D::m_dynamicWavelengthEnabled>, &D::publish_DynamicWavelengthEnabled},
        {F::DynamicWavelengthSupported, &D::keep<&D::m_dynamicWavelengthSupported>, &D::publish_DynamicWavelengthSupport},
        {F::DynamicWLS_IR, &D::keep<&D::m_dynamicWLS_IR>, &D::publish_DynamicWLS_IR},
        {F::DynamicWLS_Green, &D::keep<&D::m_dynamicWLS_Green>, &D::publish_DynamicWLS_Green},
        {F::DynamicWLS_UV, &D::keep<&D::m_dynamicWLS_UV>, &D::publish_DynamicWLS_UV},
        {F::DynamicWLS_DUV, &D::keep<&D::m_dynamicWLS_DUV>, &D::publish_DynamicWLS_DUV},
        {F::SHGOutputPower, &D::keep<&D::m_shgOutputPower>, &D::publish_SHGOutputPower},
        {F::THGOutputPower, &D::keep<&D::m_thgOutputPower>, &D::publish_THGOutputPower},
        {F::HGStatusFlags, &D::keep<&D::m_hgStatusFlags>, &D::publish_HGStatusFlags},
        {F::HGErrorcode, &D::keep<&D::m_hgErrorcode>, &D::publish_HGErrorcode},
        {F::HGOutputConfig, &D::keep<&D::m_hgOutputConfig>, &D::publish_HGOutputConfig},
        {F::HGRuntime, &D::keep<&D::m_hgRuntime>, &D::publish_HGRuntime},
        {F::CrystalCurSpot, &D::keep<&D::m_crystalCurSpot>, &D::publish_HGCrystalCurSpot},
        {F::CrystalCurRuntime, &D::keep<&D::m_crystalCurRuntime>, &D::publish_HGCrystalCurRuntime},
        {F::CrystalMaxRuntime, &D::keep<&D::m_crystalMaxRuntime>, &D::publish_HGCrystalMaxRuntime},
        {F::CrystalAllRuntimes, &D::keep<&D::m_crystalAllRuntimes>, &D::publish_HGCrystalAllRuntimes},
        {F::PowerListingOpen, &D::keepListingOpen, nullptr},
        {F::PowerMinRow, &D::keepPowerMinRow, nullptr},
        {F::PowerMaxRow, &D::keepPowerMaxRow, nullptr},
        {F::DivisionRow, &D::keepDivisionRow, nullptr},
        {F::ShutterWarning, &D::reportShutterWarning, nullptr},
        {F::Unhandled, &D::reportUnhandled, nullptr},
    };
    // clang-format on
    // Looked up by field for every value read.
    static const QVector<FieldSlot> byField = [] {
        QVector<FieldSlot> table(int(F::Unhandled) + 1, FieldSlot{nullptr, nullptr});
        for (const Row &row : rows) {
            table[int(row.field)] = row.slot;
        }
        for (int i = 0; i < table.size(); ++i) {
            if (!table.at(i).apply) {
                qFatal("LumetraResponseDecoder: parsed field %d has no place to be kept", i);
            }
        }
        return table;
    }();
    return byField.at(int(field));
}

// The grammar gives each field in the type its member keeps; a mismatch is a fault in the tables and
// throws rather than keeping a wrong value.
template <auto member> void LumetraResponseDecoder::keep(const Value &value)
{
    auto &tracked = this->*member;
    tracked.current = std::get<decltype(tracked.current)>(value);
}

// A record read in its short form leaves the values it does not carry as they were.
template <auto record> void LumetraResponseDecoder::keepRecord(const Value &value)
{
    const QVector<double> &read = std::get<QVector<double>>(value);
    RecordValues &values = this->*record;
    for (int i = 0; i < read.size() && i < values.size(); ++i) {
        values[i].current = read.at(i);
    }
    if (&values == &m_s8) {
        m_s8HasMaxCurrent = read.size() == values.size();
    }
}

void LumetraResponseDecoder::keepDebugging(const Value &value)
{
    // Announced every time: the controller answers each report by switching the output off.
    const bool enabled = std::get<bool>(value);
    m_debuggingEnabled.current = enabled;
    m_debuggingEnabled.published = enabled;
    emit sigDebuggingStatusChanged(enabled);
}

void LumetraResponseDecoder::keepListingOpen(const Value &value)
{
    m_powerListingOpen = std::get<bool>(value);
}

void LumetraResponseDecoder::keepPowerMinRow(const Value &value)
{
    const auto row = std::get<LumetraParsedLine::Row>(value);
    // The first minimum starts the listing again: limits of rates it no longer lists must not stay.
    if (row.index == 0) {
        m_powerMin_nJ.current.clear();
        m_powerMax_nJ.current.clear();
    }
    if (!fitsListing(m_powerMin_nJ.current, row.index)) {
        ++m_droppedListingRows;
        return;
    }
    m_powerMin_nJ.current.insert(row.index, row.value);
    m_powerRowsPending = true;
}

void LumetraResponseDecoder::keepPowerMaxRow(const Value &value)
{
    const auto row = std::get<LumetraParsedLine::Row>(value);
    if (!fitsListing(m_powerMax_nJ.current, row.index)) {
        ++m_droppedListingRows;
        return;
    }
    m_powerMax_nJ.current.insert(row.index, row.value);
    m_powerRowsPending = true;
}

void LumetraResponseDecoder::keepDivisionRow(const Value &value)
{
    const auto row = std::get<LumetraParsedLine::Row>(value);
    QMap<int, double> &table = m_frequencyDivList.current;
    if (row.index == 0) {
        table.clear();
    }
    if (!fitsListing(table, row.index)) {
        ++m_droppedListingRows;
        return;
    }
    table.insert(row.index, row.value);
    m_divisionRowsPending = true;
}

void LumetraResponseDecoder::reportShutterWarning(const Value &)
{
    emit sigsHGModuleWarning(tr("Shutter in wrong position"));
}

void LumetraResponseDecoder::reportUnhandled(const Value &value)
{
    const QByteArray &lineData = std::get<QByteArray>(value);
    qCDebug(lcLumetraResponseDecoder) << "unhandled line" << lineData;
    emit sigUnhandledLineData(lineData);
}

void LumetraResponseDecoder::publishPCBSerialNumberAndModule(bool forceEmit)
{
    publish_ls_info_PCBSerialNumber(forceEmit);
    // The last line of the module block: the module type read before it tells which module is fitted.
    const QString &type = m_moduleType.current;
    if (type.contains(QLatin1String("0x86"))) {
        emit sigExistsSHGModule(true);
    } else if (type.contains(QLatin1String("0x8d"))) {
        emit sigExistsTHGModule(true);
    } else if (type.contains(QLatin1String("0x90"))) {
        emit sigExistsSHGgModule(true);
    } else if (type.contains(QLatin1String("0x93"))) {
        emit sigExistsTHGiModule(true);
    }
}

// ---------------------------------------------------------------------------------------------------
// Publishers

void LumetraResponseDecoder::publish_ly_system_info_Lumetra(bool forceEmit)
{
    if (takeIfChanged(m_systemType, forceEmit)) {
        emit sigsLumetraTypeChanged(*m_systemType.published);
    }
    if (takeIfChanged(m_hardwareVersion, forceEmit)) {
        emit sigsHardwareVersionChanged(*m_hardwareVersion.published);
    }
    if (takeIfChanged(m_firmwareVersion, forceEmit)) {
        emit sigsFirmwareVersionChanged(*m_firmwareVersion.published);
    }
}

void LumetraResponseDecoder::publish_ly_system_info_SW_MAIN(bool forceEmit)
{
    if (takeIfChanged(m_applicationName, forceEmit)) {
        emit sigsApplicationNameChanged(*m_applicationName.published);
    }
}

void LumetraResponseDecoder::publish_ly_system_info_Compiled_on(bool forceEmit)
{
    if (takeIfChanged(m_compiledOn, forceEmit)) {
        emit sigsCompilationDateTimeChanged(*m_compiledOn.published);
    }
}

void LumetraResponseDecoder::publish_ly_system_info_Serial_number(bool forceEmit)
{
    if (takeIfChanged(m_serialNumber, forceEmit)) {
        emit sigsSerialNumberChanged(*m_serialNumber.published);
    }
}

void LumetraResponseDecoder::publish_ly_system_info_LLD_device(bool forceEmit)
{
    if (takeIfChanged(m_lddHardware, forceEmit)) {
        emit sigsLDDDeviceHardwareChanged(*m_lddHardware.published);
    }
    if (takeIfChanged(m_lddSoftware, forceEmit)) {
        emit sigsLDDDeviceSoftwareChanged(*m_lddSoftware.published);
    }
    if (takeIfChanged(m_lddRevision, forceEmit)) {
        emit sigsLDDDeviceRevisionChanged(*m_lddRevision.published);
    }
}

void LumetraResponseDecoder::publish_ly_system_info_TEC_device(bool forceEmit)
{
    if (takeIfChanged(m_tecHardware, forceEmit)) {
        emit sigsTECDeviceHardwareChanged(*m_tecHardware.published);
    }
    if (takeIfChanged(m_tecSoftware, forceEmit)) {
        emit sigsTECDeviceSoftwareChanged(*m_tecSoftware.published);
    }
    if (takeIfChanged(m_tecRevision, forceEmit)) {
        emit sigsTECDeviceRevisionChanged(*m_tecRevision.published);
    }
}

void LumetraResponseDecoder::publish_ly_system_info_Timing_Board(bool forceEmit)
{
    if (takeIfChanged(m_timingBoardSerial, forceEmit)) {
        emit sigsTimingBoardSerialChanged(*m_timingBoardSerial.published);
    }
    if (takeIfChanged(m_timingBoardMCU, forceEmit)) {
        emit sigsTimingBoardMCUChanged(*m_timingBoardMCU.published);
    }
    if (takeIfChanged(m_timingBoardFPGA, forceEmit)) {
        emit sigsTimingBoardFPGAChanged(*m_timingBoardFPGA.published);
    }
}

void LumetraResponseDecoder::publish_ly_system_info_DeviceOnTime(bool forceEmit)
{
    if (takeIfChanged(m_deviceOnHours, forceEmit)) {
        emit sigsDeviceOnHoursChanged(*m_deviceOnHours.published);
    }
    if (takeIfChanged(m_deviceOnMinutes, forceEmit)) {
        emit sigsDeviceOnMinutesChanged(*m_deviceOnMinutes.published);
    }
}

void LumetraResponseDecoder::publish_ly_system_info_EmissionTime(bool forceEmit)
{
    if (takeIfChanged(m_emissionHours, forceEmit)) {
        emit sigsDeviceEmissionHoursChanged(*m_emissionHours.published);
    }
    if (takeIfChanged(m_emissionMinutes, forceEmit)) {
        emit sigsDeviceEmissionMinutesChanged(*m_emissionMinutes.published);
    }
}

void LumetraResponseDecoder::publish_ls_info_ModuleAddrType(bool forceEmit)
{
    if (takeIfChanged(m_moduleAddress, forceEmit)) {
        emit sigsHGModuleAddress(*m_moduleAddress.published);
    }
    if (takeIfChanged(m_moduleType, forceEmit)) {
        emit sigsHGModuleType(*m_moduleType.published);
    }
}

void LumetraResponseDecoder::publish_ls_info_FirmwareVersion(bool forceEmit)
{
    if (takeIfChanged(m_moduleFirmwareVersion, forceEmit)) {
        emit sigsHGModuleFirwareVersion(*m_moduleFirmwareVersion.published);
    }
}

void LumetraResponseDecoder::publish_ls_info_BootladerVersion(bool forceEmit)
{
    if (takeIfChanged(m_moduleBootloaderVersion, forceEmit)) {
        emit sigsHGModuleBootloaderVersion(*m_moduleBootloaderVersion.published);
    }
}

void LumetraResponseDecoder::publish_ls_info_ModuleSerialNumber(bool forceEmit)
{
    if (takeIfChanged(m_moduleSerialNumber, forceEmit)) {
        emit sigsHGModuleSerialNumber(*m_moduleSerialNumber.published);
    }
}

void LumetraResponseDecoder::publish_ls_info_PCBSerialNumber(bool forceEmit)
{
    if (takeIfChanged(m_modulePCBSerialNumber, forceEmit)) {
        emit sigsHGModulePCBSerialNumber(*m_modulePCBSerialNumber.published);
    }
}

void LumetraResponseDecoder::publish_s6(bool forceEmit)
{
    publishRecord(s6Layout(), m_s6, m_s6.size(), forceEmit);
}

void LumetraResponseDecoder::publish_s7(bool forceEmit)
{
    publishRecord(s7Layout(), m_s7, m_s7.size(), forceEmit);
}

void LumetraResponseDecoder::publish_s8(bool forceEmit)
{
    // The short form of the record has no maximum current; nothing is announced for it then.
    publishRecord(s8Layout(), m_s8, m_s8HasMaxCurrent ? m_s8.size() : m_s8.size() - 1, forceEmit);
}

void LumetraResponseDecoder::publish_s9(bool forceEmit)
{
    publishRecord(s9Layout(), m_s9, m_s9.size(), forceEmit);
}

void LumetraResponseDecoder::publish_DebuggingStatus(bool forceEmit)
{
    if (takeIfChanged(m_debuggingEnabled, forceEmit)) {
        emit sigDebuggingStatusChanged(*m_debuggingEnabled.published);
    }
}

void LumetraResponseDecoder::publish_SystemState(bool forceEmit)
{
    if (takeIfChanged(m_systemState, forceEmit)) {
        emit sigSystemStateChanged(static_cast<SystemState>(*m_systemState.published));
    }
}

void LumetraResponseDecoder::publish_PowerSetpoint_nJ(bool forceEmit)
{
    if (takeIfChanged(m_powerSetpoint_nJ, forceEmit)) {
        emit sigPowerSetting_nJ_Changed(m_powerSetpoint_nJ.published->toDouble());
    }
}

void LumetraResponseDecoder::publish_PowerSetpoint_Percent(bool forceEmit)
{
    // The laser counts relative power in 4000 steps.
    if (takeIfChanged(m_powerSetpoint_Percent, forceEmit)) {
        emit sigPowerSetting_percent_Changed(m_powerSetpoint_Percent.published->toDouble() / 4000.0 * 100.0);
    }
}

void LumetraResponseDecoder::publish_PowerSetpoint_nJ_Range(bool forceEmit)
{
    const bool changed =
        m_powerMin_nJ.published != m_powerMin_nJ.current || m_powerMax_nJ.published != m_powerMax_nJ.current;
    m_powerMin_nJ.published = m_powerMin_nJ.current;
    m_powerMax_nJ.published = m_powerMax_nJ.current;
    if (!forceEmit && !changed) {
        return;
    }
    if (!m_frequencyIndex.published) {
        return;
    }
    const int index = *m_frequencyIndex.published;
    if (!m_powerMin_nJ.published->contains(index) || !m_powerMax_nJ.published->contains(index)) {
        return;
    }
    emit sigPowerSetting_nJ_RangeChanged(m_powerMin_nJ.published->value(index),
                                         m_powerMax_nJ.published->value(index));
    m_percentRangeMax = 100.0;
    emit sigPowerSettingPercentRangeChanged(0.0, m_percentRangeMax);
}

void LumetraResponseDecoder::publish_FrequencyIndex(bool forceEmit)
{
    if (!takeIfChanged(m_frequencyIndex, forceEmit)) {
        return;
    }
    m_outputFrequency = currentOutputFrequency();
    emit sigOutputFrequencyChanged(m_outputFrequency);
    publish_PowerSetpoint_nJ_Range(true);
    emit sigFrequencyIndexChanged(*m_frequencyIndex.published);
}

void LumetraResponseDecoder::publish_FrequencyDivList(bool forceEmit)
{
    if (!takeIfChanged(m_frequencyDivList, forceEmit)) {
        return;
    }
    emit sigFrequencyDivListChanged(*m_frequencyDivList.published);
    publish_FrequencyIndex(true);
    // Before the first division reading of a connection there is no factor to tell the receiver.
    if (m_divisionFactor.published) {
        emit sigDivisionFactorChanged(*m_divisionFactor.published);
    }
}

void LumetraResponseDecoder::publish_DivisionFactor(bool forceEmit)
{
    if (!takeIfChanged(m_divisionFactor, forceEmit)) {
        return;
    }
    m_outputFrequency = currentOutputFrequency();
    emit sigOutputFrequencyChanged(m_outputFrequency);
    publish_PowerSetpoint_nJ_Range(true);
    // A new division set by the operator shows on the panel only through this signal.
    emit sigDivisionFactorChanged(*m_divisionFactor.published);
}

void LumetraResponseDecoder::publish_AOMStatus(bool forceEmit)
{
    if (takeIfChanged(m_aomEnabled, forceEmit)) {
        emit sigAOMChanged(*m_aomEnabled.published != 0);
    }
}

void LumetraResponseDecoder::publish_OvenMode(bool forceEmit)
{
    if (takeIfChanged(m_ovenMode, forceEmit)) {
        emit sigOvenModeChanged(*m_ovenMode.published);
    }
}

void LumetraResponseDecoder::publish_Oven1TemperatureSetpoint(bool forceEmit)
{
    const bool minChanged = takeIfChanged(m_oven1Min, forceEmit);
    const bool maxChanged = takeIfChanged(m_oven1Max, forceEmit);
    if (minChanged || maxChanged) {
        emit sigOven1TempSettingRangeChanged(*m_oven1Min.published, *m_oven1Max.published);
    }
    if (takeIfChanged(m_oven1Setpoint, forceEmit)) {
        emit sigOven1TempSettingChanged(*m_oven1Setpoint.published);
    }
}

void LumetraResponseDecoder::publish_Oven2TemperatureSetpoint(bool forceEmit)
{
    const bool minChanged = takeIfChanged(m_oven2Min, forceEmit);
    const bool maxChanged = takeIfChanged(m_oven2Max, forceEmit);
    if (minChanged || maxChanged) {
        emit sigOven2TempSettingRangeChanged(*m_oven2Min.published, *m_oven2Max.published);
    }
    if (takeIfChanged(m_oven2Setpoint, forceEmit)) {
        emit sigOven2TempSettingChanged(*m_oven2Setpoint.published);
    }
}

void LumetraResponseDecoder::publish_Oven1TemperatureActual(bool forceEmit)
{
    if (takeIfChanged(m_oven1Actual, forceEmit)) {
        emit sigOven1TempActualChanged(*m_oven1Actual.published);
    }
}

void LumetraResponseDecoder::publish_Oven2TemperatureActual(bool forceEmit)
{
    if (takeIfChanged(m_oven2Actual, forceEmit)) {
        emit sigOven2TempActualChanged(*m_oven2Actual.published);
    }
}

void LumetraResponseDecoder::publish_HumidityActual(bool forceEmit)
{
    if (takeIfChanged(m_humidity, forceEmit)) {
        emit sigHumidityActualChanged(*m_humidity.published);
    }
}

void LumetraResponseDecoder::publish_PiezoPositionSetting(bool forceEmit)
{
    if (takeIfChanged(m_piezoPosition, forceEmit)) {
        emit sigPiezoPositionChanged(*m_piezoPosition.published);
    }
}

void LumetraResponseDecoder::publish_DigitalGateSetting(bool forceEmit)
{
    if (takeIfChanged(m_digitalGate, forceEmit)) {
        emit sigDigitalGateChanged(*m_digitalGate.published);
    }
}

void LumetraResponseDecoder::publish_DynamicWavelengthEnabled(bool forceEmit)
{
    if (takeIfChanged(m_dynamicWavelengthEnabled, forceEmit)) {
        emit sigDynamicWavelengthFeatureChanged(*m_dynamicWavelengthEnabled.published);
    }
}

void LumetraResponseDecoder::publish_DynamicWavelengthSupport(bool forceEmit)
{
    if (takeIfChanged(m_dynamicWavelengthSupported, forceEmit)) {
        emit sigDynamicWavelengthFeatureSupported(*m_dynamicWavelengthSupported.published != 0);
    }
}

void LumetraResponseDecoder::publish_DynamicWLS_IR(bool forceEmit)
{
    if (takeIfChanged(m_dynamicWLS_IR, forceEmit)) {
        emit sigDynamicWLS_IRChanged(*m_dynamicWLS_IR.published);
    }
}

void LumetraResponseDecoder::publish_DynamicWLS_Green(bool forceEmit)
{
    if (takeIfChanged(m_dynamicWLS_Green, forceEmit)) {
        emit sigDynamicWLS_GreenChanged(*m_dynamicWLS_Green.published);
    }
}

void LumetraResponseDecoder::publish_DynamicWLS_UV(bool forceEmit)
{
    if (takeIfChanged(m_dynamicWLS_UV, forceEmit)) {
        emit sigDynamicWLS_UVChanged(*m_dynamicWLS_UV.published);
    }
}

void LumetraResponseDecoder::publish_DynamicWLS_DUV(bool forceEmit)
{
    if (takeIfChanged(m_dynamicWLS_DUV, forceEmit)) {
        emit sigDynamicWLS_DUVChanged(*m_dynamicWLS_DUV.published);
    }
}

void LumetraResponseDecoder::publish_SHGOutputPower(bool forceEmit)
{
    if (takeIfChanged(m_shgOutputPower, forceEmit)) {
        emit sigSHGOutputPowerChanged(*m_shgOutputPower.published);
    }
}

void LumetraResponseDecoder::publish_THGOutputPower(bool forceEmit)
{
    if (takeIfChanged(m_thgOutputPower, forceEmit)) {
        emit sigTHGOutputPowerChanged(*m_thgOutputPower.published);
    }
}

void LumetraResponseDecoder::publish_HGStatusFlags(bool forceEmit)
{
    if (takeIfChanged(m_hgStatusFlags, forceEmit)) {
        emit sigHGStatusFlagsChanged(*m_hgStatusFlags.published);
    }
}

void LumetraResponseDecoder::publish_HGErrorcode(bool forceEmit)
{
    if (takeIfChanged(m_hgErrorcode, forceEmit)) {
        emit sigHGErrorcodeChanged(*m_hgErrorcode.published);
    }
}

void LumetraResponseDecoder::publish_HGOutputConfig(bool forceEmit)
{
    if (takeIfChanged(m_hgOutputConfig, forceEmit)) {
        emit sigHGOutputConfigChanged(*m_hgOutputConfig.published);
    }
}

void LumetraResponseDecoder::publish_HGRuntime(bool forceEmit)
{
    if (takeIfChanged(m_hgRuntime, forceEmit)) {
        const quint64 seconds = *m_hgRuntime.published;
        emit sigsHGModuleRuntime(tr("%1 hours %2 minutes").arg(seconds / 3600).arg((seconds / 60) % 60));
    }
}

void LumetraResponseDecoder::publish_HGCrystalCurSpot(bool forceEmit)
{
    if (takeIfChanged(m_crystalCurSpot, forceEmit)) {
        emit sigHGCrystalCurSpotChanged(*m_crystalCurSpot.published);
    }
}

void LumetraResponseDecoder::publish_HGCrystalCurRuntime(bool forceEmit)
{
    if (takeIfChanged(m_crystalCurRuntime, forceEmit)) {
        emit sigHGCrystalCurRuntimeChanged(*m_crystalCurRuntime.published);
    }
}

void LumetraResponseDecoder::publish_HGCrystalMaxRuntime(bool forceEmit)
{
    if (takeIfChanged(m_crystalMaxRuntime, forceEmit)) {
        emit sigHGCrystalMaxRuntimeChanged(*m_crystalMaxRuntime.published);
    }
}

void LumetraResponseDecoder::publish_HGCrystalAllRuntimes(bool forceEmit)
{
    if (takeIfChanged(m_crystalAllRuntimes, forceEmit)) {
        emit sigHGCrystalAllRuntimesChanged(*m_crystalAllRuntimes.published);
    }
}
