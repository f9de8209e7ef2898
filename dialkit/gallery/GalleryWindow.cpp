#include "dialkit/gallery/GalleryWindow.h"

#include "dialkit/Button.h"
#include "dialkit/ComboBox.h"
#include "dialkit/ComboSlider.h"
#include "dialkit/FlowLayout.h"
#include "dialkit/Indicator.h"
#include "dialkit/IndicatorButton.h"
#include "dialkit/LineEdit.h"
#include "dialkit/LineEditNumber.h"
#include "dialkit/MainView.h"
#include "dialkit/MessageDialog.h"
#include "dialkit/RangedScaleSlider.h"
#include "dialkit/RemoteControl.h"
#include "dialkit/ScaleSlider.h"
#include "dialkit/ScrollArea.h"
#include "dialkit/gallery/GalleryPageMore.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QLabel *caption(const QString &text, QWidget *parent, const char *type = "text")
{
    auto *label = new QLabel(text, parent);
    label->setProperty("type", type);
    return label;
}

QWidget *section(const QString &title, QLayout *content, QWidget *parent)
{
    auto *box = new QWidget(parent);
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 12);
    layout->addWidget(caption(title, box, "heading"));
    layout->addLayout(content);
    return box;
}

ComboSlider *comboSlider(QWidget *parent, const QString &title, const QString &unit, double min, double max,
                         int precision, ScaleSlider::ScaleType type = ScaleSlider::Linear,
                         QList<double> steps = {})
{
    auto *slider = new ComboSlider(25, parent);
    auto *scale = new ComboSliderScale(title);
    auto *u = new ComboSliderUnit(unit, min, max, precision);
    u->setScaleType(type);
    u->setStepList(steps);
    scale->addUnit(u);
    slider->addScale(scale);
    return slider;
}

} // namespace

GalleryWindow::GalleryWindow(QWidget *parent) : QMainWindow(parent)
{
    setWindowTitle(tr("Dialkit widget gallery"));
    m_tabs = new QTabWidget(this);
    m_tabs->addTab(scrolled(buildControlsPage()), tr("Buttons and lamps"));
    m_tabs->addTab(scrolled(buildInputsPage()), tr("Inputs and labels"));
    m_tabs->addTab(scrolled(buildSlidersPage()), tr("Sliders"));
    m_tabs->addTab(buildMainViewPage(), tr("Main view"));
    m_tabs->addTab(new GalleryPageMore, tr("More widgets"));
    setCentralWidget(m_tabs);
    resize(1280, 740);
}

QWidget *GalleryWindow::scrolled(QWidget *page)
{
    auto *area = new ScrollArea(false);
    auto *layout = new QVBoxLayout;
    layout->setContentsMargins(25, 20, 25, 20);
    layout->addWidget(page);
    layout->addStretch();
    area->setLayout(layout);
    return area;
}

