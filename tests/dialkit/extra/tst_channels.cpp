#include "dialkit/Button.h"
#include "dialkit/Channel.h"
#include "dialkit/ChannelGroup.h"
#include "dialkit/ChannelSliders.h"
#include "dialkit/ComboSlider.h"
#include "dialkit/Dialkit.h"
#include "dialkit/LineEditNumber.h"

#include <QApplication>
#include <QGridLayout>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

namespace {
void typeInto(QLineEdit *field, const QString &text)
{
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
}
} // namespace

class TestChannels : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();

    void channelButtonsReportTheirNumber();
    void arrowKeysStepAndSaveAtOnce_data();
    void arrowKeysStepAndSaveAtOnce();
    void typedPowerIsKeptInPercent_data();
    void typedPowerIsKeptInPercent();
    void channelSetters();
    void channelBackground();

    void groupLayout_data();
    void groupLayout();
    void groupForwardsAndIgnoresUnknownChannels();
    void groupRelaysSignals();

    void slidersTitleAndButtons();
    void slidersAnswerOnlyToTheirChannel();
    void slidersReportEnteredValues();
    void slidersRanges();
};

void TestChannels::initTestCase()
{
    Dialkit::loadApplicationFonts();
    qApp->setStyleSheet(Dialkit::getApplicationStylesheet());
}

void TestChannels::channelButtonsReportTheirNumber()
{
    Channel channel(3);
    channel.show();
    QCOMPARE(channel.numberButton()->text(), QStringLiteral("4"));
    QCOMPARE(channel.numberButton()->property("button-color").toString(), QStringLiteral("dark-grey"));
    QCOMPARE(channel.numberButton()->property("button-checked-color").toString(), QStringLiteral("green"));
    QCOMPARE(channel.setButton()->size(), QSize(30, 30));

    QSignalSpy enabled(&channel, &Channel::enableChanged);
    QSignalSpy set(&channel, &Channel::setClicked);
    QTest::mouseClick(channel.numberButton(), Qt::LeftButton);
    QCOMPARE(enabled.count(), 1);
    QCOMPARE(enabled.at(0).at(0).toInt(), 3);
    QCOMPARE(enabled.at(0).at(1).toBool(), true);
    QVERIFY(channel.enabled());
    QTest::mouseClick(channel.setButton(), Qt::LeftButton);
    QTest::mouseClick(channel.setButton(), Qt::LeftButton);
    QCOMPARE(set.count(), 2);
    QCOMPARE(set.at(0).at(0).toInt(), 3);
    QCOMPARE(set.at(0).at(1).toBool(), true);
    QCOMPARE(set.at(1).at(1).toBool(), false);
}

void TestChannels::arrowKeysStepAndSaveAtOnce_data()
{
    QTest::addColumn<bool>("powerField");
    QTest::addColumn<int>("key");
    QTest::addColumn<double>("wavelength");
    QTest::addColumn<int>("power");

    QTest::newRow("power up") << true << int(Qt::Key_Up) << 532.0 << 41;
    QTest::newRow("power down") << true << int(Qt::Key_Down) << 532.0 << 39;
    QTest::newRow("wavelength up") << false << int(Qt::Key_Up) << 532.1 << 40;
    QTest::newRow("wavelength down") << false << int(Qt::Key_Down) << 531.9 << 40;
}

void TestChannels::arrowKeysStepAndSaveAtOnce()
{
    QFETCH(bool, powerField);
    QFETCH(int, key);
    QFETCH(double, wavelength);
    QFETCH(int, power);

    Channel channel(5);
    channel.show();
    channel.setChannel(532.0, 40);
    QSignalSpy changed(&channel, &Channel::channelChanged);
    LineEditNumber *field = powerField ? channel.powerField() : channel.wavelengthField();
    field->setFocus();
    QTest::keyClick(field, Qt::Key(key));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).toInt(), 5);
    QCOMPARE(changed.at(0).at(1).toDouble(), wavelength);
    QCOMPARE(changed.at(0).at(2).toInt(), power);
    QCOMPARE(channel.power(), power);
    QCOMPARE(channel.wavelength(), wavelength);
}

void TestChannels::typedPowerIsKeptInPercent_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("sent");
    QTest::addColumn<QString>("shown");

    QTest::newRow("inside") << QStringLiteral("55") << 55 << QStringLiteral("55");
    QTest::newRow("above 100") << QStringLiteral("150") << 100 << QStringLiteral("100");
    QTest::newRow("negative") << QStringLiteral("-5") << 0 << QStringLiteral("0");
    QTest::newRow("fraction rounds") << QStringLiteral("33.6") << 34 << QStringLiteral("34");
}

