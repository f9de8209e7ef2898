#include "app/history/LumetraTrendsView.h"

#include "app/history/LumetraCsvFileName.h"

#include "app/history/LumetraTrendChartView.h"
#include "record/LumetraCsvExport.h"
#include "record/LumetraRecordQuantities.h"
#include "record/LumetraRecordSource.h"
#include "record/LumetraRecorder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDateTimeEdit>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QtCharts/QChart>
#include <QtCharts/QDateTimeAxis>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <cmath>
#include <limits>

using namespace QtCharts;

Q_LOGGING_CATEGORY(lcLumetraTrendsView, "lumetra.history.trends")

namespace {

constexpr qint64 minuteMs = 60 * 1000;
const qint64 rangeSpans[] = {10 * minuteMs, 60 * minuteMs, 24 * 60 * minuteMs, 7 * 24 * 60 * minuteMs};

// Distinct colours for up to a dozen series; after that they repeat.
const QColor seriesColours[] = {QColor(0x1f77b4), QColor(0xd62728), QColor(0x2ca02c), QColor(0xff7f0e),
                                QColor(0x9467bd), QColor(0x8c564b), QColor(0xe377c2), QColor(0x17becf),
                                QColor(0xbcbd22), QColor(0x7f7f7f), QColor(0x393b79), QColor(0xad494a)};

using Q = LumetraRecordQuantities;

// Quantities with a unit share its axis; one without (a state, a code, an index) has a scale of its own:
// a status byte of 149 must not squash a shutter flag of 1 onto the floor of the chart.
QString axisKeyOf(int quantity)
{
    const QString unit = Q::unit(quantity);
    return unit.isEmpty() ? QLatin1String(Q::at(quantity).key) : unit;
}

// An integral code on an axis of its own reads best with a tick on each of its values.
bool onIntegerLane(int quantity)
{
    return Q::unit(quantity).isEmpty() &&
           (Q::kind(quantity) == Q::Kind::State || Q::kind(quantity) == Q::Kind::Flag);
}

// The decimals of a value as the laser gave it, so that a value read between two is no finer than they.
int decimalsOf(double value)
{
    const QString text = QString::number(value, 'g', QLocale::FloatingPointShortest);
    const int point = text.indexOf(QLatin1Char('.'));
    if (text.contains(QLatin1Char('e')))
        return 6;
    return point < 0 ? 0 : int(text.size()) - point - 1;
}

} // namespace

