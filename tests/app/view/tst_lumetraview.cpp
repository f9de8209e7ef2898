#include "app/view/LumetraProgressTicker.h"
#include "app/view/LumetraRemoteControl.h"
#include "app/view/LumetraSpotChangeDialog.h"
#include "app/view/LumetraView.h"
#include "dialkit/Button.h"
#include "dialkit/ComboBox.h"
#include "dialkit/ComboSlider.h"
#include "dialkit/Dialog.h"
#include "dialkit/Indicator.h"
#include "dialkit/IndicatorButton.h"
#include "dialkit/LineEdit.h"
#include "dialkit/LineEditNumber.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <limits>

namespace {
const double inf = std::numeric_limits<double>::infinity();
const double notANumber = std::numeric_limits<double>::quiet_NaN();

// Every signal the view sends to the controller; a report from the laser must trigger none of them.
const char *const userSignals[] = {SIGNAL(operatingModeChanged(int)),
                                   SIGNAL(wavelengthSelectorComboChanged(int)),
                                   SIGNAL(power_uJ_Changed(double)),
                                   SIGNAL(powerPercentChanged(double)),
                                   SIGNAL(powerIndexChanged(int)),
                                   SIGNAL(repRateChanged(double)),
                                   SIGNAL(repRateDividerChanged(double)),
                                   SIGNAL(repRateScaleIndexChanged(int)),
                                   SIGNAL(divisionChanged(double)),
                                   SIGNAL(wavelengthChanged(int)),
                                   SIGNAL(ovenModeComboChanged(int)),
                                   SIGNAL(oven1SetpointChanged(double)),
                                   SIGNAL(oven2SetpointChanged(double)),
                                   SIGNAL(crystalSpotSliderChanged(double)),
                                   SIGNAL(digitalGateModeChanged(int)),
                                   SIGNAL(dynamicWavelengthFeature(int)),
                                   SIGNAL(dynamicWLS_SaveSetpoint(int, double))};
} // namespace

