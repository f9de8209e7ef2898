#include "dialkit/gallery/GalleryPageMore.h"

#include "dialkit/Button.h"
#include "dialkit/Channel.h"
#include "dialkit/ChannelGroup.h"
#include "dialkit/ChannelSliders.h"
#include "dialkit/ColHeader.h"
#include "dialkit/ContainerWidget.h"
#include "dialkit/Display.h"
#include "dialkit/OverlayImage.h"
#include "dialkit/RangedInputSlider.h"
#include "dialkit/ShowHideButton.h"
#include "dialkit/SignalGraph.h"
#include "dialkit/WavelengthSelector.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QVariant>
#include <QtMath>

namespace {
QLabel *heading(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setProperty("type", "tiny-header-dark");
    return label;
}

struct DemoChannel
{
    double wavelength;
    int power;
};
const DemoChannel DemoChannels[] = {{450.0, 60}, {532.0, 85}, {640.0, 40}};
} // namespace

GalleryPageMore::GalleryPageMore(QWidget *parent) : QWidget(parent)
{
    auto *content = new ContainerWidget;
    content->setDarkBackground(false);
    auto *grid = new QGridLayout(content);
    grid->setContentsMargins(20, 20, 20, 20);
    grid->setHorizontalSpacing(30);
    grid->setVerticalSpacing(20);
    grid->addWidget(createRangeAndSpectrum(), 0, 0);
    grid->addWidget(createChannels(), 0, 1);
    grid->addWidget(createSmallWidgets(), 1, 0);
    grid->addWidget(createGraph(), 1, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(2, 1);

    auto *scroll = new QScrollArea(this);
    scroll->setProperty("flat", true);
    scroll->setWidgetResizable(true);
    scroll->setWidget(content);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);

    // Spectrum, channel group, channel sliders and display show one set of channels.
    connect(m_selector, &WavelengthSelector::channelChanged, m_group, &ChannelGroup::setChannel);
    connect(m_selector, &WavelengthSelector::channelChanged, m_sliders, &ChannelSliders::setChannel);
    connect(m_selector, &WavelengthSelector::channelChanged, this, &GalleryPageMore::showChannelOnDisplay);
    connect(m_group, &ChannelGroup::channelChanged, m_selector, &WavelengthSelector::setChannel);
    connect(m_group, &ChannelGroup::channelChanged, m_sliders, &ChannelSliders::setChannel);
    connect(m_group, &ChannelGroup::channelChanged, this, &GalleryPageMore::showChannelOnDisplay);
    connect(m_group, &ChannelGroup::enableChanged, m_selector, &WavelengthSelector::enableChannel);
    connect(m_group, &ChannelGroup::enableChanged, m_sliders, &ChannelSliders::enableChannel);
    connect(m_sliders, &ChannelSliders::channelChanged, m_selector, &WavelengthSelector::setChannel);
    connect(m_sliders, &ChannelSliders::channelChanged, m_group, &ChannelGroup::setChannel);
    connect(m_sliders, &ChannelSliders::channelChanged, this, &GalleryPageMore::showChannelOnDisplay);
    connect(m_sliders, &ChannelSliders::enableChanged, m_selector, &WavelengthSelector::enableChannel);
    connect(m_sliders, &ChannelSliders::enableChanged, m_group, &ChannelGroup::enableChannel);

    for (int i = 0; i < int(sizeof(DemoChannels) / sizeof(DemoChannels[0])); ++i) {
        m_selector->setChannel(i, DemoChannels[i].wavelength, DemoChannels[i].power);
        m_selector->enableChannel(i, true);
        m_group->setChannel(i, DemoChannels[i].wavelength, DemoChannels[i].power);
        m_group->enableChannel(i, true);
        m_sliders->setChannel(i, DemoChannels[i].wavelength, DemoChannels[i].power);
        m_sliders->enableChannel(i, true);
    }
    showChannelOnDisplay(0, DemoChannels[0].wavelength, DemoChannels[0].power);
}

