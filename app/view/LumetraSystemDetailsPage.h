#pragma once

#include "app/view/LumetraPageKit.h"

#include <QWidget>

// The "System Details" page: what the laser says about itself and its boards, one read-only field each.
class LumetraSystemDetailsPage : public QWidget
{
    Q_OBJECT
public:
    // The fields in page order; the device times are composed from their parts (setDeviceOnTime...).
    enum class Detail
    {
        Hardware,
        Firmware,
        ApplicationName,
        CompiledOn,
        SerialNumber,
        DeviceOnTime,
        EmissionTime,
        LddHardware,
        LddSoftware,
        LddRevision,
        TecHardware,
        TecSoftware,
        TecRevision,
        TimingSerial,
        TimingMcu,
        TimingFpga,
        HgAddress,
        HgType,
        HgFirmware,
        HgBootloader,
        HgSerial,
        HgPcbSerial,
        HgRuntime,
        Count
    };

    explicit LumetraSystemDetailsPage(QWidget *parent = nullptr);

    void setDetail(Detail detail, const QString &text);
    void setDeviceOnHours(const QString &hours);
    void setDeviceOnMinutes(const QString &minutes);
    void setEmissionHours(const QString &hours);
    void setEmissionMinutes(const QString &minutes);
    void setHGBoardVisible(bool visible);

private:
    void updateDeviceTimes();

    LumetraPageKit::Field fields[int(Detail::Count)];
    QWidget *hgBoardGroup = nullptr;
    QString deviceOnHours, deviceOnMinutes, emissionHours, emissionMinutes;
};