void TestChannels::typedPowerIsKeptInPercent()
{
    QFETCH(QString, typed);
    QFETCH(int, sent);
    QFETCH(QString, shown);

    Channel channel(0);
    channel.show();
    channel.setChannel(600.5, 20);
    QSignalSpy changed(&channel, &Channel::channelChanged);
    typeInto(channel.powerField(), typed);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(1).toDouble(), 600.5);
    QCOMPARE(changed.at(0).at(2).toInt(), sent);
    QCOMPARE(channel.powerField()->text(), shown);
}

void TestChannels::channelSetters()
{
    Channel channel(1);
    QSignalSpy changed(&channel, &Channel::channelChanged);
    QSignalSpy enabled(&channel, &Channel::enableChanged);
    channel.setChannel(515.25, 70);
    QCOMPARE(channel.wavelengthField()->text(), QStringLiteral("515.3"));
    QCOMPARE(channel.powerField()->text(), QStringLiteral("70"));
    channel.setChannelPower(12);
    channel.setChannelWavelength(1030);
    QCOMPARE(channel.power(), 12);
    QCOMPARE(channel.wavelength(), 1030.0);
    channel.enableChannel(true);
    channel.setChannelChecked(true);
    QVERIFY(channel.enabled());
    QVERIFY(channel.setButton()->isChecked());
    // Values set from outside are shown, not reported back.
    QCOMPARE(changed.count(), 0);
    QCOMPARE(enabled.count(), 0);
}

void TestChannels::channelBackground()
{
    Channel channel(0);
    channel.resize(channel.sizeHint());
    channel.show();
    const QImage image = channel.grab().toImage();
    // The style sheet gives a channel a #DDD box; the right margin shows it.
    QCOMPARE(QColor(image.pixel(image.width() - 3, image.height() / 2)), QColor(0xDD, 0xDD, 0xDD));
}

void TestChannels::groupLayout_data()
{
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::newRow("0") << 0 << 0 << 0;
    QTest::newRow("3") << 3 << 0 << 3;
    QTest::newRow("4") << 4 << 1 << 0;
    QTest::newRow("5") << 5 << 1 << 1;
    QTest::newRow("7") << 7 << 1 << 3;
}

void TestChannels::groupLayout()
{
    QFETCH(int, channel);
    QFETCH(int, row);
    QFETCH(int, column);

    ChannelGroup group;
    auto *grid = qobject_cast<QGridLayout *>(group.layout());
    QVERIFY(grid);
    QCOMPARE(grid->spacing(), 15);
    const int index = grid->indexOf(group.channel(channel));
    QVERIFY(index >= 0);
    int r = -1, c = -1, rs = 0, cs = 0;
    grid->getItemPosition(index, &r, &c, &rs, &cs);
    QCOMPARE(r, row);
    QCOMPARE(c, column);
    QCOMPARE(group.channel(channel)->numberButton()->text(), QString::number(channel + 1));
}

void TestChannels::groupForwardsAndIgnoresUnknownChannels()
{
    ChannelGroup group;
    group.setChannel(2, 515.5, 40);
    group.enableChannel(2, true);
    group.setChannelChecked(2, true);
    QCOMPARE(group.channelWavelength(2), 515.5);
    QCOMPARE(group.channelPower(2), 40);
    QVERIFY(group.channelEnabled(2));
    QVERIFY(group.channel(2)->setButton()->isChecked());
    group.setChannelPower(2, 45);
    group.setChannelWavelength(2, 520.0);
    QCOMPARE(group.channelPower(2), 45);
    QCOMPARE(group.channelWavelength(2), 520.0);

    // Channel 8 and negative channels do not exist: ignored, and read as nothing.
    group.setChannel(8, 700.0, 70);
    group.enableChannel(8, true);
    group.setChannelPower(-1, 70);
    QCOMPARE(group.channelPower(8), 0);
    QCOMPARE(group.channelWavelength(8), 0.0);
    QVERIFY(!group.channelEnabled(8));
    QVERIFY(group.channel(8) == nullptr);
    for (int i = 0; i < 8; ++i) {
        if (i != 2)
            QCOMPARE(group.channelPower(i), 0);
    }
}

void TestChannels::groupRelaysSignals()
{
    ChannelGroup group;
    group.show();
    QSignalSpy changed(&group, &ChannelGroup::channelChanged);
    QSignalSpy enabled(&group, &ChannelGroup::enableChanged);
    QSignalSpy set(&group, &ChannelGroup::setClicked);
    group.setChannel(6, 450.0, 10);
    group.channel(6)->powerField()->setFocus();
    QTest::keyClick(group.channel(6)->powerField(), Qt::Key_Up);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0), (QList<QVariant>{6, 450.0, 11}));
    QTest::mouseClick(group.channel(7)->numberButton(), Qt::LeftButton);
    QCOMPARE(enabled.count(), 1);
    QCOMPARE(enabled.at(0), (QList<QVariant>{7, true}));
    QTest::mouseClick(group.channel(0)->setButton(), Qt::LeftButton);
    QCOMPARE(set.count(), 1);
    QCOMPARE(set.at(0), (QList<QVariant>{0, true}));
}

