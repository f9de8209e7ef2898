#pragma once

#include "record/LumetraRecordStore.h"

#include <QPointer>
#include <QVector>
#include <QWidget>

class LumetraRecordSource;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

// The "Events" dock: alarms that still hold first, in colour, then the history newest first, with a
// filter, an Acknowledge button that records who (the system user) and when, and CSV export.
class LumetraEventsView : public QWidget
{
    Q_OBJECT
public:
    explicit LumetraEventsView(LumetraRecordSource *source, QWidget *parent = nullptr);

    enum Filter
    {
        FilterAll,
        FilterAlarms
    };
    void setFilter(Filter filter, const QString &text = QString());
    // The rows shown, in order: active alarms, then the filtered history.
    int rowCount() const;
    QString rowText(int row, int column) const;

    // Who acknowledges: the system user name.
    static QString userName();
    // What the export dialog offers: the laser and the span of the rows shown.
    QString suggestedFileName() const;

public slots:
    void reload();
    void acknowledgeSelected();
    void exportCsv();
    // The recorder's trouble, shown until it recovers.
    void showProblem(const QString &message);
    void clearProblem();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QVector<RecordEvent> shownEvents() const;
    void fillLaserCombo();

    QPointer<LumetraRecordSource> m_source;
    QComboBox *m_laser = nullptr;
    QComboBox *m_filter = nullptr;
    QLineEdit *m_text = nullptr;
    QPushButton *m_acknowledge = nullptr;
    QLabel *m_banner = nullptr;
    QTreeWidget *m_table = nullptr;
    QVector<RecordEvent> m_shown;
    QString m_shownLaser;
    bool m_stale = true;
};
