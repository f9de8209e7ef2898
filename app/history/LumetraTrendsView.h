#pragma once

#include <QHash>
#include <QLoggingCategory>
#include <QPointF>
#include <QPointer>
#include <QVector>
#include <QWidget>

namespace QtCharts {
class QChart;
class QDateTimeAxis;
class QLineSeries;
class QValueAxis;
} // namespace QtCharts

class LumetraRecordSource;
class LumetraTrendChartView;
class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QLabel;
class QTimer;
class QTreeWidget;

Q_DECLARE_LOGGING_CATEGORY(lcLumetraTrendsView)

// The "Trends" dock: recorded quantities over time, picked from a list grouped by module, one value
// axis per unit and one of its own for each quantity without a unit. Analog readings are lines, each
// column of pixels showing the lowest and highest value recorded in its stretch of time, so a week
// draws from as many points as ten minutes do; states, flags and counters are steps, a value held until
// the next. The list offers what the laser on the link reports and what the recording holds.
class LumetraTrendsView : public QWidget
{
    Q_OBJECT
public:
    explicit LumetraTrendsView(LumetraRecordSource *source, QWidget *parent = nullptr);
    ~LumetraTrendsView() override;

    enum Range
    {
        Range10Minutes,
        Range1Hour,
        Range24Hours,
        Range7Days,
        RangeCustom
    };

    void setSelectedQuantities(const QStringList &keys);
    QStringList selectedQuantities() const;
    // A fixed span in UTC ms (the range becomes "Custom").
    void setSpan(qint64 from, qint64 to);
    void setRange(Range range);
    qint64 spanFrom() const { return m_from; }
    qint64 spanTo() const { return m_to; }
    // Points drawn in the last reload, over all series.
    int drawnPoints() const { return m_drawnPoints; }
    // The text under the chart for a time, as the cursor shows it: the value drawn there.
    QString readoutAt(qint64 t) const;
    // What the last reload drew for a quantity, in UTC ms and the quantity's unit.
    QVector<QPointF> drawnSeries(const QString &key) const;
    // Keys the quantity list offers.
    QStringList offeredQuantities() const;

public slots:
    void reload();
    void exportCsv();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildQuantityList();
    void updateOffered();
    QVector<QPointF> stepPoints(int quantity) const;
    void fitAxis(QtCharts::QValueAxis *axis, double low, double high, bool integerLane);
    void rebuildSeries();
    void followNow();
    void onRangeChanged(int index);
    void onSpanRequested(qint64 from, qint64 to);
    void onCursor(qint64 t);
    void fillLaserCombo();

    QPointer<LumetraRecordSource> m_source;
    QComboBox *m_laser = nullptr;
    QTreeWidget *m_list = nullptr;
    QComboBox *m_range = nullptr;
    QDateTimeEdit *m_fromEdit = nullptr;
    QDateTimeEdit *m_toEdit = nullptr;
    QCheckBox *m_follow = nullptr;
    QLabel *m_readout = nullptr;
    QtCharts::QChart *m_chart = nullptr;
    QtCharts::QDateTimeAxis *m_timeAxis = nullptr;
    LumetraTrendChartView *m_view = nullptr;
    QTimer *m_followTimer = nullptr;

    QVector<int> m_quantities;
    QHash<int, QtCharts::QLineSeries *> m_series;
    QHash<QString, QtCharts::QValueAxis *> m_unitAxes;
    QHash<int, QVector<QPointF>> m_points;
    qint64 m_from = 0;
    qint64 m_to = 0;
    int m_drawnPoints = 0;
    bool m_filling = false;
    bool m_stale = true;
};