QWidget *GalleryPageMore::createRangeAndSpectrum()
{
    auto *box = new QWidget;
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);

    layout->addWidget(heading(tr("RangedInputSlider"), box));
    auto *range = new RangedInputSlider(10, box);
    range->setStartText(tr("Start wavelength"));
    range->setStopText(tr("Stop wavelength"));
    range->setUnitText(tr("nm"));
    range->setStartValue(450);
    range->setStopValue(700);
    layout->addWidget(range);

    layout->addWidget(heading(tr("WavelengthSelector"), box));
    m_selector = new WavelengthSelector(10, box);
    m_selector->setMinimumHeight(300);
    // A made-up tuning curve: full power in the green, falling off towards both ends.
    QList<int> curve;
    for (int nm = 400; nm <= 900; ++nm)
        curve.append(qRound(95.0 * qExp(-qPow((nm - 560.0) / 180.0, 2.0))));
    m_selector->setCurveData(400, curve);
    m_selector->setCurveVisibility(true);
    layout->addWidget(m_selector, 1);

    auto *options = new QHBoxLayout;
    auto *curveButton = new Button(tr("Curve"), box);
    curveButton->setSize(Button::Small);
    curveButton->setCheckable(true);
    curveButton->setChecked(true);
    curveButton->setColor(Button::DarkGrey);
    curveButton->setCheckedColor(Button::Green);
    connect(curveButton, &QAbstractButton::toggled, m_selector, &WavelengthSelector::setCurveVisibility);
    auto *overdriveButton = new Button(tr("Overdrive"), box);
    overdriveButton->setSize(Button::LongSmall);
    overdriveButton->setCheckable(true);
    overdriveButton->setColor(Button::DarkGrey);
    overdriveButton->setCheckedColor(Button::Orange);
    connect(overdriveButton, &QAbstractButton::toggled, m_selector,
            &WavelengthSelector::setOverdriveVisibility);
    options->addWidget(curveButton);
    options->addWidget(overdriveButton);
    options->addStretch(1);
    layout->addLayout(options);
    return box;
}

QWidget *GalleryPageMore::createChannels()
{
    auto *box = new QWidget;
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(heading(tr("ChannelGroup"), box));
    m_group = new ChannelGroup(box);
    layout->addWidget(m_group);
    layout->addWidget(heading(tr("ChannelSliders"), box));
    m_sliders = new ChannelSliders(0, box);
    layout->addWidget(m_sliders);
    layout->addStretch(1);
    return box;
}

QWidget *GalleryPageMore::createSmallWidgets()
{
    auto *box = new QWidget;
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);

    layout->addWidget(heading(tr("Display"), box));
    m_display = new Display(2, 16, box);
    m_display->addReplacement(QChar(0x00B5), QLatin1Char('u'));
    layout->addWidget(m_display);

    layout->addWidget(heading(tr("ColHeader, ContainerWidget, OverlayImage"), box));
    auto *header = new ColHeader(box);
    header->setText(tr("Modules"));
    layout->addWidget(header);
    auto *container = new ContainerWidget(box);
    container->setDarkBackground(true);
    auto *containerLayout = new QHBoxLayout(container);
    containerLayout->setContentsMargins(10, 10, 10, 10);
    auto *image = new OverlayImage(container);
    image->setImage(QPixmap(QStringLiteral(":/Dialkit/images/images/zorvLogo.png")));
    containerLayout->addWidget(image);
    auto *caption = new QLabel(tr("A light-grey container holding a scaling image.\n"
                                  "The triangle above folds it away."),
                               container);
    caption->setProperty("type", "text");
    containerLayout->addWidget(caption, 1);
    layout->addWidget(container);
    connect(header, &ColHeader::sigShowStateChanged, container, &QWidget::setVisible);
    layout->addStretch(1);
    return box;
}

QWidget *GalleryPageMore::createGraph()
{
    auto *box = new QWidget;
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(heading(tr("SignalGraph"), box));
    m_graph = new SignalGraph(box);
    layout->addWidget(m_graph);

    auto *buttons = new QHBoxLayout;
    auto *clearButton = new Button(tr("Clear"), box);
    clearButton->setSize(Button::Small);
    connect(clearButton, &QAbstractButton::clicked, m_graph, &SignalGraph::clearData);
    auto *triangleButton = new Button(tr("Triangle"), box);
    triangleButton->setSize(Button::Small);
    triangleButton->setColor(Button::DarkGrey);
    connect(triangleButton, &QAbstractButton::clicked, m_graph, [this]() {
        QVector<short> triangle;
        for (int i = 0; i < 400; ++i)
            triangle.append(short(qAbs((i % 100) - 50) * 400 - 5000));
        m_graph->clearData();
        m_graph->insertData(triangle, 0, triangle.size());
    });
    buttons->addWidget(clearButton);
    buttons->addWidget(triangleButton);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    layout->addStretch(1);
    return box;
}

void GalleryPageMore::showChannelOnDisplay(int channel, double wavelength, int power)
{
    // Two lines of sixteen characters each.
    const QString first = tr("Channel %1").arg(channel + 1).leftJustified(16, QLatin1Char(' '), true);
    const QString second =
        tr("%1 nm %2%").arg(wavelength, 0, 'f', 1).arg(power).leftJustified(16, QLatin1Char(' '), true);
    m_display->setText(first + second);
}