QWidget *GalleryWindow::buildControlsPage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);

    // every colour in every size, then disabled and checked
    auto *grid = new QGridLayout;
    const QList<QPair<Button::Size, QString>> sizes = {
        {Button::Normal, "Normal"},       {Button::Small, "Small"},
        {Button::SmallFlat, "SmallFlat"}, {Button::Fat, "Fat"},
        {Button::FatMedium, "FatMedium"}, {Button::FatLarge, "FatLarge"},
        {Button::LongSmall, "LongSmall"}};
    const QList<QPair<Button::Color, QString>> colours = {{Button::Red, "Red"},
                                                          {Button::Grey, "Grey"},
                                                          {Button::DarkGrey, "DarkGrey"},
                                                          {Button::Green, "Green"},
                                                          {Button::Orange, "Orange"}};
    for (int c = 0; c < sizes.size(); ++c)
        grid->addWidget(caption(sizes.at(c).second, page), 0, c + 1, Qt::AlignCenter);
    int row = 1;
    for (const auto &colour : colours) {
        grid->addWidget(caption(colour.second, page), row, 0);
        for (int c = 0; c < sizes.size(); ++c) {
            auto *b = new Button(sizes.at(c).first >= Button::Fat && sizes.at(c).first <= Button::FatLarge
                                     ? QStringLiteral("5")
                                     : tr("Laser On"),
                                 page);
            b->setSize(sizes.at(c).first);
            b->setColor(colour.first);
            grid->addWidget(b, row, c + 1, Qt::AlignCenter);
        }
        ++row;
    }
    grid->addWidget(caption(tr("Disabled"), page), row, 0);
    for (int c = 0; c < colours.size(); ++c) {
        auto *b = new Button(tr("Standby"), page);
        b->setColor(colours.at(c).first);
        b->setEnabled(false);
        grid->addWidget(b, row, c + 1, Qt::AlignCenter);
    }
    ++row;
    grid->addWidget(caption(tr("Checked"), page), row, 0);
    for (int c = 0; c < colours.size(); ++c) {
        auto *b = new Button(tr("Listen"), page);
        b->setColor(Button::DarkGrey);
        b->setCheckedColor(colours.at(c).first);
        b->setCheckable(true);
        b->setChecked(true);
        grid->addWidget(b, row, c + 1, Qt::AlignCenter);
    }
    layout->addWidget(section(tr("Buttons"), grid, page));

    auto *lamps = new QHBoxLayout;
    lamps->setSpacing(14);
    for (Indicator::Color colour : {Indicator::Green, Indicator::Red, Indicator::Orange, Indicator::Grey}) {
        auto *lamp = new Indicator(page);
        lamp->setColor(colour);
        lamps->addWidget(lamp);
    }
    auto *up = new Indicator(page);
    up->setForm(Indicator::TriangleUp);
    up->setColor(Indicator::Green);
    lamps->addWidget(up);
    auto *down = new Indicator(page);
    down->setForm(Indicator::TriangleDown);
    down->setColor(Indicator::Red);
    lamps->addWidget(down);
    auto *blinking = new Indicator(page);
    blinking->setColor(Indicator::Grey);
    blinking->setBlink(true, 500, Indicator::Orange);
    lamps->addWidget(blinking);
    lamps->addWidget(caption(tr("blinking"), page));
    auto *disabled = new Indicator(page);
    disabled->setColor(Indicator::Green);
    disabled->setEnabled(false);
    lamps->addWidget(disabled);
    lamps->addWidget(caption(tr("disabled"), page));
    auto *big = new Indicator(page);
    big->setSize(32);
    big->setColor(Indicator::Green);
    lamps->addWidget(big);
    lamps->addStretch();
    layout->addWidget(section(tr("Indicator lamps"), lamps, page));

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(20);
    const QList<QPair<IndicatorButton::Position, QString>> positions = {
        {IndicatorButton::Left, tr("Output\nenable")},
        {IndicatorButton::Top, tr("Laser On")},
        {IndicatorButton::Right, tr("Standby")},
        {IndicatorButton::Bottom, tr("Listen")}};
    for (const auto &p : positions) {
        auto *ib = new IndicatorButton(p.second, p.first, page);
        ib->setButtonColor(Button::DarkGrey);
        ib->enableToggle(true);
        buttons->addWidget(ib);
    }
    auto *active = new IndicatorButton(tr("Active"), IndicatorButton::Left, page);
    active->setActive(true);
    buttons->addWidget(active);
    auto *flashing = new IndicatorButton(tr("Flashing"), IndicatorButton::Left, page);
    flashing->setBlink(true, 400, Indicator::Orange);
    buttons->addWidget(flashing);
    auto *off = new IndicatorButton(tr("Disabled"), IndicatorButton::Left, page);
    off->setEnabled(false);
    buttons->addWidget(off);
    buttons->addStretch();
    layout->addWidget(section(tr("Indicator buttons (click to toggle)"), buttons, page));

    auto *remote = new QHBoxLayout;
    auto *panel = new QWidget(page);
    panel->setProperty("widget-color", "red");
    panel->setAttribute(Qt::WA_StyledBackground);
    auto *panelLayout = new QVBoxLayout(panel);
    auto *rc = new RemoteControl(panel);
    rc->setEmission(true);
    panelLayout->addWidget(rc);
    remote->addWidget(panel);
    remote->addStretch();
    layout->addWidget(section(tr("Remote control"), remote, page));
    return page;
}

