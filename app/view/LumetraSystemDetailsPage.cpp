#include "app/view/LumetraSystemDetailsPage.h"

#include "dialkit/LineEdit.h"

#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

using namespace LumetraPageKit;
using Detail = LumetraSystemDetailsPage::Detail;

namespace {
enum Group
{
    SystemGroup,
    LddGroup,
    TecGroup,
    TimingGroup,
    HgGroup,
    GroupCount
};

const char *const groupTitles[GroupCount] = {nullptr,
                                             QT_TRANSLATE_NOOP("LumetraSystemDetailsPage", "LDD Device"),
                                             QT_TRANSLATE_NOOP("LumetraSystemDetailsPage", "TEC Device"),
                                             QT_TRANSLATE_NOOP("LumetraSystemDetailsPage", "Timing Board"),
                                             QT_TRANSLATE_NOOP("LumetraSystemDetailsPage", "xHG Board")};

struct DetailRow
{
    Detail detail;
    Group group;
    const char *text;
    const char *objectName;
};

// Page order, top to bottom; the fields the tests and the shell look up carry an object name.
constexpr DetailRow detailTable[] = {
    {Detail::Hardware, SystemGroup, QT_TRANSLATE_NOOP("LumetraSystemDetailsPage", "Hardware:"),
     "hardwareField"},
    {Detail::Firmware, SystemGroup, QT_TRANSLATE_NOOP("LumetraSystemDetailsPage", "Firmware:"),
     "firmwareField"},
    {Detail::ApplicationName, SystemGroup, QT_TRANSLATE_NOOP("LumetraSystemDetailsPage", "Application Name:"),
     "applicationNameField"},
    {Detail::CompiledOn, SystemGroup, QT_TRANSLATE_NOOP("LumetraSystemDetailsPage", "Compiled On:"), nullptr},
    {Detail::SerialNumber, SystemGroup, QT_TRANSLATE_NOOP("LumetraSystemDetailsPage", "Serial Number:"),
     "serialNumberField"},
    {Detail::DeviceOnTime, SystemGroup, QT_TRANSLATE_NOOP("LumetraSystemDetailsPage", "Device On Time:"),
     "deviceOnTime"},
    {Detail::EmissionTime, SystemGroup, QT_TRANSLATE_NOOP("LumetraSystemDetailsPage", "Emission Time:"),
     "emissionTime"},
    {Detail::LddHardware, LddGroup, QT_TRANSLATE_NOOP("LumetraSystemDetailsPage", "Hardware:"), nullptr},
    {Detail::LddSoftware, LddGroup, QT_TRANSLATE_NOOP("LumetraSystemDetailsPage", "Software:"), nullptr},
    {Detail::LddRevision, LddGroup, QT_TRANSLATE_NOOP("LumetraSystemDetailsPage", "Revision:"), nullptr},
    {Detail::TecHardware, TecGroup, QT_TRANSLATE_NOOP("LumetraSystemDetailsPage", "Hardware:"), nullptr},
    {Detail::TecSoftware, TecGroup, QT_TRANSLATE_NOOP("LumetraSystemDetailsPage", "Software:"), nullptr},
    {Detail::TecRevision, TecGroup, QT_TRANSLATE_NOOP("LumetraSystemDetailsPage", "Revision:"), nullptr},
    {Detail::TimingSerial, TimingGroup, QT_TRANSLATE_NOOP("LumetraSystemDetailsPage", "Serial:"), nullptr},
    {Detail::TimingMcu, TimingGroup, QT_TRANSLATE_NOOP("LumetraSystemDetailsPage", "MCU:"), nullptr},
    {Detail::TimingFpga, TimingGroup, QT_TRANSLATE_NOOP("LumetraSystemDetailsPage", "FPGA:"), nullptr},
    {Detail::HgAddress, HgGroup, QT_TRANSLATE_NOOP("LumetraSystemDetailsPage", "Module address:"), nullptr},
    {Detail::HgType, HgGroup, QT_TRANSLATE_NOOP("LumetraSystemDetailsPage", "Module type:"), "hgTypeField"},
    {Detail::HgFirmware, HgGroup, QT_TRANSLATE_NOOP("LumetraSystemDetailsPage", "Firmware version:"),
     nullptr},
    {Detail::HgBootloader, HgGroup, QT_TRANSLATE_NOOP("LumetraSystemDetailsPage", "Bootloader version:"),
     nullptr},
    {Detail::HgSerial, HgGroup, QT_TRANSLATE_NOOP("LumetraSystemDetailsPage", "Module serial number:"),
     nullptr},
    {Detail::HgPcbSerial, HgGroup, QT_TRANSLATE_NOOP("LumetraSystemDetailsPage", "PCB Serial number:"),
     nullptr},
    {Detail::HgRuntime, HgGroup, QT_TRANSLATE_NOOP("LumetraSystemDetailsPage", "Run Time:"), nullptr},
};
static_assert(sizeof(detailTable) / sizeof(detailTable[0]) == int(Detail::Count), "one row per detail");

constexpr bool tableInDetailOrder()
{
    for (int i = 0; i < int(Detail::Count); ++i) {
        if (int(detailTable[i].detail) != i) {
            return false;
        }
    }
    return true;
}
static_assert(tableInDetailOrder(), "rows in the order of the enumeration");
} // namespace