LumetraTrendsView::LumetraTrendsView(LumetraRecordSource *source, QWidget *parent)
    : QWidget(parent), m_source(source)
{
    m_laser = new QComboBox(this);
    m_laser->setObjectName(QStringLiteral("laserBox"));
    // Filled only once the recordings are read: sized on first show, it would cut the laser's name.
    m_laser->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_range = new QComboBox(this);
    m_range->addItems({tr("10 min"), tr("1 h"), tr("24 h"), tr("7 days"), tr("Custom")});
    m_fromEdit = new QDateTimeEdit(this);
    m_toEdit = new QDateTimeEdit(this);
    for (QDateTimeEdit *edit : {m_fromEdit, m_toEdit}) {
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        edit->setCalendarPopup(true);
    }
    m_follow = new QCheckBox(tr("Follow"), this);
    m_follow->setChecked(true);
    auto *exportButton = new QPushButton(tr("Export CSV..."), this);

    auto *bar = new QHBoxLayout;
    bar->addWidget(new QLabel(tr("Laser"), this));
    bar->addWidget(m_laser);
    bar->addWidget(new QLabel(tr("Range"), this));
    bar->addWidget(m_range);
    bar->addWidget(m_fromEdit);
    bar->addWidget(new QLabel(QStringLiteral("–"), this));
    bar->addWidget(m_toEdit);
    bar->addWidget(m_follow);
    bar->addStretch(1);
    bar->addWidget(exportButton);

    m_list = new QTreeWidget(this);
    m_list->setHeaderHidden(true);
    m_list->setMinimumWidth(260);
    buildQuantityList();

    m_chart = new QChart;
    // Axis numbers in the language in use, as everywhere else on screen.
    m_chart->setLocalizeNumbers(true);
    m_chart->legend()->setAlignment(Qt::AlignBottom);
    m_chart->setMargins(QMargins(4, 4, 4, 4));
    m_timeAxis = new QDateTimeAxis(m_chart);
    m_timeAxis->setFormat(QStringLiteral("MM-dd HH:mm"));
    m_timeAxis->setTitleText(tr("Local time"));
    m_chart->addAxis(m_timeAxis, Qt::AlignBottom);
    m_view = new LumetraTrendChartView(m_chart, this);
    m_readout = new QLabel(this);
    m_readout->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_readout->setWordWrap(true);
    // Takes a line of the dock's height only while the cursor is on the chart.
    m_readout->hide();

    auto *chartSide = new QWidget(this);
    auto *chartLayout = new QVBoxLayout(chartSide);
    chartLayout->setContentsMargins(0, 0, 0, 0);
    chartLayout->addWidget(m_view, 1);
    chartLayout->addWidget(m_readout);
    auto *splitter = new QSplitter(this);
    splitter->addWidget(m_list);
    splitter->addWidget(chartSide);
    splitter->setStretchFactor(1, 1);

    auto *layout = new QVBoxLayout(this);
    // The margins of the other docks; on a low screen every line of height counts.
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addLayout(bar);
    layout->addWidget(splitter, 1);

    m_followTimer = new QTimer(this);
    m_followTimer->setInterval(1000);
    connect(m_followTimer, &QTimer::timeout, this, &LumetraTrendsView::followNow);

    connect(m_range, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &LumetraTrendsView::onRangeChanged);
    connect(m_fromEdit, &QDateTimeEdit::dateTimeChanged, this, [this] {
        if (!m_filling)
            setSpan(m_fromEdit->dateTime().toMSecsSinceEpoch(), m_toEdit->dateTime().toMSecsSinceEpoch());
    });
    connect(m_toEdit, &QDateTimeEdit::dateTimeChanged, this, [this] {
        if (!m_filling)
            setSpan(m_fromEdit->dateTime().toMSecsSinceEpoch(), m_toEdit->dateTime().toMSecsSinceEpoch());
    });
    connect(m_follow, &QCheckBox::toggled, this, [this](bool on) {
        if (on && m_range->currentIndex() == RangeCustom)
            m_range->setCurrentIndex(Range10Minutes);
        followNow();
    });
    connect(m_list, &QTreeWidget::itemChanged, this, [this] {
        if (!m_filling)
            rebuildSeries();
    });
    connect(exportButton, &QPushButton::clicked, this, &LumetraTrendsView::exportCsv);
    connect(m_view, &LumetraTrendChartView::spanRequested, this, &LumetraTrendsView::onSpanRequested);
    connect(m_view, &LumetraTrendChartView::resetRequested, this, [this] {
        onRangeChanged(m_range->currentIndex() == RangeCustom ? Range1Hour : m_range->currentIndex());
    });
    connect(m_view, &LumetraTrendChartView::cursorMoved, this, &LumetraTrendsView::onCursor);
    if (m_source) {
        connect(m_source, &LumetraRecordSource::changed, this, [this] {
            updateOffered();
            if (m_follow->isChecked())
                followNow();
            else
                reload();
        });
        connect(m_source, &LumetraRecordSource::lasersChanged, this, &LumetraTrendsView::fillLaserCombo);
        connect(m_laser, &QComboBox::textActivated, m_source.data(), &LumetraRecordSource::setLaser);
        if (m_source->recorder())
            connect(m_source->recorder(), &LumetraRecorder::sigReportersChanged, this,
                    &LumetraTrendsView::updateOffered);
    }
    updateOffered();
    fillLaserCombo();
    m_range->setCurrentIndex(Range1Hour);
    onRangeChanged(Range1Hour);
}

LumetraTrendsView::~LumetraTrendsView() = default;

