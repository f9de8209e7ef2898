#pragma once

#include "device/LumetraHarmonic.h"

#include <QList>
#include <QWidget>

class ComboBox;
class Indicator;
class QGridLayout;
class QLabel;
class QScrollArea;

// The rows of the control panel that stay in view whatever page is shown: the status lamps, the AOM
// levels of dynamic wavelength switching, the output wavelength, the system info and the digital gate.
class LumetraStatusStrip : public QWidget
{
    Q_OBJECT
public:
    enum Lamp
    {
        PowerOn,
        Error,
        Warning,
        DeviceSetup,
        OvenFault,
        HumidityFault,
        HGError,
        LampCount
    };
    // The two ways the digital gate can be wired, and the state before the laser has said which.
    enum GateLogic
    {
        GateOpenAtLow = 0,
        GateClosedAtLow = 1,
        GateUnknown = -1
    };

    explicit LumetraStatusStrip(QWidget *parent = nullptr);

    void setLamp(Lamp lamp, bool on);
    void setLampVisible(Lamp lamp, bool visible);
    void setHGErrorMessage(const QString &message);
    // A harmonic-generator warning that is still active, shown under the lamps; empty hides it.
    void setHGWarning(const QString &message);
    void setDynamicSwitching(bool on);
    void setAomPercent(LumetraHarmonic harmonic, double percent);
    void setAomEnergy(LumetraHarmonic harmonic, double energy_uJ);
    void setAomVisible(LumetraHarmonic harmonic, bool visible);
    void setWavelength(int index);
    void setWavelengthAllowed(bool allowed);
    void enableWavelengths(bool enable_343, bool enable_515, bool enable_1030);
    void setSystemInfoVisible(bool visible);
    void setSerialNumber(const QString &serial);
    void setFirmwareVersion(const QString &version);
    void setDigitalGate(GateLogic logic);
    // The height the part below the lamps needs to show its first row. Its least height is far less, so
    // that the lamps and the state buttons keep theirs whatever happens; the panel asks for this room
    // besides (see LumetraView::minimumSizeHint()).
    int lowerFirstRowHeight() const;
    int lowerLeastHeight() const;

signals:
    void wavelengthChanged(int index);

private:
    struct AomReadout
    {
        QLabel *label = nullptr;
        QLabel *percent = nullptr;
        QLabel *energy = nullptr;
    };

    QLabel *makeLabel(const QString &text, const char *type, QWidget *parent);
    // A caption and its value text in one row of a two-column grid; returns the value label.
    QLabel *addTextRow(QGridLayout *grid, int row, const QString &caption, const QString &text,
                       const QString &objectName, QWidget *parent);
    Indicator *addLamp(QGridLayout *grid, int row, const QString &text, QLabel **labelOut);
    void updateWavelengthCombo();

    Indicator *lamps[LampCount] = {};
    QLabel *lampLabels[LampCount] = {};
    QLabel *hgErrorMessage = nullptr;
    QLabel *hgWarningBanner = nullptr;
    bool hgLampShown = true;
    QWidget *dynamicRow = nullptr;
    QScrollArea *lower = nullptr;
    Indicator *dynamicWlsLamp = nullptr;
    QList<AomReadout> aomReadouts;
    QWidget *wavelengthRow = nullptr;
    ComboBox *wavelengthCombo = nullptr;
    QWidget *systemInfoGroup = nullptr;
    QLabel *serialNumberInfo = nullptr;
    QLabel *firmwareVersionInfo = nullptr;
    QLabel *gateLowText = nullptr;
    QLabel *gateHighText = nullptr;
    bool wavelengthAllowed = true;
    int shownWavelengths = 3;
};