LumetraSystemDetailsPage::LumetraSystemDetailsPage(QWidget *parent) : QWidget(parent)
{
    QVBoxLayout *layout = pageLayout(this, QStringLiteral("systemDetailsPage"));
    layout->addWidget(makeLabel(tr("System"), "heading", this));

    // Group by group, so that the focus moves through the fields in page order.
    for (int g = 0; g < GroupCount; ++g) {
        auto *grid = new QGridLayout();
        grid->setColumnStretch(2, 1);
        QWidget *owner = this;
        if (g == SystemGroup) {
            layout->addLayout(grid);
        } else {
            QVBoxLayout *box = nullptr;
            owner = makeGroup(tr(groupTitles[g]), this, &box);
            box->addLayout(grid);
            layout->addWidget(owner);
        }
        if (g == HgGroup) {
            hgBoardGroup = owner;
            hgBoardGroup->setObjectName(QStringLiteral("hgBoardGroup"));
        }
        for (const DetailRow &row : detailTable) {
            if (row.group != g) {
                continue;
            }
            Field &field = fields[int(row.detail)];
            field = addField(grid, tr(row.text), owner);
            if (row.objectName) {
                field.edit->setObjectName(QLatin1String(row.objectName));
            }
        }
    }

    auto *settings = makeLabel(tr("Settings"), "label-header", this);
    settings->setContentsMargins(0, 10, 0, 0);
    layout->addWidget(settings);
}

void LumetraSystemDetailsPage::setDetail(Detail detail, const QString &text)
{
    if (detail >= Detail::Hardware && detail < Detail::Count) {
        fields[int(detail)].edit->setText(text);
    }
}

void LumetraSystemDetailsPage::setDeviceOnHours(const QString &hours)
{
    deviceOnHours = hours;
    updateDeviceTimes();
}

void LumetraSystemDetailsPage::setDeviceOnMinutes(const QString &minutes)
{
    deviceOnMinutes = minutes;
    updateDeviceTimes();
}

void LumetraSystemDetailsPage::setEmissionHours(const QString &hours)
{
    emissionHours = hours;
    updateDeviceTimes();
}

void LumetraSystemDetailsPage::setEmissionMinutes(const QString &minutes)
{
    emissionMinutes = minutes;
    updateDeviceTimes();
}

void LumetraSystemDetailsPage::updateDeviceTimes()
{
    // Half a time ("5 hours  minutes") would be misread; the field keeps "???" until both parts are known.
    auto format = [](const QString &hours, const QString &minutes) {
        if (hours.isEmpty() || minutes.isEmpty()) {
            return QStringLiteral("???");
        }
        return tr("%1 hours %2 minutes").arg(hours, minutes);
    };
    setDetail(Detail::DeviceOnTime, format(deviceOnHours, deviceOnMinutes));
    setDetail(Detail::EmissionTime, format(emissionHours, emissionMinutes));
}

void LumetraSystemDetailsPage::setHGBoardVisible(bool visible)
{
    hgBoardGroup->setVisible(visible);
}