void LumetraTrendsView::fillLaserCombo()
{
    m_laser->clear();
    if (!m_source)
        return;
    m_laser->addItems(m_source->lasers());
    m_laser->setCurrentText(m_source->laser());
}

void LumetraTrendsView::buildQuantityList()
{
    m_filling = true;
    QHash<QString, QTreeWidgetItem *> groups;
    for (int i = 0; i < LumetraRecordQuantities::count(); ++i) {
        const QString group = LumetraRecordQuantities::group(i);
        QTreeWidgetItem *&parent = groups[group];
        if (!parent) {
            parent = new QTreeWidgetItem(m_list, {group});
            parent->setFlags(Qt::ItemIsEnabled);
            parent->setExpanded(true);
        }
        auto *item = new QTreeWidgetItem(parent, {LumetraRecordQuantities::labelWithUnit(i)});
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(0, Qt::Unchecked);
        item->setData(0, Qt::UserRole, i);
    }
    m_filling = false;
}

void LumetraTrendsView::updateOffered()
{
    const LumetraRecordStore *store = m_source ? m_source->store() : nullptr;
    const QVector<int> held = store && store->isOpen()
                                  ? store->quantitiesWithData(0, std::numeric_limits<qint64>::max())
                                  : QVector<int>();
    // A quantity nobody on the link reports would draw an empty plot; what the file holds stays
    // offered, to look back at a module that was fitted then.
    const bool live = m_source && m_source->isLive();
    const Q::Reporters reporters = live ? m_source->recorder()->reporters() : Q::Reporters();
    for (int g = 0; g < m_list->topLevelItemCount(); ++g) {
        QTreeWidgetItem *group = m_list->topLevelItem(g);
        bool any = false;
        for (int c = 0; c < group->childCount(); ++c) {
            QTreeWidgetItem *item = group->child(c);
            const int q = item->data(0, Qt::UserRole).toInt();
            const bool offered =
                (Q::reportedBy(q) & reporters) || held.contains(q) || item->checkState(0) == Qt::Checked;
            item->setHidden(!offered);
            any = any || offered;
        }
        group->setHidden(!any);
    }
}

QStringList LumetraTrendsView::offeredQuantities() const
{
    QStringList keys;
    for (int g = 0; g < m_list->topLevelItemCount(); ++g) {
        const QTreeWidgetItem *group = m_list->topLevelItem(g);
        for (int c = 0; c < group->childCount(); ++c) {
            if (!group->child(c)->isHidden())
                keys << QLatin1String(Q::at(group->child(c)->data(0, Qt::UserRole).toInt()).key);
        }
    }
    return keys;
}

void LumetraTrendsView::setSelectedQuantities(const QStringList &keys)
{
    m_filling = true;
    for (int g = 0; g < m_list->topLevelItemCount(); ++g) {
        QTreeWidgetItem *group = m_list->topLevelItem(g);
        for (int c = 0; c < group->childCount(); ++c) {
            QTreeWidgetItem *item = group->child(c);
            const int q = item->data(0, Qt::UserRole).toInt();
            const bool on = keys.contains(QLatin1String(LumetraRecordQuantities::at(q).key));
            item->setCheckState(0, on ? Qt::Checked : Qt::Unchecked);
        }
    }
    m_filling = false;
    rebuildSeries();
}

QStringList LumetraTrendsView::selectedQuantities() const
{
    QStringList keys;
    for (int q : m_quantities)
        keys << QString::fromLatin1(LumetraRecordQuantities::at(q).key);
    return keys;
}