QWidget *GalleryWindow::buildInputsPage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);

    auto *combos = new QHBoxLayout;
    combos->setSpacing(30);
    auto *mode = new ComboBox(page);
    mode->setProperty("type", "label");
    mode->addItems({tr("Power control"), tr("Current control"), tr("Energy control")});
    combos->addWidget(mode);
    auto *heading = new ComboBox(page);
    heading->setProperty("type", "heading");
    heading->addItems({tr("1030 nm"), tr("515 nm"), tr("343 nm")});
    heading->setItemVisibility(2, false);
    combos->addWidget(heading);
    auto *single = new ComboBox(page);
    single->setProperty("type", "label");
    single->setSingleMode(true);
    single->addItem(tr("kHz (single mode)"));
    combos->addWidget(single);
    auto *icons = new ComboBox(page);
    icons->setProperty("type", "label");
    icons->addItem(tr("Sine"), ":/Dialkit/images/images/sine.png");
    icons->addItem(tr("Triangle"), ":/Dialkit/images/images/triangle.png");
    icons->addItem(tr("Ramp"), ":/Dialkit/images/images/sawPosRamp.png");
    icons->showIcons(IconLabel::IconLeft);
    combos->addWidget(icons);
    combos->addStretch();
    layout->addWidget(section(tr("Combo boxes (click to open)"), combos, page));

    auto *edits = new QGridLayout;
    auto *plain = new LineEdit(page);
    plain->setProperty("type", "label");
    plain->setText(tr("white field"));
    auto *dark = new LineEdit(page);
    dark->setProperty("type", "label");
    dark->setDarkBackground();
    dark->setText(tr("dark field"));
    auto *readOnly = new LineEdit(page);
    readOnly->setProperty("type", "label");
    readOnly->setDarkBackground();
    readOnly->setReadOnly(true);
    readOnly->setText(tr("read-only 42.5 °C"));
    auto *number = new LineEditNumber(page);
    number->setProperty("type", "label");
    number->setNumber(12.5, 2);
    number->enableTimeout(true);
    edits->addWidget(plain, 0, 0);
    edits->addWidget(dark, 0, 1);
    edits->addWidget(readOnly, 0, 2);
    edits->addWidget(number, 0, 3);
    edits->addWidget(caption(tr("text"), page), 1, 0);
    edits->addWidget(caption(tr("dark background"), page), 1, 1);
    edits->addWidget(caption(tr("read-only"), page), 1, 2);
    edits->addWidget(caption(tr("number, reverts after 5 s"), page), 1, 3);
    layout->addWidget(section(tr("Line edits"), edits, page));

    auto *checks = new QHBoxLayout;
    checks->setSpacing(25);
    auto *check1 = new QCheckBox(tr("System info"), page);
    check1->setProperty("flat", true);
    check1->setChecked(true);
    auto *check2 = new QCheckBox(tr("Gate inverted"), page);
    check2->setProperty("flat", true);
    checks->addWidget(check1);
    checks->addWidget(check2);
    auto *group = new QButtonGroup(page);
    for (const QString &text : {tr("Internal"), tr("External"), tr("Gated")}) {
        auto *radio = new QRadioButton(text, page);
        group->addButton(radio);
        checks->addWidget(radio);
    }
    group->buttons().first()->setChecked(true);
    checks->addStretch();
    layout->addWidget(section(tr("Check boxes and radio buttons"), checks, page));

    auto *labels = new QGridLayout;
    const QList<QPair<const char *, QString>> types = {{"title", tr("title")},
                                                       {"heading", tr("heading")},
                                                       {"label", tr("label")},
                                                       {"tiny-header-dark", tr("tiny-header-dark")},
                                                       {"label-header", tr("label-header")},
                                                       {"text", tr("text")}};
    int column = 0;
    for (const auto &t : types)
        labels->addWidget(caption(t.second, page, t.first), 0, column++);
    auto *strip = new QWidget(page);
    strip->setProperty("widget-color", "red");
    strip->setAttribute(Qt::WA_StyledBackground);
    auto *stripLayout = new QHBoxLayout(strip);
    stripLayout->addWidget(caption(tr("panel-label"), strip, "panel-label"));
    stripLayout->addWidget(caption(tr("panel-text 25 %"), strip, "panel-text"));
    stripLayout->addWidget(caption(tr("tiny-header"), strip, "tiny-header"));
    labels->addWidget(strip, 1, 0, 1, 4);
    layout->addWidget(section(tr("Label types"), labels, page));

    auto *misc = new QHBoxLayout;
    misc->setSpacing(20);
    auto *close = new QPushButton(page);
    close->setProperty("style", "close");
    auto *warning = new QPushButton(page);
    warning->setProperty("style", "warning");
    warning->setMinimumSize(22, 22);
    auto *toggle = new QPushButton(page);
    toggle->setProperty("style", "toggle");
    toggle->setCheckable(true);
    auto *upArrow = new Button(page);
    upArrow->setSize(40, 40);
    upArrow->setProperty("style", "biguparrow");
    auto *dnArrow = new Button(page);
    dnArrow->setSize(40, 40);
    dnArrow->setProperty("style", "bigdnarrow");
    auto *progress = new QProgressBar(page);
    progress->setProperty("flat", true);
    progress->setValue(64);
    progress->setMinimumWidth(220);
    auto *dialogButton = new Button(tr("Dialog"), page);
    dialogButton->setSize(Button::Small);
    dialogButton->setColor(Button::DarkGrey);
    connect(dialogButton, &QPushButton::clicked, this, [this]() {
        MessageDialog dialog(tr("Dialkit dialog"), tr("** Attention **"),
                             tr("The current spot is changing, please wait"), this);
        dialog.addButton(tr("Cancel"), QDialog::Rejected);
        dialog.exec();
    });
    for (QWidget *w :
         {static_cast<QWidget *>(close), static_cast<QWidget *>(warning), static_cast<QWidget *>(toggle),
          static_cast<QWidget *>(upArrow), static_cast<QWidget *>(dnArrow), static_cast<QWidget *>(progress),
          static_cast<QWidget *>(dialogButton)})
        misc->addWidget(w);
    misc->addStretch();
    layout->addWidget(section(tr("Styled push buttons, progress bar, dialog"), misc, page));
    return page;
}

