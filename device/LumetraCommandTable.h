#pragma once

#include <QString>
#include <QStringList>

// Every line the controller composes for the laser, and the lists it is assembled into, in one
// place. Patterns take their arguments through QString::arg. Literals go out exactly as written:
// a few of them carry no line feed on purpose, the link appends one.
class LumetraCommandTable
{
public:
    // Operator commands
    static constexpr const char *OperatingModeCommand = "e_mode %1\n";
    // %1 the harmonic's index (LumetraHarmonic)
    static constexpr const char *HGWavelength = "ls_wavelength=%1\n";
    static constexpr const char *EnergySetpoint = "ly_lqz2_power=%1\n";
    static constexpr const char *PowerSetpoint = "e_power=%1\n";
    static constexpr const char *FrequencyIndex = "e_freq %1\n";
    static constexpr const char *Division = "e_div %1\n";
    static constexpr const char *OutputEnable = "ly_lqz2_output_enable\n";
    static constexpr const char *OutputDisable = "ly_lqz2_output_disable\n";
    // The laser's "disabled" state is the one in which it emits with the output gate closed; the
    // Laser On button always asks for it.
    static constexpr const char *LaserOn = "ly_lqz2_disabled\n";
    static constexpr const char *Standby = "ly_lqz2_standby\n";
    static constexpr const char *Listen = "ly_lqz2_listen\n";
    static constexpr const char *SystemWavelengthLumetra2 = "ly_lqz2_wvl %1\n";
    static constexpr const char *SystemWavelength = "ly_lqz_wvl %1\n";
    static constexpr const char *OvenModeOn = "ls_enable=4";
    static constexpr const char *OvenModeOff = "ls_enable=2";
    static constexpr const char *Oven1Setpoint = "ls_temp_setpoint=%1\n";
    static constexpr const char *Oven1SetpointSHG = "ls_temp_setpoint_SHG=%1\n";
    static constexpr const char *Oven2Setpoint = "ls_temp_setpoint_THG=%1\n";
    static constexpr const char *CrystalSpot = "ls_crystal_setSpot=%1\n";
    static constexpr const char *DigitalGate = "ly_lqz2_digiop=%1\n";
    static constexpr const char *DwlsEnable = "ls_dwls_enable=%1\n";
    // %1 the harmonic's index (LumetraHarmonic), %2 its energy in nJ
    static constexpr const char *DwlsDefault = "ls_dwls_default=%1,%2\n";

    // Queries and one-shot lines
    static constexpr const char *DigitalGateQuery = "ly_lqz2_digiop?\n";
    static constexpr const char *DwlsEnableQuery = "ls_dwls_enable?\n";
    static constexpr const char *DwlsDefaultQuery = "ls_dwls_default?\n";
    static constexpr const char *DebugOutputOff = "d2=0\n";
    static constexpr const char *ModuleInfoQuery = "ls?\n";
    static constexpr const char *OutputConfigQuery = "ls_output_config?\n";
    static constexpr const char *DwlsFeatureQuery = "ls_dwls_feature?";
    static constexpr const char *HumidityQuery = "ls_humidity?\n";
    static constexpr const char *OutputStateQuery = "ly_lqz2_output?\n";

    // Polled from every set-up of the main loop, in this order.
    static const QStringList &basePollList();
    // Sent once on each connection, in this order.
    static const QStringList &connectionQueries();
    // Oven set-point and temperature queries polled for every harmonic module.
    static const QStringList &ovenPollList();
    // Crystal spot queries, polled for third-harmonic modules only.
    static const QStringList &crystalPollList();
    // Status queries polled last for every harmonic module.
    static const QStringList &modulePollList();

    // The device's AOM mode of operation and the index of the view's operating-mode combo.
    struct OperatingMode
    {
        int deviceMode;
        int viewIndex;
        bool powerSlider;
        bool repRateSlider;
        bool divisionSlider;
        bool wavelengthsAllowed;
    };
    // The row for a device mode; modes without a row behave like mode 2.
    static const OperatingMode &operatingModeForDevice(int deviceMode);
    // The row for a view index, or nullptr for an index the laser has no mode for.
    static const OperatingMode *operatingModeForIndex(int viewIndex);

    // Firmware application classes by name prefix and the wavelengths they offer.
    struct ApplicationClass
    {
        const char *prefix;
        bool enable343;
        bool enable515;
        bool enable1030;
        bool queryModuleInfo;
    };
    // The first class whose prefix the name begins with (case-sensitive), or nullptr.
    static const ApplicationClass *classifyApplication(const QString &applicationName);

    // What each kind of harmonic-generator module shows and polls.
    enum Module
    {
        ModuleSHG,
        ModuleTHG,
        ModuleTHGi
    };
    struct ModuleSequence
    {
        const char *enableQuery;
        bool humidity;
        bool oven2;
        bool crystal;
        int moduleKind;
    };
    static const ModuleSequence &moduleSequence(Module module);
};