void LumetraTrendsView::rebuildSeries()
{
    m_quantities.clear();
    for (int g = 0; g < m_list->topLevelItemCount(); ++g) {
        QTreeWidgetItem *group = m_list->topLevelItem(g);
        for (int c = 0; c < group->childCount(); ++c) {
            if (group->child(c)->checkState(0) == Qt::Checked)
                m_quantities << group->child(c)->data(0, Qt::UserRole).toInt();
        }
    }
    m_chart->removeAllSeries();
    m_series.clear();
    for (QValueAxis *axis : qAsConst(m_unitAxes)) {
        m_chart->removeAxis(axis);
        delete axis;
    }
    m_unitAxes.clear();

    int index = 0;
    for (int q : qAsConst(m_quantities)) {
        const QString unit = LumetraRecordQuantities::unit(q);
        QValueAxis *&axis = m_unitAxes[axisKeyOf(q)];
        if (!axis) {
            axis = new QValueAxis;
            axis->setTitleText(unit.isEmpty() ? LumetraRecordQuantities::label(q) : unit);
            m_chart->addAxis(axis, m_unitAxes.size() % 2 ? Qt::AlignLeft : Qt::AlignRight);
        }
        auto *series = new QLineSeries;
        series->setName(LumetraRecordQuantities::labelWithUnit(q));
        series->setPen(QPen(seriesColours[index++ % int(std::size(seriesColours))], 1.5));
        m_chart->addSeries(series);
        series->attachAxis(m_timeAxis);
        series->attachAxis(axis);
        m_series.insert(q, series);
    }
    reload();
}

void LumetraTrendsView::onRangeChanged(int index)
{
    if (index == RangeCustom) {
        m_follow->setChecked(false);
        m_fromEdit->setEnabled(true);
        m_toEdit->setEnabled(true);
        return;
    }
    m_fromEdit->setEnabled(false);
    m_toEdit->setEnabled(false);
    const qint64 now =
        m_source && m_source->recorder() ? m_source->recorder()->now() : QDateTime::currentMSecsSinceEpoch();
    const qint64 span = rangeSpans[std::clamp(index, 0, int(std::size(rangeSpans)) - 1)];
    // Without following, the range ends where the recording of the laser ends.
    m_to = now;
    m_from = now - span;
    followNow();
}

void LumetraTrendsView::setRange(Range range)
{
    m_range->setCurrentIndex(range);
    onRangeChanged(range);
}

void LumetraTrendsView::followNow()
{
    const int index = m_range->currentIndex();
    const bool follow = m_follow->isChecked() && index != RangeCustom && m_source && m_source->isLive();
    if (follow) {
        const qint64 now = m_source->recorder()->now();
        m_to = now;
        m_from = now - rangeSpans[index];
        if (!m_followTimer->isActive())
            m_followTimer->start();
    } else {
        m_followTimer->stop();
    }
    reload();
}

void LumetraTrendsView::setSpan(qint64 from, qint64 to)
{
    if (to <= from)
        return;
    {
        // One reload for the new span, not one for every control that changes with it.
        const QSignalBlocker followBlocker(m_follow);
        const QSignalBlocker rangeBlocker(m_range);
        m_follow->setChecked(false);
        m_range->setCurrentIndex(RangeCustom);
    }
    m_followTimer->stop();
    m_fromEdit->setEnabled(true);
    m_toEdit->setEnabled(true);
    m_from = from;
    m_to = to;
    reload();
}

void LumetraTrendsView::onSpanRequested(qint64 from, qint64 to)
{
    setSpan(from, to);
}

void LumetraTrendsView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_stale)
        followNow();
}

