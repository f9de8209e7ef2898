#include "app/view/LumetraRemoteControl.h"
#include "dialkit/Button.h"
#include "dialkit/Indicator.h"
#include "dialkit/IndicatorButton.h"

#include <QSignalSpy>
#include <QtTest>

class TestRemoteControl : public QObject
{
    Q_OBJECT
private:
    static IndicatorButton *button(LumetraRemoteControl &panel, int index)
    {
        const auto buttons = panel.findChildren<IndicatorButton *>();
        return buttons.value(index);
    }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void buttonsInOrder_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("text");
        QTest::addColumn<quint32>("onColor");
        QTest::newRow("output enable") << 0 << "Output\nenable" << quint32(Indicator::Red);
        QTest::newRow("laser on") << 1 << "Laser On" << quint32(Indicator::Red);
        QTest::newRow("standby") << 2 << "Standby" << quint32(Indicator::Orange);
        QTest::newRow("listen") << 3 << "Listen" << quint32(Indicator::Green);
    }

    void buttonsInOrder()
    {
        QFETCH(int, index);
        QFETCH(QString, text);
        QFETCH(quint32, onColor);
        LumetraRemoteControl panel;
        QCOMPARE(panel.findChildren<IndicatorButton *>().size(), 4);
        IndicatorButton *b = button(panel, index);
        QVERIFY(b);
        QCOMPARE(b->button()->text(), text);
        QCOMPARE(quint32(b->onColor()), onColor);
        QCOMPARE(quint32(b->offColor()), quint32(Indicator::Grey));
        QCOMPARE(b->position(), IndicatorButton::Left);
        QCOMPARE(b->button()->color(), Button::DarkGrey);
        QVERIFY(!b->isActive());
        QCOMPARE(quint32(b->indicator()->color()), quint32(Indicator::Grey));
    }

    // Each setter must reach its own button and light it in its own colour.
    void settersLightTheirLamp_data()
    {
        QTest::addColumn<QString>("slot");
        QTest::addColumn<int>("index");
        QTest::addColumn<quint32>("onColor");
        QTest::newRow("setOutEnable") << "setOutEnable" << 0 << quint32(Indicator::Red);
        QTest::newRow("setLaserOn") << "setLaserOn" << 1 << quint32(Indicator::Red);
        QTest::newRow("setStandby") << "setStandby" << 2 << quint32(Indicator::Orange);
        QTest::newRow("setListen") << "setListen" << 3 << quint32(Indicator::Green);
    }

    void settersLightTheirLamp()
    {
        QFETCH(QString, slot);
        QFETCH(int, index);
        QFETCH(quint32, onColor);
        LumetraRemoteControl panel;
        QVERIFY(QMetaObject::invokeMethod(&panel, slot.toLatin1().constData(), Q_ARG(bool, true)));
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(button(panel, i)->isActive(), i == index);
        }
        QCOMPARE(quint32(button(panel, index)->indicator()->color()), onColor);
        QVERIFY(QMetaObject::invokeMethod(&panel, slot.toLatin1().constData(), Q_ARG(bool, false)));
        QVERIFY(!button(panel, index)->isActive());
        QCOMPARE(quint32(button(panel, index)->indicator()->color()), quint32(Indicator::Grey));
    }

    void outputEnableRelabels()
    {
        LumetraRemoteControl panel;
        panel.setOutEnable(true);
        QCOMPARE(button(panel, 0)->button()->text(), QString("Output\ndisable"));
        panel.setOutEnable(false);
        QCOMPARE(button(panel, 0)->button()->text(), QString("Output\nenable"));
    }

    // A click asks for the opposite of what the lamp shows, and leaves the lamp to the laser's report.
    void clickAsksForOppositeState_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("setter");
        QTest::addColumn<QString>("signal");
        QTest::addColumn<bool>("lit");
        const char *setters[] = {"setOutEnable", "setLaserOn", "setStandby", "setListen"};
        const char *signalNames[] = {SIGNAL(outEnableChanged(bool)), SIGNAL(laserOnChanged(bool)),
                                     SIGNAL(standbyChanged(bool)), SIGNAL(listenChanged(bool))};
        for (int i = 0; i < 4; ++i) {
            for (bool lit : {false, true}) {
                QTest::addRow("%s lit=%d", setters[i], int(lit)) << i << setters[i] << signalNames[i] << lit;
            }
        }
    }

    void clickAsksForOppositeState()
    {
        QFETCH(int, index);
        QFETCH(QString, setter);
        QFETCH(QString, signal);
        QFETCH(bool, lit);
        LumetraRemoteControl panel;
        panel.show();
        QVERIFY(QMetaObject::invokeMethod(&panel, setter.toLatin1().constData(), Q_ARG(bool, lit)));
        QSignalSpy spy(&panel, signal.toLatin1().constData());
        QSignalSpy others(&panel, index == 3 ? SIGNAL(outEnableChanged(bool)) : SIGNAL(listenChanged(bool)));
        QTest::mouseClick(button(panel, index)->button(), Qt::LeftButton);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toBool(), !lit);
        QCOMPARE(others.count(), 0);
        QCOMPARE(quint32(button(panel, index)->indicator()->color()),
                 quint32(lit ? button(panel, index)->onColor() : Indicator::Grey));
    }

    // The laser may refuse a request and report nothing new: the next click must ask for the same again.
    void unansweredClickAsksAgain()
    {
        LumetraRemoteControl panel;
        panel.show();
        QSignalSpy spy(&panel, &LumetraRemoteControl::outEnableChanged);
        QTest::mouseClick(button(panel, 0)->button(), Qt::LeftButton);
        QTest::mouseClick(button(panel, 0)->button(), Qt::LeftButton);
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.at(0).at(0).toBool(), true);
        QCOMPARE(spy.at(1).at(0).toBool(), true);
        QVERIFY(!button(panel, 0)->isActive());
        panel.setOutEnable(true);
        QTest::mouseClick(button(panel, 0)->button(), Qt::LeftButton);
        QCOMPARE(spy.at(2).at(0).toBool(), false);
        QTest::mouseClick(button(panel, 0)->button(), Qt::LeftButton);
        QCOMPARE(spy.at(3).at(0).toBool(), false);
        QCOMPARE(quint32(button(panel, 0)->indicator()->color()), quint32(Indicator::Red));
    }

    void flashing_data()
    {
        QTest::addColumn<QString>("slot");
        QTest::addColumn<int>("index");
        QTest::addColumn<quint32>("blinkColor");
        QTest::newRow("output enable") << "setOutEnableFlashing" << 0 << quint32(Indicator::Red);
        QTest::newRow("laser on") << "setLaserOnFlashing" << 1 << quint32(Indicator::Red);
        QTest::newRow("standby") << "setStandbyFlashing" << 2 << quint32(Indicator::Orange);
    }

    void flashing()
    {
        QFETCH(QString, slot);
        QFETCH(int, index);
        QFETCH(quint32, blinkColor);
        LumetraRemoteControl panel;
        Indicator *lamp = button(panel, index)->indicator();
        QVERIFY(QMetaObject::invokeMethod(&panel, slot.toLatin1().constData(), Q_ARG(bool, true)));
        QVERIFY(lamp->isBlinking());
        QCOMPARE(quint32(lamp->blinkColor()), blinkColor);
        // A flashing lamp starts in its flash colour even while the button is off.
        QCOMPARE(lamp->displayedColor().rgba(), QColor::fromRgba(blinkColor).rgba());
        QVERIFY(QMetaObject::invokeMethod(&panel, slot.toLatin1().constData(), Q_ARG(bool, false)));
        QVERIFY(!lamp->isBlinking());
        for (int i = 0; i < 4; ++i) {
            if (i != index) {
                QVERIFY(!button(panel, i)->indicator()->isBlinking());
            }
        }
    }

    void enablingAndVisibility()
    {
        LumetraRemoteControl panel;
        panel.show();
        panel.enableListen(false);
        QVERIFY(!button(panel, 3)->button()->isEnabled());
        QVERIFY(button(panel, 2)->button()->isEnabled());
        panel.enableListen(true);
        panel.enableStandby(false);
        panel.enableLaserOn(false);
        panel.enableOutEnable(false);
        QVERIFY(button(panel, 3)->button()->isEnabled());
        QVERIFY(!button(panel, 2)->button()->isEnabled());
        QVERIFY(!button(panel, 1)->button()->isEnabled());
        QVERIFY(!button(panel, 0)->button()->isEnabled());
        panel.setOutEnableVisible(false);
        QVERIFY(!button(panel, 0)->isVisible());
        QVERIFY(button(panel, 1)->isVisible());
        panel.setOutEnableVisible(true);
        QVERIFY(button(panel, 0)->isVisible());
    }
};

QTEST_MAIN(TestRemoteControl)
#include "tst_remotecontrol.moc"
