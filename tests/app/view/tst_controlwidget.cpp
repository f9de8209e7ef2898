#include "app/view/LumetraControlWidget.h"
#include "app/view/LumetraRemoteControl.h"
#include "app/view/LumetraView.h"
#include "device/LumetraController.h"
#include "dialkit/Button.h"
#include "dialkit/ComboSlider.h"
#include "dialkit/IndicatorButton.h"
#include "dialkit/LineEditNumber.h"
#include "framekit/GUIWidget.h"
#include "framekit/MainControlPanel.h"

#include <QDialog>
#include <QLabel>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// The controller's control widget: built once, wired both ways, greyed out while disconnected.
class TestControlWidget : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir settingsDir;

    // A controller that builds its controls into `panel`, as the main window sets it up.
    static std::unique_ptr<LumetraController> controllerFor(MainControlPanel &panel)
    {
        auto controller = std::make_unique<LumetraController>(nullptr);
        controller->setControlBuilder(LumetraControlWidget::builder(&panel));
        return controller;
    }
    static void turn(LumetraController &controller)
    {
        QVERIFY(QMetaObject::invokeMethod(&controller, "slotMainLoop"));
    }
    static QString label(QWidget *root, const char *name)
    {
        auto *found = root->findChild<QLabel *>(QLatin1String(name));
        return found ? found->text() : QStringLiteral("<missing>");
    }
    static void enter(ComboSlider *slider, const QString &number)
    {
        LineEditNumber *field = slider->getLineInput();
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, number);
        QTest::keyClick(field, Qt::Key_Return);
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(settingsDir.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
        QCoreApplication::setOrganizationName("Zorvane");
        QCoreApplication::setApplicationName("LUMETRA-QZ-controlwidget");
    }

    void init()
    {
        QSettings settings(QSettings::IniFormat, QSettings::UserScope, QCoreApplication::organizationName(),
                           QCoreApplication::applicationName());
        settings.clear();
    }

    void builtOnceAndGreyedWhileDisconnected()
    {
        MainControlPanel panel;
        panel.resize(1366, 700);
        panel.show();
        const auto owned = controllerFor(panel);
        LumetraController &controller = *owned;
        turn(controller);
        const auto widgets = panel.findChildren<GUIWidget *>();
        QCOMPARE(widgets.size(), 1);
        QPointer<GUIWidget> widget = widgets.first();
        QVERIFY(widget->isVisible());
        QVERIFY(!widget->isEnabled());
        auto *view = widget->findChild<LumetraView *>();
        QVERIFY(view);
        QCOMPARE(view->parentWidget(), widget.data());
        auto *remote = view->findChild<LumetraRemoteControl *>();
        QVERIFY(remote);

        controller.slotConnectedStatus(true);
        QTRY_VERIFY(widget->isEnabled());
        controller.slotConnectedStatus(false);
        QTRY_VERIFY(!widget->isEnabled());
        // The next set-up turn finds the widget alive and keeps it, with what it showed.
        emit controller.setHumidityMonitor(41);
        controller.slotConnectedStatus(true);
        QTRY_VERIFY(widget->isEnabled());
        QVERIFY(!widget.isNull());
        QCOMPARE(panel.findChildren<GUIWidget *>().size(), 1);
        QCOMPARE(panel.findChildren<LumetraView *>().size(), 1);
        QCOMPARE(label(view, "humidityReadout"), QString("41%"));
    }

    // A setter signal added on one side only would leave a panel control that never changes: every
    // controller signal reaches the view slot of its signature or is left out by name.
    void settersPairWithTheView()
    {
        const QMetaObject &controllerClass = LumetraController::staticMetaObject;
        QCOMPARE(LumetraControlWidget::pairingMismatches(controllerClass, LumetraView::staticMetaObject),
                 QStringList());
        LumetraController controller(nullptr);
        LumetraView view;
        QCOMPARE(LumetraControlWidget::connectSetters(&controller, &view), 142);

        // The check itself: against a class without those slots every pairing is missed, while the
        // left-out entries still name real signals; against a class without those signals they do not.
        const QStringList noSlots =
            LumetraControlWidget::pairingMismatches(controllerClass, QObject::staticMetaObject);
        QCOMPARE(noSlots.size(), 142);
        QCOMPARE(noSlots.filter("is left out").size(), 0);
        const QStringList noSignals =
            LumetraControlWidget::pairingMismatches(QObject::staticMetaObject, LumetraView::staticMetaObject);
        QVERIFY(
            noSignals.filter("controller has no such signal")
                .contains("controlEnabledChanged(bool) is left out, but the controller has no such signal"));
    }

    void persistedChoicesShownFromTheStart()
    {
        {
            QSettings settings(QSettings::IniFormat, QSettings::UserScope,
                               QCoreApplication::organizationName(), QCoreApplication::applicationName());
            settings.setValue("powerSetIndex", 1);
            settings.setValue("repRateScaleIndex", 1);
            settings.setValue("viewSystemInfo", false);
        }
        MainControlPanel panel;
        panel.show();
        const auto owned = controllerFor(panel);
        LumetraController &controller = *owned;
        turn(controller);
        auto *view = panel.findChild<LumetraView *>();
        QVERIFY(view);
        QCOMPARE(view->findChild<ComboSlider *>("powerSlider")->unitIndex(), 1);
        QCOMPARE(view->findChild<ComboSlider *>("repRateSlider")->scaleIndex(), 1);
        QVERIFY(!view->findChild<QWidget *>("systemInfoGroup")->isVisible());
        QVERIFY(view->findChild<ComboSlider *>("divisionSlider")->currentUnit()->maxValue() >= 10000000);
    }

    // A sample of the one-to-one setter connections, the misspelt temperature ones included.
    void controllerDrivesTheView()
    {
        MainControlPanel panel;
        panel.show();
        const auto owned = controllerFor(panel);
        LumetraController &controller = *owned;
        turn(controller);
        auto *view = panel.findChild<LumetraView *>();
        QVERIFY(view);
        emit controller.setOutputRepRate(1000);
        QCOMPARE(label(view, "outputRepRateReadout"), QString("1000.000 kHz"));
        emit controller.setSerialNumber("LQZ-7");
        QCOMPARE(label(view, "serialNumberInfo"), QString("LQZ-7"));
        view->setControlPage(LumetraView::TemperaturePage);
        auto *temperature3 = view->findChild<QWidget *>("temperature3");
        QVERIFY(temperature3->isVisible());
        emit controller.setTemperatureVisibilty3(false);
        QVERIFY(!temperature3->isVisible());
        emit controller.setHGModuleWarning("Shutter in wrong position");
        QVERIFY(view->findChild<QDialog *>("hgWarningDialog"));
        view->findChild<QDialog *>("hgWarningDialog")->reject();

        auto buttons = view->findChildren<IndicatorButton *>();
        QCOMPARE(buttons.size(), 4);
        emit controller.setOutEnableOn(true);
        QCOMPARE(buttons.at(0)->button()->text(), QString("Output\ndisable"));
        emit controller.setOutEnableOnVisible(false);
        QVERIFY(buttons.at(0)->isHidden());
        emit controller.setStandbyFlash(true);
        QVERIFY(buttons.at(2)->indicator()->isBlinking());
        emit controller.enableListen(false);
        QVERIFY(!buttons.at(3)->button()->isEnabled());
    }

    void viewActionsBecomeCommands()
    {
        MainControlPanel panel;
        panel.resize(1366, 700);
        panel.show();
        const auto owned = controllerFor(panel);
        LumetraController &controller = *owned;
        turn(controller);
        auto *view = panel.findChild<LumetraView *>();
        QVERIFY(view);
        // A disabled widget takes no input: the operator acts only while the laser is connected.
        controller.slotConnectedStatus(true);
        QTRY_VERIFY(view->parentWidget()->isEnabled());
        QSignalSpy sent(&controller, &LumetraController::sigAppendSettingsCommand);
        auto *power = view->findChild<ComboSlider *>("powerSlider");
        power->unitSelector()->checkCurrentIndex(1);
        enter(power, "12.5");
        QVERIFY(!sent.isEmpty());
        QCOMPARE(sent.last().at(0).toString(), QString("e_power=500\n"));

        auto buttons = view->findChildren<IndicatorButton *>();
        QTest::mouseClick(buttons.at(3)->button(), Qt::LeftButton);
        QCOMPARE(sent.last().at(0).toString(), QString("ly_lqz2_listen\n"));
        buttons.at(0)->setVisible(true);
        QTest::mouseClick(buttons.at(0)->button(), Qt::LeftButton);
        QCOMPARE(sent.last().at(0).toString(), QString("ly_lqz2_output_enable\n"));

        view->setControlPage(LumetraView::SystemSettingsPage);
        QTest::mouseClick(view->findChild<QWidget *>("gateSecondButton"), Qt::LeftButton, Qt::NoModifier,
                          QPoint(8, 8));
        QCOMPARE(sent.at(sent.size() - 2).at(0).toString(), QString("ly_lqz2_digiop=1\n"));
        QCOMPARE(sent.last().at(0).toString(), QString("ly_lqz2_digiop?\n"));
    }

    // A number typed in the operator's language reaches the laser as the same command in every language,
    // and the field shows it back in that language.
    void typedNumbersReachTheWireUnchanged_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<int>("unit");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("command");
        QTest::newRow("English percent") << "en_US" << 1 << "12.5"
                                         << "12.50"
                                         << "e_power=500\n";
        QTest::newRow("German percent") << "de_DE" << 1 << "12,5"
                                        << "12,50"
                                        << "e_power=500\n";
        QTest::newRow("German energy") << "de_DE" << 0 << "1,5"
                                       << "1,50"
                                       << "ly_lqz2_power=1500\n";
        QTest::newRow("German keypad point") << "de_DE" << 0 << "1.5"
                                             << "1,50"
                                             << "ly_lqz2_power=1500\n";
    }

    void typedNumbersReachTheWireUnchanged()
    {
        QFETCH(QString, language);
        QFETCH(int, unit);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(QString, command);

        const QLocale before;
        QLocale::setDefault(QLocale(language));
        MainControlPanel panel;
        panel.show();
        const auto owned = controllerFor(panel);
        turn(*owned);
        owned->slotConnectedStatus(true);
        auto *view = panel.findChild<LumetraView *>();
        QTRY_VERIFY(view->parentWidget()->isEnabled());
        QSignalSpy sent(owned.get(), &LumetraController::sigAppendSettingsCommand);
        auto *power = view->findChild<ComboSlider *>("powerSlider");
        power->unitSelector()->checkCurrentIndex(unit);
        enter(power, typed);
        const QString field = power->getLineInput()->text();
        QLocale::setDefault(before);
        QVERIFY(!sent.isEmpty());
        QCOMPARE(sent.last().at(0).toString(), command);
        QCOMPARE(field, shown);
    }
};

QTEST_MAIN(TestControlWidget)
#include "tst_controlwidget.moc"