void LumetraTrendsView::reload()
{
    // A hidden dock costs nothing; it reads again when shown.
    if (!isVisible()) {
        m_stale = true;
        return;
    }
    m_stale = false;
    m_filling = true;
    m_fromEdit->setDateTime(QDateTime::fromMSecsSinceEpoch(m_from));
    m_toEdit->setDateTime(QDateTime::fromMSecsSinceEpoch(m_to));
    m_filling = false;
    m_drawnPoints = 0;
    m_points.clear();
    const LumetraRecordStore *store = m_source ? m_source->store() : nullptr;
    const int columns = std::max(100, int(m_chart->plotArea().width()));
    // first > second marks a unit with no value yet.
    QHash<QString, QPair<double, double>> unitRange;
    for (auto it = m_series.cbegin(); it != m_series.cend(); ++it) {
        const int q = it.key();
        QVector<QPointF> points;
        if (store && store->isOpen() && Q::isStep(q)) {
            points = stepPoints(q);
        } else if (store && store->isOpen()) {
            const QVector<ReducedPoint> reduced = store->reduced(q, m_from, m_to, columns);
            points.reserve(reduced.size() * 2 + 1);
            for (const ReducedPoint &p : reduced) {
                points << QPointF(p.t, p.min);
                if (p.max != p.min)
                    points << QPointF(p.t, p.max);
            }
        }
        // A value holds until the next one: the line goes on to now while it is being recorded.
        if (!points.isEmpty() && m_source->isLive()) {
            const qint64 end = std::min(m_to, m_source->recorder()->now());
            if (end > points.last().x())
                points << QPointF(end, points.last().y());
        }
        const QString axis = axisKeyOf(q);
        auto range = unitRange.value(axis, {1.0, 0.0});
        for (const QPointF &p : qAsConst(points)) {
            if (range.first > range.second) {
                range = {p.y(), p.y()};
            } else {
                range.first = std::min(range.first, p.y());
                range.second = std::max(range.second, p.y());
            }
        }
        unitRange.insert(axis, range);
        m_drawnPoints += points.size();
        m_points.insert(q, points);
    }

    // Every change of an axis or a series lays the chart out again: the axes are set once, each to
    // its final range, before each series gets its points once.
    m_timeAxis->setRange(QDateTime::fromMSecsSinceEpoch(m_from), QDateTime::fromMSecsSinceEpoch(m_to));
    m_timeAxis->setFormat(m_to - m_from > 2 * 24 * 60 * minuteMs ? QStringLiteral("MM-dd HH:mm")
                                                                 : QStringLiteral("HH:mm:ss"));
    for (auto it = m_unitAxes.cbegin(); it != m_unitAxes.cend(); ++it) {
        const auto range = unitRange.value(it.key(), {1.0, 0.0});
        const int q = Q::indexOf(it.key());
        fitAxis(it.value(), range.first, range.second, q >= 0 && onIntegerLane(q));
    }
    for (auto it = m_series.cbegin(); it != m_series.cend(); ++it)
        it.value()->replace(m_points.value(it.key()));
}

QVector<QPointF> LumetraTrendsView::stepPoints(int quantity) const
{
    // A held value is few samples; a column of pixels keeps the level it comes in with, the extremes
    // inside it and the level it leaves with, so that a flag raised and lowered within it still shows.
    const QVector<RecordSample> samples = m_source->store()->samples(quantity, m_from, m_to);
    const qint64 column =
        std::max<qint64>(1, (m_to - m_from) / std::max(100, int(m_chart->plotArea().width())));
    QVector<QPointF> points;
    const auto add = [&points](qreal x, qreal y) {
        if (points.isEmpty() || points.last() != QPointF(x, y))
            points << QPointF(x, y);
    };
    qint64 x = 0, currentColumn = -1;
    double low = 0, high = 0, last = 0;
    const auto closeColumn = [&] {
        if (currentColumn < 0)
            return;
        if (!points.isEmpty())
            add(x, points.last().y());
        add(x, low);
        add(x, high);
        add(x, last);
    };
    for (const RecordSample &s : samples) {
        // The value held when the span begins is drawn from its start.
        const qint64 t = std::max(s.t, m_from);
        const qint64 c = (t - m_from) / column;
        if (c != currentColumn) {
            closeColumn();
            currentColumn = c;
            x = t;
            low = high = s.value;
        }
        low = std::min(low, s.value);
        high = std::max(high, s.value);
        last = s.value;
    }
    closeColumn();
    return points;
}