QWidget *GalleryWindow::buildSlidersPage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);

    auto *scales = new QGridLayout;
    scales->setHorizontalSpacing(30);
    auto *linear = new ScaleSlider(page);
    linear->setAll(0, 100, 35);
    auto *log = new ScaleSlider(page);
    log->setScaleType(ScaleSlider::Logarithmic);
    log->setAll(1, 1000, 100);
    auto *steps = new ScaleSlider(page);
    steps->setScaleType(ScaleSlider::StepList);
    steps->setStepList({1, 2, 5, 10, 20, 50, 100});
    steps->setCurrentValue(10);
    auto *ends = new ScaleSlider(page);
    ends->setScaleType(ScaleSlider::StepListEnds);
    ends->setStepList({0.5, 1, 2, 4, 8, 16, 32, 64, 128, 256, 512, 1024});
    ends->setCurrentValue(16);
    auto *disabled = new ScaleSlider(page);
    disabled->setAll(0, 100, 70);
    disabled->setEnabled(false);
    auto *ranged = new RangedScaleSlider(page);
    ranged->setStartRange(400, 700);
    ranged->setStopRange(450, 750);
    ranged->setCurrentStartValue(500, false);
    ranged->setCurrentStopValue(650, false);
    const QList<QPair<QWidget *, QString>> rows = {
        {linear, tr("Linear 0 … 100")}, {log, tr("Logarithmic 1 … 1000")},
        {steps, tr("StepList")},        {ends, tr("StepListEnds")},
        {disabled, tr("Disabled")},     {ranged, tr("Ranged (start and stop)")}};
    for (int i = 0; i < rows.size(); ++i) {
        scales->addWidget(caption(rows.at(i).second, page), i % 3 * 2, i / 3);
        scales->addWidget(rows.at(i).first, i % 3 * 2 + 1, i / 3);
    }
    layout->addWidget(section(tr("Scale sliders"), scales, page));

    auto *combos = new QGridLayout;
    combos->setHorizontalSpacing(20);
    combos->setVerticalSpacing(20);
    auto *power = new ComboSlider(25, page);
    auto *energy = new ComboSliderScale(tr("IR Energy control"));
    energy->addUnit(new ComboSliderUnit(QStringLiteral("µJ"), 0, 60000, 2));
    energy->addUnit(new ComboSliderUnit(QStringLiteral("%"), 0, 100, 2));
    power->addScale(energy);
    power->setValue(1250);
    auto *rate = new ComboSlider(25, page);
    auto *rateScale = new ComboSliderScale(tr("Rep rate control"));
    auto *kHz = new ComboSliderUnit(QStringLiteral("kHz"), 0, 1000, 3);
    kHz->setScaleType(ScaleSlider::StepList);
    QList<double> rates{50, 100, 200, 250, 400, 500, 1000};
    kHz->setStepList(rates);
    rateScale->addUnit(kHz);
    rate->addScale(rateScale);
    auto *divider = new ComboSliderScale(tr("Rep rate divider control"));
    divider->addUnit(new ComboSliderUnit(QString(), 1, 100, 0));
    rate->addScale(divider);
    rate->setValue(200);
    ComboSlider *division =
        comboSlider(page, tr("Division factor control"), QString(), 1, 100000, 0, ScaleSlider::Logarithmic);
    division->setValue(100);
    ComboSlider *oven =
        comboSlider(page, tr("SHG Oven temperature setpoint"), QStringLiteral("°C"), 1, 100, 1);
    oven->setDarkBackground(false);
    oven->setValue(42.5);
    ComboSlider *off = comboSlider(page, tr("Disabled"), QStringLiteral("%"), 0, 100, 0);
    off->setValue(30);
    off->setEnabled(false);
    combos->addWidget(power, 0, 0);
    combos->addWidget(rate, 0, 1);
    combos->addWidget(division, 1, 0);
    combos->addWidget(oven, 1, 1);
    combos->addWidget(off, 2, 0);
    layout->addWidget(section(tr("Combo sliders (Up/Down keys and wheel step the value)"), combos, page));
    for (ComboSlider *c : {power, rate, division, oven, off})
        c->slider()->setMouseWheelEnabled(true);
    return page;
}