class TestLumetraView : public QObject
{
    Q_OBJECT
private:
    template <typename T> static T *child(QObject &parent, const char *name)
    {
        T *found = parent.findChild<T *>(QLatin1String(name));
        if (!found) {
            qWarning("no child %s", name);
        }
        return found;
    }
    static QString text(LumetraView &view, const char *name)
    {
        if (auto *label = view.findChild<QLabel *>(QLatin1String(name))) {
            return label->text();
        }
        if (auto *edit = view.findChild<QLineEdit *>(QLatin1String(name))) {
            return edit->text();
        }
        return QStringLiteral("<missing %1>").arg(name);
    }
    // The operator types a number into a combo slider and presses Return.
    static void enter(ComboSlider *slider, const QString &number)
    {
        LineEditNumber *field = slider->getLineInput();
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, number);
        QTest::keyClick(field, Qt::Key_Return);
    }
    // Runs `handler` on the next modal dialog once it is shown.
    static void onNextDialog(std::function<void(QDialog *)> handler)
    {
        auto *poll = new QTimer;
        poll->setInterval(5);
        QObject::connect(poll, &QTimer::timeout, [poll, handler]() {
            if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                poll->stop();
                poll->deleteLater();
                handler(dialog);
            }
        });
        poll->start();
    }
    static QStringList labelTexts(QWidget *widget)
    {
        QStringList texts;
        for (QLabel *label : widget->findChildren<QLabel *>()) {
            if (label->isVisibleTo(widget)) {
                texts << label->text();
            }
        }
        return texts;
    }
    static void click(QWidget *dialog, const char *name)
    {
        auto *button = dialog->findChild<QAbstractButton *>(QLatin1String(name));
        QVERIFY(button);
        QVERIFY(button->isVisible());
        QTest::mouseClick(button, Qt::LeftButton);
    }
    static int userSignalCount(const QList<QSignalSpy *> &spies)
    {
        int count = 0;
        for (QSignalSpy *spy : spies) {
            count += spy->count();
        }
        return count;
    }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void readoutsStartUnknown_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        for (const char *name : {"energyReadout0", "energyReadout1", "energyReadout2", "energyReadout3",
                                 "outputRepRateReadout", "powerReadout0", "powerReadout3", "humidityReadout",
                                 "oven1Actual", "oven2Actual", "serialNumberInfo", "firmwareVersionInfo",
                                 "temperature1", "temperature10", "deviceOnTime", "hgTypeField"}) {
            QTest::newRow(name) << name << "???";
        }
        for (const char *name : {"aomPercent0", "aomPercent1", "aomPercent2", "aomPercent3"}) {
            QTest::newRow(name) << name << "??%";
        }
        QTest::newRow("gate 0V") << "gateLowText"
                                 << "AOM Open";
        QTest::newRow("gate 3.3V") << "gateHighText"
                                   << "AOM Closed";
    }

    void readoutsStartUnknown()
    {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        LumetraView view;
        QCOMPARE(text(view, name.toLatin1().constData()), expected);
    }

    void readoutFormatting_data()
    {
        QTest::addColumn<QString>("slot");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("energy") << "setPowerMeasuredIR_uJ" << 1.234 << "energyReadout0"
                                << "1.23 µJ";
        QTest::newRow("energy too long") << "setPowerMeasuredIR_uJ" << 123456789.5 << "energyReadout0"
                                         << "??? µJ";
        QTest::newRow("energy ten characters")
            << "setPowerMeasuredGreen_uJ" << 1234567.891 << "energyReadout1"
            << "1234567.89 µJ";
        QTest::newRow("energy infinite") << "setPowerMeasuredUV_uJ" << inf << "energyReadout2"
                                         << "??? µJ";
        QTest::newRow("energy nan") << "setPowerMeasuredDUV_uJ" << notANumber << "energyReadout3"
                                    << "??? µJ";
        QTest::newRow("rep rate") << "setOutputRepRate" << 1000.0 << "outputRepRateReadout"
                                  << "1000.000 kHz";
        QTest::newRow("rep rate too long") << "setOutputRepRate" << 80000000.0 << "outputRepRateReadout"
                                           << "??? kHz";
        QTest::newRow("rep rate undivided") << "setOutputRepRate" << inf << "outputRepRateReadout"
                                            << "??? kHz";
        QTest::newRow("power") << "setOutputPowerIRMeasuredW" << 0.5 << "powerReadout0"
                               << "0.500W";
        QTest::newRow("green power") << "setOutputPowerGreenMeasuredW" << 1.23456 << "powerReadout1"
                                     << "1.235W";
        QTest::newRow("power nan") << "setOutputPowerUVMeasuredW" << notANumber << "powerReadout2"
                                   << "???W";
        QTest::newRow("oven 1") << "setOven1TempActual" << 45.26 << "oven1Actual"
                                << "45.3°C";
        QTest::newRow("oven 2") << "setOven2TempActual" << 120.04 << "oven2Actual"
                                << "120.0°C";
        QTest::newRow("aom") << "setDynamicWLS_IR_Percent" << 45.6 << "aomPercent0"
                             << "46%";
        QTest::newRow("aom infinite") << "setDynamicWLS_Green_Percent" << inf << "aomPercent1"
                                      << "??%";
        QTest::newRow("aom nan") << "setDynamicWLS_DUV_Percent" << notANumber << "aomPercent3"
                                 << "??%";
        QTest::newRow("aom energy") << "setDynamicWLS_UV_uJ" << 12.3456 << "aomEnergy2"
                                    << "12.35µJ";
    }

    void readoutFormatting()
    {
        QFETCH(QString, slot);
        QFETCH(double, value);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        LumetraView view;
        QVERIFY(QMetaObject::invokeMethod(&view, slot.toLatin1().constData(), Q_ARG(double, value)));
        QCOMPARE(text(view, name.toLatin1().constData()), expected);
    }

    void textsAndTimes()
    {
        LumetraView view;
        view.setHumidityMonitor(45);
        QCOMPARE(text(view, "humidityReadout"), QString("45%"));
        view.setSerialNumber("LQZ-0042");
        view.setFirmwareVersion("FW 2.7");
        QCOMPARE(text(view, "serialNumberInfo"), QString("LQZ-0042"));
        QCOMPARE(text(view, "serialNumberField"), QString("LQZ-0042"));
        QCOMPARE(text(view, "firmwareVersionInfo"), QString("FW 2.7"));
        QCOMPARE(text(view, "firmwareField"), QString("FW 2.7"));
        view.setTemperatureActual3("25.40");
        QCOMPARE(text(view, "temperature3"), QString("25.40"));
        QCOMPARE(text(view, "temperature2"), QString("???"));
        view.setDeviceOnHours("5");
        QCOMPARE(text(view, "deviceOnTime"), QString("???"));
        view.setDeviceOnMinutes("7");
        QCOMPARE(text(view, "deviceOnTime"), QString("5 hours 7 minutes"));
        QCOMPARE(text(view, "emissionTime"), QString("???"));
        view.setDeviceEmissionMinutes("59");
        view.setDeviceEmissionHours("1234");
        QCOMPARE(text(view, "emissionTime"), QString("1234 hours 59 minutes"));
        view.setCrystalCurRuntime(3600);
        view.setCrystalMaxRuntime(7199);
        QCOMPARE(text(view, "crystalRunHours"), QString("1 hours of 1"));
        view.setErrorcodeHGMessage("HG Error code: 12 - Oven Temperature.");
        QCOMPARE(text(view, "hgErrorMessage"), QString("HG Error code: 12 - Oven Temperature."));
    }

    void lamps_data()
    {
        QTest::addColumn<QString>("slot");
        QTest::addColumn<QString>("lamp");
        QTest::addColumn<quint32>("onColor");
        QTest::newRow("power on") << "setPowerOnIndicator"
                                  << "powerOnLamp" << quint32(Indicator::Green);
        QTest::newRow("error") << "setErrorIndicator"
                               << "errorLamp" << quint32(Indicator::Red);
        QTest::newRow("warning") << "setWarningIndicator"
                                 << "warningLamp" << quint32(Indicator::Orange);
        QTest::newRow("setup") << "setDeviceSetupIndicator"
                               << "deviceSetupLamp" << quint32(Indicator::Orange);
        QTest::newRow("oven") << "setOvenFaultIndicator"
                              << "ovenFaultLamp" << quint32(Indicator::Red);
        QTest::newRow("humidity") << "setHumidityFaultIndicator"
                                  << "humidityFaultLamp" << quint32(Indicator::Red);
        QTest::newRow("hg") << "setErrorcodeHGIndicator"
                            << "hgErrorLamp" << quint32(Indicator::Red);
    }

    void lamps()
    {
        QFETCH(QString, slot);
        QFETCH(QString, lamp);
        QFETCH(quint32, onColor);
        LumetraView view;
        auto *indicator = view.findChild<Indicator *>(lamp);
        QVERIFY(indicator);
        QCOMPARE(quint32(indicator->color()), quint32(Indicator::Grey));
        QVERIFY(QMetaObject::invokeMethod(&view, slot.toLatin1().constData(), Q_ARG(bool, true)));
        QCOMPARE(quint32(indicator->color()), onColor);
        for (Indicator *other : view.findChildren<Indicator *>()) {
            if (other != indicator) {
                QCOMPARE(quint32(other->color()), quint32(Indicator::Grey));
            }
        }
        QVERIFY(QMetaObject::invokeMethod(&view, slot.toLatin1().constData(), Q_ARG(bool, false)));
        QCOMPARE(quint32(indicator->color()), quint32(Indicator::Grey));
    }

    // Greyed out while the laser does not answer, the panel shows the lamps as the laser last reported
    // them: a laser that was emitting must not look switched off.
    void lampsHeldWhenGreyed_data()
    {
        QTest::addColumn<QString>("slot");
        QTest::addColumn<QString>("stripLamp");
        QTest::addColumn<int>("stateButton");
        QTest::addColumn<quint32>("expected");
        QTest::newRow("power on") << "setPowerOnIndicator"
                                  << "powerOnLamp" << -1 << quint32(Indicator::Green);
        QTest::newRow("error") << "setErrorIndicator"
                               << "errorLamp" << -1 << quint32(Indicator::Red);
        QTest::newRow("output enabled") << "setOutEnable"
                                        << "" << 0 << quint32(Indicator::Red);
        QTest::newRow("laser on") << "setLaserOn"
                                  << "" << 1 << quint32(Indicator::Red);
        QTest::newRow("standby, off") << ""
                                      << "" << 2 << quint32(Indicator::Grey);
    }

    void lampsHeldWhenGreyed()
    {
        QFETCH(QString, slot);
        QFETCH(QString, stripLamp);
        QFETCH(int, stateButton);
        QFETCH(quint32, expected);
        QWidget panel;
        auto *view = new LumetraView(&panel);
        auto *remote = new LumetraRemoteControl();
        view->setRemoteControlWidget(remote);
        QObject *target = stripLamp.isEmpty() ? static_cast<QObject *>(remote) : view;
        if (!slot.isEmpty())
            QVERIFY(QMetaObject::invokeMethod(target, slot.toLatin1().constData(), Q_ARG(bool, true)));
        Indicator *indicator = stripLamp.isEmpty()
                                   ? remote->findChildren<IndicatorButton *>().value(stateButton)->indicator()
                                   : view->findChild<Indicator *>(stripLamp);
        QVERIFY(indicator);

        panel.setEnabled(false);
        const QImage painted = indicator->grab().toImage();
        QCOMPARE(painted.pixel(painted.width() / 2, painted.height() / 2), expected);
    }

    // What the laser reports is shown and never echoed back as an operator action.
    void reportsAreNotSentBack()
    {
        LumetraView view;
        QList<QSignalSpy *> spies;
        for (const char *signal : userSignals) {
            spies << new QSignalSpy(&view, signal);
        }
        view.setOperatingMode(1);
        view.setWavelengthSelectorCombo(2);
        view.setWavelengthSelector(1);
        view.setPowerRange_uJ(0, 100);
        view.setPowerSetpoint_uJ(12.5);
        view.setPowerSetpoint_Percent(40);
        view.setPowerSetpointIndex(1);
        view.setRepRateSteps({80000, 40000, 20000});
        view.setRepRate(40000);
        view.setRepRateScaleIndex(1);
        view.setDivision(10);
        view.setOvenMode(1);
        view.setOven1TempSetpoint(40);
        view.setOven2TempSetpoint(50);
        view.setCrystalPositionRange(1, 10);
        view.setCrystalPosition(4);
        view.setDigitalGate(1);
        view.setDynamicWavelengthFeature(1);
        QCOMPARE(userSignalCount(spies), 0);
        qDeleteAll(spies);
    }

    void operatingModeHidesEnergyControl_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("energyShown");
        QTest::newRow("internal") << 0 << true;
        QTest::newRow("external") << 1 << false;
        QTest::newRow("spi") << 2 << true;
    }

    void operatingModeHidesEnergyControl()
    {
        QFETCH(int, mode);
        QFETCH(bool, energyShown);
        LumetraView view;
        view.show();
        auto *power = child<ComboSlider>(view, "powerSlider");
        auto *combo = child<ComboBox>(view, "operatingModeCombo");
        QVERIFY(power && combo);
        view.setOperatingMode(mode == 1 ? 0 : 1);
        view.setOperatingMode(mode);
        QCOMPARE(power->isVisible(), energyShown);
        QCOMPARE(combo->currentIndex(), mode);

        // The same through the operator's choice, which is also sent on.
        view.setOperatingMode(mode == 1 ? 0 : 1);
        QSignalSpy spy(&view, &LumetraView::operatingModeChanged);
        combo->checkCurrentIndex(mode);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), mode);
        QCOMPARE(power->isVisible(), energyShown);
    }

    void energyUnitsKeepTheirSetpoints()
    {
        LumetraView view;
        view.show();
        auto *power = child<ComboSlider>(view, "powerSlider");
        QVERIFY(power);
        view.setPowerRange_uJ(0, 100);
        view.setPowerRangePercent(0, 100);
        view.setPowerSetpoint_uJ(12.5);
        view.setPowerSetpoint_Percent(40);
        QCOMPARE(power->getLineInput()->text(), QString("12.50"));

        QSignalSpy uJ(&view, &LumetraView::power_uJ_Changed);
        QSignalSpy percent(&view, &LumetraView::powerPercentChanged);
        QSignalSpy index(&view, &LumetraView::powerIndexChanged);
        enter(power, "25.5");
        QCOMPARE(uJ.count(), 1);
        QCOMPARE(uJ.at(0).at(0).toDouble(), 25.5);
        QCOMPARE(percent.count(), 0);

        power->unitSelector()->checkCurrentIndex(1);
        QCOMPARE(index.count(), 1);
        QCOMPARE(index.at(0).at(0).toInt(), 1);
        QCOMPARE(power->getLineInput()->text(), QString("40.00"));
        enter(power, "12.5");
        QCOMPARE(percent.count(), 1);
        QCOMPARE(percent.at(0).at(0).toDouble(), 12.5);
        QCOMPARE(uJ.count(), 1);

        power->unitSelector()->checkCurrentIndex(0);
        QCOMPARE(power->getLineInput()->text(), QString("25.50"));
        power->unitSelector()->checkCurrentIndex(1);
        QCOMPARE(power->getLineInput()->text(), QString("12.50"));

        // A report for the unit not shown is kept for later and leaves the field alone.
        view.setPowerSetpoint_uJ(33);
        QCOMPARE(power->getLineInput()->text(), QString("12.50"));
        view.setPowerSetpointIndex(0);
        QCOMPARE(power->unitIndex(), 0);
        QCOMPARE(power->getLineInput()->text(), QString("33.00"));
    }

    void energyRangeClampsEntries()
    {
        LumetraView view;
        view.show();
        auto *power = child<ComboSlider>(view, "powerSlider");
        QVERIFY(power);
        // Limits derived from reciprocals arrive upside down; the control must still be usable.
        view.setPowerRange_uJ(40, 2);
        QSignalSpy uJ(&view, &LumetraView::power_uJ_Changed);
        enter(power, "100");
        QCOMPARE(uJ.count(), 1);
        QCOMPARE(uJ.at(0).at(0).toDouble(), 40.0);
        enter(power, "1");
        QCOMPARE(uJ.at(1).at(0).toDouble(), 2.0);
    }

    void repRateScales()
    {
        LumetraView view;
        view.show();
        auto *rate = child<ComboSlider>(view, "repRateSlider");
        QVERIFY(rate);
        // Steps in the laser's index order: falling, with an infinite rate from a division value of 0.
        view.setRepRateSteps({80000, 40000, 20000, inf});
        view.setRepRateDividerSteps({4, 2, 1});
        view.setRepRate(40000);
        view.setRepRateDivider(2);
        QCOMPARE(rate->value(), 40000.0);

        QSignalSpy rateSpy(&view, &LumetraView::repRateChanged);
        QSignalSpy dividerSpy(&view, &LumetraView::repRateDividerChanged);
        QSignalSpy scaleSpy(&view, &LumetraView::repRateScaleIndexChanged);
        enter(rate, "30000");
        QCOMPARE(rateSpy.count(), 1);
        QCOMPARE(rateSpy.at(0).at(0).toDouble(), 40000.0);
        enter(rate, "90000");
        QCOMPARE(rateSpy.at(1).at(0).toDouble(), 80000.0);

        rate->scaleSelector()->checkCurrentIndex(1);
        QCOMPARE(scaleSpy.count(), 1);
        QCOMPARE(scaleSpy.at(0).at(0).toInt(), 1);
        QCOMPARE(rate->scaleIndex(), 1);
        QCOMPARE(rate->value(), 2.0);
        enter(rate, "4");
        QCOMPARE(dividerSpy.count(), 1);
        QCOMPARE(dividerSpy.at(0).at(0).toDouble(), 4.0);
        QCOMPARE(rateSpy.count(), 2);

        view.setRepRateScaleIndex(0);
        QCOMPARE(rate->scaleIndex(), 0);
        QCOMPARE(rate->value(), 80000.0);
        QCOMPARE(scaleSpy.count(), 1);
    }

    void divisionAndOvensAreRelayed()
    {
        LumetraView view;
        view.show();
        QSignalSpy division(&view, &LumetraView::divisionChanged);
        QSignalSpy oven1(&view, &LumetraView::oven1SetpointChanged);
        QSignalSpy oven2(&view, &LumetraView::oven2SetpointChanged);
        QSignalSpy ovenMode(&view, &LumetraView::ovenModeComboChanged);
        view.setDivisionRange(1, 10000000);
        enter(child<ComboSlider>(view, "divisionSlider"), "2500");
        QCOMPARE(division.count(), 1);
        QCOMPARE(division.at(0).at(0).toDouble(), 2500.0);
        view.setControlPage(LumetraView::HGPage);
        view.setOven1TempSetpointRange(20, 60);
        enter(child<ComboSlider>(view, "oven1Slider"), "45.25");
        QCOMPARE(oven1.count(), 1);
        QVERIFY(qAbs(oven1.at(0).at(0).toDouble() - 45.25) < 1e-9);
        enter(child<ComboSlider>(view, "oven2Slider"), "150");
        QCOMPARE(oven2.count(), 1);
        QCOMPARE(oven2.at(0).at(0).toDouble(), 100.0);
        QCOMPARE(oven1.count(), 1);
        child<ComboBox>(view, "ovenModeCombo")->checkCurrentIndex(1);
        QCOMPARE(ovenMode.count(), 1);
        QCOMPARE(ovenMode.at(0).at(0).toInt(), 1);
    }

    void enableWavelengths_data()
    {
        QTest::addColumn<bool>("e343");
        QTest::addColumn<bool>("e515");
        QTest::addColumn<bool>("e1030");
        QTest::addColumn<bool>("rowShown");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("none") << false << false << false << false << false;
        QTest::newRow("515 only") << false << true << false << true << false;
        QTest::newRow("343 only") << true << false << false << true << false;
        QTest::newRow("515 and 1030") << false << true << true << true << true;
        QTest::newRow("all") << true << true << true << true << true;
    }

    void enableWavelengths()
    {
        QFETCH(bool, e343);
        QFETCH(bool, e515);
        QFETCH(bool, e1030);
        QFETCH(bool, rowShown);
        QFETCH(bool, enabled);
        LumetraView view;
        view.show();
        view.enableWavelengths(e343, e515, e1030);
        QCOMPARE(child<QWidget>(view, "wavelengthRow")->isVisible(), rowShown);
        auto *combo = child<ComboBox>(view, "wavelengthCombo");
        QCOMPARE(combo->isEnabled(), enabled);
        QCOMPARE(combo->hasItemVisibility(0), e1030);
        QCOMPARE(combo->hasItemVisibility(1), e515);
        QCOMPARE(combo->hasItemVisibility(2), e343);
        // While the laser is neither in listen nor in standby the wavelength stays put.
        view.setWavelengthSelectorEnabled(false);
        QVERIFY(!combo->isEnabled());
        view.setWavelengthSelectorEnabled(true);
        QCOMPARE(combo->isEnabled(), enabled);
    }

    void statusStripWavelengthIsRelayed()
    {
        LumetraView view;
        QSignalSpy spy(&view, &LumetraView::wavelengthChanged);
        child<ComboBox>(view, "wavelengthCombo")->checkCurrentIndex(2);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), 2);
    }

    void cancelledWavelengthChangeSendsNothing()
    {
        LumetraView view;
        view.show();
        view.setWavelengthSelectorCombo(1);
        auto *selector = child<ComboBox>(view, "wavelengthSelectorCombo");
        QSignalSpy spy(&view, &LumetraView::wavelengthSelectorComboChanged);
        QStringList texts;
        bool warningSuppressed = false;
        onNextDialog([&](QDialog *dialog) {
            texts = labelTexts(dialog);
            // A harmonic-generator warning that arrives now must not stack a second dialog.
            view.setHGModuleWarning("Shutter in wrong position");
            warningSuppressed = view.findChild<Dialog *>("hgWarningDialog") == nullptr;
            QVERIFY(view.isDialogOpen());
            click(dialog, "cancelButton");
        });
        selector->checkCurrentIndex(2);
        QTRY_VERIFY(!texts.isEmpty() && !view.isDialogOpen());
        QCOMPARE(texts, QStringList({"** Warning **", "The AOM will be disabled, click OK to continue."}));
        QVERIFY(warningSuppressed);
        QCOMPARE(spy.count(), 0);
        QCOMPARE(selector->currentIndex(), 1);
    }

    void confirmedWavelengthChangeAsksForShutters()
    {
        LumetraView view;
        view.show();
        view.setWavelengthSelectorCombo(0);
        auto *selector = child<ComboBox>(view, "wavelengthSelectorCombo");
        QSignalSpy spy(&view, &LumetraView::wavelengthSelectorComboChanged);
        QStringList second;
        int sentBeforeSecond = -1;
        onNextDialog([&](QDialog *dialog) {
            onNextDialog([&](QDialog *again) {
                second = labelTexts(again);
                sentBeforeSecond = spy.count();
                QVERIFY(!again->findChild<QAbstractButton *>("cancelButton")->isVisible());
                click(again, "okButton");
            });
            click(dialog, "okButton");
        });
        selector->checkCurrentIndex(2);
        QTRY_VERIFY(!second.isEmpty() && !view.isDialogOpen());
        QCOMPARE(sentBeforeSecond, 1);
        QCOMPARE(second,
                 QStringList({"** Attention **",
                              "Open the UV shutter and close the IR shutter.\nClick OK to continue."}));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), 2);
        QCOMPARE(selector->currentIndex(), 2);

        // The next change names the output just chosen as the one to close.
        onNextDialog([&](QDialog *dialog) {
            onNextDialog([&](QDialog *again) {
                second = labelTexts(again);
                click(again, "okButton");
            });
            click(dialog, "okButton");
        });
        second.clear();
        selector->checkCurrentIndex(1);
        QTRY_VERIFY(!second.isEmpty() && !view.isDialogOpen());
        QCOMPARE(second.value(1),
                 QString("Open the Green shutter and close the UV shutter.\nClick OK to continue."));
    }

    // The port can close while the operator reads the warning; the panel then goes away under it.
    void panelDeletedWhileWarningOpen()
    {
        QPointer<LumetraView> view = new LumetraView;
        view->show();
        QSignalSpy spy(view.data(), &LumetraView::wavelengthSelectorComboChanged);
        bool dialogSeen = false;
        onNextDialog([&](QDialog *dialog) {
            dialogSeen = dialog->objectName() == "wavelengthDialog";
            view->deleteLater();
        });
        view->findChild<ComboBox *>("wavelengthSelectorCombo")->checkCurrentIndex(1);
        QTRY_VERIFY(view.isNull());
        QVERIFY(dialogSeen);
        QCOMPARE(spy.count(), 0);
        QVERIFY(!QApplication::activeModalWidget());
    }

    void dynamicSwitchingSendsAtOnce()
    {
        LumetraView view;
        view.show();
        view.setDynamicWavelengthFeature(1);
        QCOMPARE(quint32(child<Indicator>(view, "dynamicWlsLamp")->color()), quint32(Indicator::Green));
        QVERIFY(child<QRadioButton>(view, "dynamicEnableButton")->isChecked());
        QSignalSpy spy(&view, &LumetraView::wavelengthSelectorComboChanged);
        child<ComboBox>(view, "wavelengthSelectorCombo")->checkCurrentIndex(3);
        QTRY_COMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), 3);
        QVERIFY(!QApplication::activeModalWidget());

        view.setDynamicWavelengthFeature(7);
        QVERIFY(child<QRadioButton>(view, "dynamicEnableButton")->isChecked());
        view.setDynamicWavelengthFeature(0);
        QVERIFY(child<QRadioButton>(view, "dynamicDisableButton")->isChecked());
        QCOMPARE(quint32(child<Indicator>(view, "dynamicWlsLamp")->color()), quint32(Indicator::Grey));
    }

    void dynamicFeatureButtonsAndSave()
    {
        LumetraView view;
        view.show();
        view.setControlPage(LumetraView::HGPage);
        QSignalSpy feature(&view, &LumetraView::dynamicWavelengthFeature);
        QTest::mouseClick(child<QRadioButton>(view, "dynamicEnableButton"), Qt::LeftButton, Qt::NoModifier,
                          QPoint(8, 8));
        QTest::mouseClick(child<QRadioButton>(view, "dynamicDisableButton"), Qt::LeftButton, Qt::NoModifier,
                          QPoint(8, 8));
        QCOMPARE(feature.count(), 2);
        QCOMPARE(feature.at(0).at(0).toInt(), 1);
        QCOMPARE(feature.at(1).at(0).toInt(), 0);

        view.setControlPage(LumetraView::ControlPage);
        view.setPowerRange_uJ(0, 100);
        view.setPowerSetpoint_uJ(7.25);
        view.setWavelengthSelectorCombo(2);
        QSignalSpy save(&view, &LumetraView::dynamicWLS_SaveSetpoint);
        QTest::mouseClick(child<Button>(view, "dynamicWlsSaveButton"), Qt::LeftButton);
        QCOMPARE(save.count(), 1);
        QCOMPARE(save.at(0).at(0).toInt(), 2);
        QCOMPARE(save.at(0).at(1).toDouble(), 7.25);
    }

    void digitalGate_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("first");
        QTest::addColumn<bool>("second");
        QTest::addColumn<QString>("low");
        QTest::addColumn<QString>("high");
        QTest::newRow("0") << 0 << true << false << "AOM Open"
                           << "AOM Closed";
        QTest::newRow("1") << 1 << false << true << "AOM Closed"
                           << "AOM Open";
        QTest::newRow("unknown") << 5 << false << false << "    "
                                 << "    ";
    }

    void digitalGate()
    {
        QFETCH(int, state);
        QFETCH(bool, first);
        QFETCH(bool, second);
        QFETCH(QString, low);
        QFETCH(QString, high);
        LumetraView view;
        view.setDigitalGate(state == 1 ? 0 : 1);
        view.setDigitalGate(state);
        QCOMPARE(child<QRadioButton>(view, "gateFirstButton")->isChecked(), first);
        QCOMPARE(child<QRadioButton>(view, "gateSecondButton")->isChecked(), second);
        QCOMPARE(text(view, "gateLowText"), low);
        QCOMPARE(text(view, "gateHighText"), high);
    }

    void digitalGateClickIsSent()
    {
        LumetraView view;
        view.show();
        view.setControlPage(LumetraView::SystemSettingsPage);
        QSignalSpy spy(&view, &LumetraView::digitalGateModeChanged);
        QTest::mouseClick(child<QRadioButton>(view, "gateSecondButton"), Qt::LeftButton, Qt::NoModifier,
                          QPoint(8, 8));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), 1);
        QCOMPARE(text(view, "gateLowText"), QString("AOM Closed"));
        QTest::mouseClick(child<QRadioButton>(view, "gateFirstButton"), Qt::LeftButton, Qt::NoModifier,
                          QPoint(8, 8));
        QCOMPARE(spy.at(1).at(0).toInt(), 0);
        QCOMPARE(text(view, "gateLowText"), QString("AOM Open"));
    }

    void systemInfoView()
    {
        LumetraView view;
        view.show();
        auto *group = child<QWidget>(view, "systemInfoGroup");
        auto *check = child<QCheckBox>(view, "systemInfoCheck");
        QVERIFY(group->isVisible());
        QVERIFY(check->isChecked());
        QSignalSpy spy(&view, &LumetraView::systemInfoViewChanged);
        view.setSystemInfoView(false);
        QVERIFY(!group->isVisible());
        QVERIFY(!check->isChecked());
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toBool(), false);
        check->setChecked(true);
        QVERIFY(group->isVisible());
        QCOMPARE(spy.at(1).at(0).toBool(), true);
    }

    void visibilitySlotsHideLabelAndValue_data()
    {
        QTest::addColumn<QString>("slot");
        QTest::addColumn<QString>("name");
        QTest::newRow("green energy") << "setPowerMeasuredGreen_uJVisibility"
                                      << "energyReadout1";
        QTest::newRow("uv power") << "setOutputPowerUVMeasuredWVisibility"
                                  << "powerReadout2";
        QTest::newRow("humidity") << "setHumidityMonitorVisibility"
                                  << "humidityReadout";
        QTest::newRow("oven 2") << "setOven2TempActualVisibility"
                                << "oven2Actual";
        QTest::newRow("rep rate") << "setOutputRepRateVisibility"
                                  << "outputRepRateReadout";
        QTest::newRow("aom") << "setDynamicWLS_DUV_Visibility"
                             << "aomPercent3";
    }

    void visibilitySlotsHideLabelAndValue()
    {
        QFETCH(QString, slot);
        QFETCH(QString, name);
        LumetraView view;
        view.show();
        view.setControlPage(LumetraView::HGPage);
        auto *value = view.findChild<QLabel *>(name);
        QVERIFY(value);
        auto *layout = qobject_cast<QGridLayout *>(value->parentWidget()->layout());
        QWidget *label = nullptr;
        for (QGridLayout *grid : value->parentWidget()->findChildren<QGridLayout *>()) {
            const int index = grid->indexOf(value);
            if (index >= 0) {
                int row, column, rowSpan, columnSpan;
                grid->getItemPosition(index, &row, &column, &rowSpan, &columnSpan);
                label = grid->itemAtPosition(row, 0)->widget();
                layout = grid;
            }
        }
        QVERIFY(layout && label && label != value);
        QVERIFY(QMetaObject::invokeMethod(&view, slot.toLatin1().constData(), Q_ARG(bool, false)));
        QVERIFY(value->isHidden());
        QVERIFY(label->isHidden());
        QVERIFY(QMetaObject::invokeMethod(&view, slot.toLatin1().constData(), Q_ARG(bool, true)));
        QVERIFY(!value->isHidden());
        QVERIFY(!label->isHidden());
    }

    void hgWarningDialog()
    {
        LumetraView view;
        view.show();
        view.setHGModuleWarning("Shutter in wrong position");
        auto dialogs = view.findChildren<Dialog *>("hgWarningDialog");
        QCOMPARE(dialogs.size(), 1);
        QPointer<Dialog> dialog = dialogs.first();
        QVERIFY(dialog->isVisible());
        QCOMPARE(labelTexts(dialog), QStringList({"** Warning **", "Shutter in wrong position"}));
        // The laser repeats the warning at every poll; the operator sees it once.
        view.setHGModuleWarning("Shutter in wrong position");
        QCOMPARE(view.findChildren<Dialog *>("hgWarningDialog").size(), 1);
        auto *ok = dialog->findChild<Button *>();
        QVERIFY(ok);
        QCOMPARE(ok->text(), QString("OK"));
        QTest::mouseClick(ok, Qt::LeftButton);
        QTRY_VERIFY(dialog.isNull());
        view.setHGModuleWarning("Humidity");
        QCOMPARE(view.findChildren<Dialog *>("hgWarningDialog").size(), 1);
    }

    // Text from the laser is shown as written: markup in it must neither restyle the panel nor make the
    // GUI thread load a file (an <img> of /dev/zero froze it). A real image file tells the two apart: as
    // rich text the label would grow to the picture's height.
    void deviceTextIsPlain_data()
    {
        QTest::addColumn<QString>("slot");
        QTest::addColumn<QString>("label");
        QTest::newRow("system type") << "setLumetraType"
                                     << "";
        QTest::newRow("serial number") << "setSerialNumber"
                                       << "serialNumberInfo";
        QTest::newRow("firmware") << "setFirmwareVersion"
                                  << "firmwareVersionInfo";
        QTest::newRow("HG error") << "setErrorcodeHGMessage"
                                  << "hgErrorMessage";
        QTest::newRow("HG warning banner") << "setHGModuleWarning"
                                           << "hgWarningBanner";
    }

    void deviceTextIsPlain()
    {
        QFETCH(QString, slot);
        QFETCH(QString, label);
        QTemporaryDir folder;
        const QString picture = folder.filePath("tall.png");
        QImage image(40, 1000, QImage::Format_RGB32);
        image.fill(Qt::red);
        QVERIFY(image.save(picture));
        const QString markup = QStringLiteral("<img src=\"%1\"><font size=7>X</font>").arg(picture);

        LumetraView view;
        view.show();
        QVERIFY(QMetaObject::invokeMethod(&view, slot.toLatin1().constData(), Q_ARG(QString, markup)));
        QLabel *shown =
            label.isEmpty() ? view.tinyHeaderLabel() : child<QLabel>(view, label.toLatin1().constData());
        QVERIFY(shown);
        QVERIFY(shown->text().contains(markup));
        // Plain text may wrap into a few lines in a narrow label, but never reaches the picture's height.
        QVERIFY2(shown->sizeHint().height() < 500, qPrintable(QString::number(shown->sizeHint().height())));
        if (auto *dialog = view.findChild<Dialog *>("hgWarningDialog")) {
            const auto labels = dialog->findChildren<QLabel *>();
            auto message = std::find_if(labels.begin(), labels.end(),
                                        [&markup](QLabel *l) { return l->text() == markup; });
            QVERIFY(message != labels.end());
            QVERIFY((*message)->sizeHint().height() < 100);
        }
    }

    void shutterWarningReturnsOnlyAfterClearing()
    {
        const QString warning("Shutter in wrong position");
        LumetraView view;
        view.show();
        auto *hold = child<QTimer>(view, "hgWarningHold");
        auto *banner = child<QLabel>(view, "hgWarningBanner");
        QVERIFY(hold && banner);
        auto windows = [&view]() {
            return view.findChildren<Dialog *>("hgWarningDialog");
        };
        auto acknowledge = [&windows]() {
            QCOMPARE(windows().size(), 1);
            QPointer<Dialog> dialog = windows().first();
            QTest::mouseClick(dialog->findChild<Button *>(), Qt::LeftButton);
            QTRY_VERIFY(dialog.isNull());
        };

        view.setHGModuleWarning(warning);
        acknowledge();
        // Still active: the laser repeats it at every poll; the operator must reach the state buttons.
        for (int poll = 0; poll < 3; ++poll) {
            view.setHGModuleWarning(warning);
            QVERIFY(windows().isEmpty());
            QVERIFY(banner->isVisible());
            QVERIFY(banner->text().contains(warning));
        }
        QVERIFY(!QApplication::activeModalWidget());

        // No repeat for the hold time: cleared. Its return is news again.
        QVERIFY(hold->isActive());
        QVERIFY(QMetaObject::invokeMethod(hold, "timeout"));
        QVERIFY(!banner->isVisible());
        view.setHGModuleWarning(warning);
        acknowledge();
    }

    // A move takes minutes: it is sent only once the operator has confirmed it, and a spot the crystal
    // does not have is refused with a message rather than clamped to the nearest end and sent.
    void crystalSpotEntry_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("answer"); // button of the window that opens, or empty for none
        QTest::addColumn<QString>("window");
        QTest::addColumn<QVariantList>("sent");
        QTest::addColumn<int>("shown"); // what the control shows afterwards
        // clang-format off
        QTest::newRow("above the range") << "9" << "" << "spotRefusedDialog" << QVariantList() << 4;
        QTest::newRow("below the range") << "1" << "" << "spotRefusedDialog" << QVariantList() << 4;
        QTest::newRow("declined") << "6" << "cancelButton" << "spotChangeDialog" << QVariantList() << 4;
        QTest::newRow("confirmed") << "6" << "okButton" << "spotChangeDialog" << QVariantList{6.0} << 6;
        QTest::newRow("half rounds up") << "2.5" << "okButton" << "spotChangeDialog" << QVariantList{3.0} << 3;
        QTest::newRow("same spot moves nothing") << "4" << "" << "" << QVariantList() << 4;
        // clang-format on
    }

    void crystalSpotEntry()
    {
        QFETCH(QString, entry);
        QFETCH(QString, answer);
        QFETCH(QString, window);
        QFETCH(QVariantList, sent);
        QFETCH(int, shown);
        LumetraView view;
        view.show();
        view.setControlPage(LumetraView::HGPage);
        auto *spot = child<ComboSlider>(view, "crystalSlider");
        auto *move = child<LumetraSpotChangeDialog>(view, "spotChangeDialog");
        view.setCrystalPositionRange(2, 6);
        view.setCrystalPosition(4);
        QSignalSpy spy(&view, &LumetraView::crystalSpotSliderChanged);

        enter(spot, entry);
        const bool moving = answer == "okButton";
        QPointer<QDialog> asked = window.isEmpty() ? nullptr : view.findChild<QDialog *>(window);
        QCOMPARE(asked.isNull(), window.isEmpty());
        if (asked) {
            QVERIFY(asked->isVisible());
            QVERIFY(view.isDialogOpen());
            // Nothing leaves before the answer.
            QCOMPARE(spy.count(), 0);
            const QString question = labelTexts(asked).join(' ');
            if (window == "spotRefusedDialog") {
                QVERIFY2(question.contains("There is no spot " + entry), qPrintable(question));
                QVERIFY(question.contains("2 to 6"));
                QTest::mouseClick(asked->findChild<Button *>(), Qt::LeftButton);
                QTRY_VERIFY(asked.isNull());
            } else {
                QVERIFY2(question.contains("from spot 4 to spot"), qPrintable(question));
                QVERIFY(!move->ticker()->isVisible());
                click(asked, answer.toLatin1().constData());
                QCOMPARE(asked->isVisible(), moving);
            }
        }
        QVariantList values;
        for (const QList<QVariant> &call : spy) {
            values << call.at(0).toDouble();
        }
        QCOMPARE(values, sent);
        QCOMPARE(spot->value(), double(shown));
        QCOMPARE(move->isVisible(), moving);
        if (moving) {
            // Where it goes, where it is and how long it has left.
            const int seconds = qAbs(shown - 4) * 10;
            QCOMPARE(move->ticker()->maximum(), seconds);
            const QString details = child<QLabel>(*move, "spotMoveDetails")->text();
            QVERIFY2(details.contains(QStringLiteral("Target spot: %1").arg(shown)), qPrintable(details));
            QVERIFY(details.contains("Current spot: 4"));
            QVERIFY(details.contains(QStringLiteral("about %1 s").arg(seconds - 1)));
            QVERIFY(labelTexts(move).contains("The current spot is changing, please wait"));
            // The laser reports the new spot before the bar has run out: the window goes at once.
            view.setCrystalPosition(shown);
            QVERIFY(!move->isVisible());
            QVERIFY(!move->ticker()->isTicking());
        }
    }

    void crystalRangeAndReadOnly()
    {
        LumetraView view;
        view.show();
        view.setControlPage(LumetraView::HGPage);
        auto *spot = child<ComboSlider>(view, "crystalSlider");
        view.setCrystalPositionRange(2, 6);
        view.setCrystalPosition(4);
        view.setCrystalPositionReadOnly(true);
        QVERIFY(!spot->isEnabled());
        view.setCrystalPositionReadOnly(false);
        QVERIFY(spot->isEnabled());
        view.setCrystalPositionVisibility(false);
        QVERIFY(!child<QWidget>(view, "crystalGroup")->isVisible());
        // A garbled run-time map must not make the panel build millions of steps.
        view.setCrystalPositionRange(1, 2000000000);
        QCOMPARE(spot->slider()->nearestStepValue(1000), 6.0);
    }

    // With the serial monitor and the log docked on a 1366x768 screen the panel is about 440 pixels high;
    // the state buttons must stay in view there, with the status strip scrolling instead.
    void stateButtonsStayInViewOnALowPanel()
    {
        LumetraView view;
        view.setRemoteControlWidget(new LumetraRemoteControl);
        view.setHGModuleWarning("Shutter in wrong position"); // the tallest strip: banner shown
        for (QWidget *dialog : view.findChildren<Dialog *>("hgWarningDialog")) {
            dialog->close();
        }
        view.resize(1100, 440);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        const auto buttons = view.findChildren<IndicatorButton *>();
        QCOMPARE(buttons.size(), 4);
        for (IndicatorButton *button : buttons) {
            const QRect shown(button->mapTo(&view, QPoint(0, 0)), button->size());
            QVERIFY2(view.rect().contains(shown), qPrintable(button->objectName()));
            // Not merely inside the panel's rectangle: not scrolled out of a viewport either.
            QVERIFY(!button->visibleRegion().isEmpty());
            QCOMPARE(button->visibleRegion().boundingRect().size(), button->size());
        }
    }

    void runtimeTableFromView()
    {
        LumetraView view;
        view.show();
        view.setCrystalMaxRuntime(7200);
        view.setCrystalAllRuntimes({{2, 3660}, {1, 0}});
        view.setControlPage(LumetraView::HGPage);
        QTest::mouseClick(child<Button>(view, "showAllSpotsButton"), Qt::LeftButton);
        auto *table = view.findChild<QDialog *>("runtimeTable");
        QVERIFY(table);
        QVERIFY(table->isVisible());
        auto *grid = table->findChild<QGridLayout *>();
        QCOMPARE(grid->rowCount(), 3);
        auto cell = [grid](int row, int column) {
            return qobject_cast<QLabel *>(grid->itemAtPosition(row, column)->widget())->text();
        };
        QCOMPARE(cell(1, 0), QString("1"));
        QCOMPARE(cell(2, 0), QString("2"));
        QCOMPARE(cell(2, 1), QString("1 hours 1 minutes"));
        QCOMPARE(cell(2, 2), QString("2 hours 0 minutes"));
        table->close();
    }

    // The controls run the panel's named slots, and each slot does what the control does.
    void controlsRunTheNamedSlots_data()
    {
        QTest::addColumn<QByteArray>("slot");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("input"); // typed; "%" picks that unit; empty clicks
        QTest::addColumn<QVariant>("argument");
        QTest::addColumn<QString>("effect");
        QTest::newRow("energy") << QByteArray("newPowerValue(double)") << "powerSlider"
                                << "1.5" << QVariant(1.5) << "power_uJ_Changed 1.5";
        QTest::newRow("energy unit") << QByteArray("newPowerIndex(int)") << "powerSlider"
                                     << "%" << QVariant(1) << "field 12.50";
        QTest::newRow("rep rate") << QByteArray("newRepRateSliderValue(double)") << "repRateSlider"
                                  << "200" << QVariant(200.0) << "repRateChanged 200";
        QTest::newRow("crystal spot") << QByteArray("newCrystalSpotSelected(double)") << "crystalSlider"
                                      << "5" << QVariant(5.0) << "spotChangeDialog";
        QTest::newRow("all spots") << QByteArray("showAllSpotsButtonClicked()") << "showAllSpotsButton"
                                   << "" << QVariant() << "runtimeTable";
    }

    void controlsRunTheNamedSlots()
    {
        QFETCH(QByteArray, slot);
        QFETCH(QString, control);
        QFETCH(QString, input);
        QFETCH(QVariant, argument);
        QFETCH(QString, effect);
        const int index = LumetraView::staticMetaObject.indexOfSlot(slot.constData());
        QVERIFY2(index >= 0, slot.constData());
        // What the panel did: the values it sent, the energy field and the windows it opened.
        const auto run = [&](bool byName) {
            LumetraView view;
            view.show();
            view.setPowerSetpoint_Percent(12.5);
            view.setRepRateSteps({100, 200, 500});
            view.setCrystalPositionRange(1, 10);
            view.setCrystalPosition(3);
            view.setControlPage(control.startsWith("crystal") || control.startsWith("showAll")
                                    ? LumetraView::HGPage
                                    : LumetraView::ControlPage);
            QSignalSpy energy(&view, &LumetraView::power_uJ_Changed);
            QSignalSpy rate(&view, &LumetraView::repRateChanged);
            auto *slider = view.findChild<ComboSlider *>(control);
            if (byName) {
                const QMetaMethod method = view.metaObject()->method(index);
                if (argument.isValid())
                    method.invoke(&view, QGenericArgument(argument.typeName(), argument.constData()));
                else
                    method.invoke(&view);
            } else if (input == "%") {
                slider->unitSelector()->checkCurrentIndex(1);
            } else if (!input.isEmpty()) {
                enter(slider, input);
            } else {
                QTest::mouseClick(view.findChild<QAbstractButton *>(control), Qt::LeftButton);
            }
            QStringList done{"field " + child<ComboSlider>(view, "powerSlider")->getLineInput()->text()};
            for (const QList<QVariant> &call : energy)
                done << "power_uJ_Changed " + call.at(0).toString();
            for (const QList<QVariant> &call : rate)
                done << "repRateChanged " + call.at(0).toString();
            for (QDialog *dialog : view.findChildren<QDialog *>())
                if (dialog->isVisible())
                    done << dialog->objectName();
            return done;
        };
        const QStringList byControl = run(false);
        QVERIFY2(byControl.count(effect) == 1, qPrintable(byControl.join(", ")));
        const QStringList bySlot = run(true);
        QVERIFY2(bySlot.count(effect) == 1, qPrintable(bySlot.join(", ")));
    }
};

QTEST_MAIN(TestLumetraView)
#include "tst_lumetraview.moc"