void LumetraTrendsView::fitAxis(QValueAxis *axis, double low, double high, bool integerLane)
{
    if (low > high) {
        axis->setTickType(QValueAxis::TicksFixed);
        axis->setRange(0, 1);
        return;
    }
    if (integerLane) {
        // Ticks on whole values only, no more than a short dock has room to label, and half a value of
        // room so that neither end lies on the frame.
        double interval = 1;
        for (int i = 0; (high - low) / interval > 6; ++i)
            interval *= i % 3 == 1 ? 2.5 : 2;
        axis->setTickType(QValueAxis::TicksDynamic);
        axis->setTickAnchor(0);
        axis->setTickInterval(interval);
        axis->setLabelFormat(QStringLiteral("%.0f"));
        axis->setRange(std::floor(low) - 0.5, std::ceil(high) + 0.5);
        return;
    }
    axis->setTickType(QValueAxis::TicksFixed);
    // A flat line sits in the middle of the axis rather than on its edge.
    if (high - low < 1e-9) {
        low -= 1;
        high += 1;
    }
    // Round ends a tick apart, about five ticks over the range.
    const double raw = (high - low) / 5;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    double step = magnitude;
    for (double factor : {1.0, 2.0, 5.0, 10.0}) {
        step = factor * magnitude;
        if (step >= raw)
            break;
    }
    const double first = std::floor(low / step) * step;
    const double last = std::max(std::ceil(high / step) * step, first + step);
    axis->setTickCount(int(std::lround((last - first) / step)) + 1);
    axis->setRange(first, last);
}

QString LumetraTrendsView::readoutAt(qint64 t) const
{
    QStringList parts{QDateTime::fromMSecsSinceEpoch(t).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))};
    // Read by the operator, unlike the export's: the language's decimal separator, no grouping.
    QLocale shown;
    shown.setNumberOptions(shown.numberOptions() | QLocale::OmitGroupSeparator);
    for (int q : m_quantities) {
        const QVector<QPointF> points = m_points.value(q);
        const auto after = std::upper_bound(points.cbegin(), points.cend(), double(t),
                                            [](double x, const QPointF &p) { return x < p.x(); });
        QString value = QStringLiteral("–");
        if (after != points.cbegin()) {
            // What is drawn at t: the level held on a step, the point on the line between two samples.
            const QPointF &a = *(after - 1);
            if (Q::isStep(q) || after == points.cend() || a.y() == after->y()) {
                value = shown.toString(a.y(), 'g', QLocale::FloatingPointShortest);
            } else {
                const double y = a.y() + (after->y() - a.y()) * (t - a.x()) / (after->x() - a.x());
                value = shown.toString(y, 'f', std::max(decimalsOf(a.y()), decimalsOf(after->y())));
            }
        }
        parts << QStringLiteral("%1: %2 %3")
                     .arg(LumetraRecordQuantities::label(q), value, LumetraRecordQuantities::unit(q))
                     .trimmed();
    }
    return parts.join(QLatin1String("   "));
}

QVector<QPointF> LumetraTrendsView::drawnSeries(const QString &key) const
{
    return m_points.value(Q::indexOf(key));
}

void LumetraTrendsView::onCursor(qint64 t)
{
    m_readout->setText(readoutAt(t));
    m_readout->setVisible(!m_readout->text().isEmpty());
}

void LumetraTrendsView::exportCsv()
{
    const LumetraRecordStore *store = m_source ? m_source->store() : nullptr;
    if (!store || !store->isOpen() || m_quantities.isEmpty()) {
        QMessageBox::information(this, tr("Export CSV"), tr("Pick the quantities to export first."));
        return;
    }
    const QString file = QFileDialog::getSaveFileName(
        this, tr("Export CSV"),
        LumetraCsvFileName::suggest(m_source->laser(), QStringLiteral("trends"), m_from, m_to),
        tr("CSV files (*.csv)"));
    if (file.isEmpty())
        return;
    QString error;
    const auto write = [&](QIODevice *out, QString *writeError) {
        return LumetraCsvExport::writeSamples(*store, m_quantities, m_from, m_to, out, writeError);
    };
    if (!LumetraCsvExport::save(file, store->fileName(), {m_source->folder()}, write, &error))
        QMessageBox::warning(this, tr("Export CSV"), tr("Cannot write %1: %2").arg(file, error));
}