QWidget *GalleryWindow::buildMainViewPage()
{
    auto *view = new MainView;
    view->setTinyHeader(tr("Lumetra QZ\n"));
    view->setHeader(tr("QZ"));

    auto *mainPage = new QWidget;
    auto *mainLayout = new QVBoxLayout(mainPage);
    mainLayout->setContentsMargins(25, 0, 25, 0);
    mainLayout->addWidget(caption(tr("Main page"), mainPage, "heading"));
    auto *flowHost = new QWidget(mainPage);
    auto *flow = new FlowLayout(-1, -1, -1);
    flowHost->setLayout(flow);
    for (int i = 1; i <= 10; ++i) {
        auto *cell = new QWidget(flowHost);
        auto *cellLayout = new QHBoxLayout(cell);
        cellLayout->setContentsMargins(0, 0, 0, 0);
        cellLayout->addWidget(caption(tr("Temp. %1:").arg(i), cell, "label"));
        auto *value = new LineEdit(cell);
        value->setReadOnly(true);
        value->setDarkBackground();
        value->setAlignment(Qt::AlignCenter);
        value->setProperty("type", "label");
        value->setText(QString::number(20.0 + i * 1.5, 'f', 1));
        value->setMaximumWidth(80);
        cellLayout->addWidget(value);
        flow->addWidget(cell);
    }
    mainLayout->addWidget(flowHost);
    ComboSlider *energy = comboSlider(mainPage, tr("IR Energy control"), QStringLiteral("µJ"), 0, 60000, 2);
    energy->setValue(1250);
    mainLayout->addWidget(energy);

    auto *settingsPage = new QWidget;
    auto *settingsLayout = new QVBoxLayout(settingsPage);
    settingsLayout->setContentsMargins(25, 0, 25, 0);
    settingsLayout->addWidget(caption(tr("Oven settings"), settingsPage, "heading"));
    ComboSlider *oven =
        comboSlider(settingsPage, tr("SHG Oven temperature setpoint"), QStringLiteral("°C"), 1, 100, 1);
    oven->setValue(55);
    settingsLayout->addWidget(oven);
    auto *servicePage = new QWidget;
    auto *serviceLayout = new QVBoxLayout(servicePage);
    serviceLayout->addWidget(caption(tr("Service page (withdrawn from the menu)"), servicePage, "heading"));

    view->addControlPage(tr("Main"), mainPage);
    view->addControlPage(tr("Oven settings"), settingsPage);
    view->addControlPage(tr("Temperature Details"), new QWidget);
    view->addControlPage(tr("Service"), servicePage);
    view->setSettingsPageAccess(3, false);
    view->setControlPage(0);
    view->setRemoteControlWidget(new RemoteControl);
    view->showWarning(true);
    view->setWarningTooltip(tr("Humidity above limit"));
    return view;
}

int GalleryWindow::saveScreenshots(const QString &folder)
{
    QDir().mkpath(folder);
    int written = 0;
    for (int i = 0; i < m_tabs->count(); ++i) {
        m_tabs->setCurrentIndex(i);
        QApplication::processEvents();
        const QString name = QStringLiteral("gallery-%1.png").arg(i + 1);
        if (grab().save(QDir(folder).filePath(name)))
            ++written;
    }
    m_tabs->setCurrentIndex(0);
    return written;
}