void TestChannels::slidersTitleAndButtons()
{
    ChannelSliders sliders(2);
    sliders.show();
    QCOMPARE(sliders.channel(), 2);
    QCOMPARE(sliders.title(), QStringLiteral("Channel 3"));
    QCOMPARE(sliders.closeButton()->property("style").toString(), QStringLiteral("close"));
    QCOMPARE(sliders.onButton()->text(), QStringLiteral("ON"));
    QCOMPARE(sliders.powerSlider()->scaleSelector()->currentText(), QStringLiteral("Channel power"));
    QCOMPARE(sliders.wavelengthSlider()->unitSelector()->currentText(), QStringLiteral("nm"));
    sliders.setCrystal(4);
    sliders.setProfile(7);
    QCOMPARE(sliders.crystal(), 4);
    QCOMPARE(sliders.profile(), 7);

    QSignalSpy closed(&sliders, qOverload<int, bool>(&ChannelSliders::closeClicked));
    QSignalSpy enabled(&sliders, &ChannelSliders::enableChanged);
    QTest::mouseClick(sliders.closeButton(), Qt::LeftButton);
    QCOMPARE(closed.count(), 1);
    QCOMPARE(closed.at(0), (QList<QVariant>{2, false}));
    QTest::mouseClick(sliders.onButton(), Qt::LeftButton);
    QCOMPARE(enabled.count(), 1);
    QCOMPARE(enabled.at(0), (QList<QVariant>{2, true}));
}

void TestChannels::slidersAnswerOnlyToTheirChannel()
{
    ChannelSliders sliders(2);
    QSignalSpy changed(&sliders, &ChannelSliders::channelChanged);
    sliders.setChannel(2, 532.5, 40);
    QCOMPARE(sliders.wavelengthSlider()->value(), 532.5);
    QCOMPARE(sliders.powerSlider()->value(), 40.0);
    QCOMPARE(sliders.wavelengthSlider()->getLineInput()->text(), QStringLiteral("532.5"));
    sliders.setChannel(3, 600.0, 90);
    QCOMPARE(sliders.wavelengthSlider()->value(), 532.5);
    QCOMPARE(sliders.powerSlider()->value(), 40.0);
    sliders.enableChannel(1, true);
    QVERIFY(!sliders.onButton()->isChecked());
    sliders.enableChannel(2, true);
    QVERIFY(sliders.onButton()->isChecked());
    // Device values are shown, never echoed as operator changes.
    QCOMPARE(changed.count(), 0);
}

void TestChannels::slidersReportEnteredValues()
{
    ChannelSliders sliders(4);
    sliders.show();
    sliders.setChannel(4, 500.0, 30);
    QSignalSpy changed(&sliders, &ChannelSliders::channelChanged);
    typeInto(sliders.powerSlider()->getLineInput(), QStringLiteral("64"));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0), (QList<QVariant>{4, 500.0, 64}));
    typeInto(sliders.wavelengthSlider()->getLineInput(), QStringLiteral("610.4"));
    QCOMPARE(changed.count(), 2);
    QCOMPARE(changed.at(1), (QList<QVariant>{4, 610.4, 64}));
    // Entries beyond the range are held to it.
    typeInto(sliders.wavelengthSlider()->getLineInput(), QStringLiteral("900"));
    QCOMPARE(changed.at(2), (QList<QVariant>{4, 750.0, 64}));
}

void TestChannels::slidersRanges()
{
    ChannelSliders sliders(0);
    sliders.setChannel(0, 450.0, 80);
    sliders.setWavelengthRange(500, 600);
    sliders.setPowerRange(0, 50);
    QCOMPARE(sliders.wavelengthSlider()->currentUnit()->minValue(), 500.0);
    QCOMPARE(sliders.wavelengthSlider()->currentUnit()->maxValue(), 600.0);
    // Values outside the new ranges move to the nearest limit.
    QCOMPARE(sliders.wavelengthSlider()->value(), 500.0);
    QCOMPARE(sliders.powerSlider()->value(), 50.0);
    sliders.setChannel(0, 650.0, 20);
    QCOMPARE(sliders.wavelengthSlider()->value(), 600.0);
}

QTEST_MAIN(TestChannels)
#include "tst_channels.moc"
