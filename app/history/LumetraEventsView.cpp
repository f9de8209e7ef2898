#include "app/history/LumetraEventsView.h"

#include "app/history/LumetraCsvFileName.h"
#include "device/LumetraEventText.h"
#include "record/LumetraCsvExport.h"
#include "record/LumetraRecordSource.h"
#include "record/LumetraRecorder.h"

#include <QComboBox>
#include <QDateTime>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QSet>
#include <QTreeWidget>
#include <QVBoxLayout>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <limits>

namespace {

enum Column
{
    ColumnTime,
    ColumnKind,
    ColumnText,
    ColumnSource,
    ColumnCleared,
    ColumnAcknowledged,
    ColumnCount
};

constexpr int historyRows = 2000;

QString localTime(qint64 ms)
{
    return ms ? QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
              : QString();
}

} // namespace

LumetraEventsView::LumetraEventsView(LumetraRecordSource *source, QWidget *parent)
    : QWidget(parent), m_source(source)
{
    m_laser = new QComboBox(this);
    m_laser->setObjectName(QStringLiteral("laserBox"));
    // Filled only once the recordings are read: sized on first show, it would cut the laser's name.
    m_laser->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_filter = new QComboBox(this);
    m_filter->addItems({tr("All events"), tr("Alarms only")});
    m_text = new QLineEdit(this);
    m_text->setPlaceholderText(tr("Filter by text"));
    m_text->setClearButtonEnabled(true);
    m_acknowledge = new QPushButton(tr("Acknowledge"), this);
    auto *exportButton = new QPushButton(tr("Export CSV..."), this);

    auto *bar = new QHBoxLayout;
    bar->addWidget(new QLabel(tr("Laser"), this));
    bar->addWidget(m_laser);
    bar->addWidget(m_filter);
    bar->addWidget(m_text, 1);
    bar->addWidget(m_acknowledge);
    bar->addWidget(exportButton);

    m_banner = new QLabel(this);
    // Problems name the recording's file, which carries the laser's serial number.
    m_banner->setTextFormat(Qt::PlainText);
    m_banner->setWordWrap(true);
    m_banner->setStyleSheet(QStringLiteral("QLabel { background: #b00020; color: white; padding: 4px; }"));
    m_banner->hide();

    m_table = new QTreeWidget(this);
    m_table->setRootIsDecorated(false);
    m_table->setUniformRowHeights(true);
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_table->setHeaderLabels(
        {tr("Time"), tr("Kind"), tr("Text"), tr("Source"), tr("Cleared"), tr("Acknowledged")});
    // The text is what the row says: the operator widens its column at will (a stretched column could
    // not be dragged), the last column takes what is left, and a text still too long for its column is
    // elided with the whole of it in the row's tooltip.
    m_table->header()->setSectionResizeMode(QHeaderView::Interactive);
    m_table->header()->setStretchLastSection(true);
    m_table->setTextElideMode(Qt::ElideRight);
    m_table->header()->resizeSection(ColumnText, m_table->fontMetrics().averageCharWidth() * 60);

    auto *layout = new QVBoxLayout(this);
    // The margins of the other docks; on a low screen every line of height counts.
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addLayout(bar);
    layout->addWidget(m_banner);
    layout->addWidget(m_table, 1);

    connect(m_filter, qOverload<int>(&QComboBox::currentIndexChanged), this, &LumetraEventsView::reload);
    connect(m_text, &QLineEdit::textChanged, this, &LumetraEventsView::reload);
    connect(m_acknowledge, &QPushButton::clicked, this, &LumetraEventsView::acknowledgeSelected);
    connect(exportButton, &QPushButton::clicked, this, &LumetraEventsView::exportCsv);
    connect(m_table, &QTreeWidget::itemSelectionChanged, this, [this] {
        bool any = false;
        for (QTreeWidgetItem *item : m_table->selectedItems())
            any = any || item->data(0, Qt::UserRole).toBool();
        m_acknowledge->setEnabled(any && m_source && m_source->isLive());
    });
    if (m_source) {
        connect(m_source, &LumetraRecordSource::changed, this, &LumetraEventsView::reload);
        connect(m_source, &LumetraRecordSource::lasersChanged, this, &LumetraEventsView::fillLaserCombo);
        connect(m_laser, &QComboBox::textActivated, m_source.data(), &LumetraRecordSource::setLaser);
        if (LumetraRecorder *recorder = m_source->recorder()) {
            connect(recorder, &LumetraRecorder::sigProblem, this, &LumetraEventsView::showProblem);
            connect(recorder, &LumetraRecorder::sigNotice, this, &LumetraEventsView::showProblem);
            connect(recorder, &LumetraRecorder::sigRecovered, this, &LumetraEventsView::clearProblem);
        }
    }
    m_acknowledge->setEnabled(false);
    fillLaserCombo();
    reload();
}

QString LumetraEventsView::userName()
{
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = qEnvironmentVariable("USERNAME");
#ifdef Q_OS_UNIX
    // Started by a service or a desktop that sets no USER, the account is still known: an
    // acknowledgement must name who gave it.
    if (user.isEmpty()) {
        if (const passwd *account = getpwuid(getuid()))
            user = QString::fromLocal8Bit(account->pw_name);
    }
#endif
    return user.isEmpty() ? tr("unknown user") : user;
}

void LumetraEventsView::fillLaserCombo()
{
    m_laser->clear();
    if (!m_source)
        return;
    m_laser->addItems(m_source->lasers());
    m_laser->setCurrentText(m_source->laser());
}

void LumetraEventsView::setFilter(Filter filter, const QString &text)
{
    m_filter->setCurrentIndex(filter);
    m_text->setText(text);
    reload();
}

QVector<RecordEvent> LumetraEventsView::shownEvents() const
{
    QVector<RecordEvent> shown;
    const LumetraRecordStore *store = m_source ? m_source->store() : nullptr;
    if (!store || !store->isOpen())
        return shown;
    const QString text = m_text->text().trimmed();
    const auto matches = [&](const RecordEvent &e) {
        return text.isEmpty() || LumetraEventText::shown(e).contains(text, Qt::CaseInsensitive) ||
               e.source.contains(text, Qt::CaseInsensitive);
    };
    const QVector<RecordEvent> active = store->activeAlarms();
    for (const RecordEvent &e : active) {
        if (matches(e))
            shown << e;
    }
    const QVector<RecordEvent> history = store->events(0, std::numeric_limits<qint64>::max(),
                                                       m_filter->currentIndex() == FilterAlarms, historyRows);
    for (const RecordEvent &e : history) {
        const bool alreadyShown = e.kind == RecordEvent::AlarmRaised && e.clearedAt == 0;
        if (!alreadyShown && matches(e))
            shown << e;
    }
    return shown;
}

void LumetraEventsView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_stale)
        reload();
}

namespace {

bool sameRows(const QVector<RecordEvent> &a, const QVector<RecordEvent> &b)
{
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i) {
        if (a[i].id != b[i].id || a[i].clearedAt != b[i].clearedAt ||
            a[i].acknowledgedAt != b[i].acknowledgedAt)
            return false;
    }
    return true;
}

} // namespace

void LumetraEventsView::reload()
{
    // A hidden dock costs nothing; it reads again when shown.
    if (!isVisible()) {
        m_stale = true;
        return;
    }
    m_stale = false;
    QVector<RecordEvent> shown = shownEvents();
    // Rebuilt only when something changed, so that reading a row is not disturbed every second. Row ids
    // are per file: another laser's history can have the very same ids.
    const QString laser = m_source ? m_source->laser() : QString();
    if (laser == m_shownLaser && sameRows(shown, m_shown) && m_table->topLevelItemCount() == m_shown.size())
        return;
    m_shown = std::move(shown);
    m_shownLaser = laser;
    const int scroll = m_table->verticalScrollBar()->value();
    QSet<qint64> selected;
    for (QTreeWidgetItem *item : m_table->selectedItems())
        selected << item->data(0, Qt::UserRole + 2).toLongLong();
    m_table->clear();
    QList<QTreeWidgetItem *> items;
    items.reserve(m_shown.size());
    for (const RecordEvent &e : qAsConst(m_shown)) {
        auto *item = new QTreeWidgetItem;
        item->setText(ColumnTime, localTime(e.t));
        item->setText(ColumnKind, e.kind == RecordEvent::AlarmRaised
                                      ? LumetraCsvExport::severityText(e.severity)
                                      : LumetraCsvExport::kindText(e.kind));
        // In the language in use now, whatever it was when the event was recorded.
        const QString text = LumetraEventText::shown(e);
        item->setText(ColumnText, text);
        item->setToolTip(ColumnText, text);
        item->setText(ColumnSource, e.source);
        item->setText(ColumnCleared, localTime(e.clearedAt));
        item->setText(ColumnAcknowledged,
                      e.acknowledgedBy.isEmpty()
                          ? QString()
                          : tr("%1, %2").arg(e.acknowledgedBy, localTime(e.acknowledgedAt)));
        const bool active = e.kind == RecordEvent::AlarmRaised && e.clearedAt == 0;
        item->setData(0, Qt::UserRole, active);
        item->setData(0, Qt::UserRole + 1, e.alarmKey);
        item->setData(0, Qt::UserRole + 2, e.id);
        if (active) {
            const QColor colour =
                e.severity == RecordEvent::Error ? QColor(0xb0, 0x00, 0x20) : QColor(0xc0, 0x60, 0x00);
            for (int c = 0; c < ColumnCount; ++c) {
                item->setForeground(c, e.acknowledgedBy.isEmpty() ? QBrush(Qt::white) : QBrush(colour));
                item->setBackground(c, e.acknowledgedBy.isEmpty() ? QBrush(colour) : QBrush());
            }
            QFont bold = item->font(ColumnText);
            bold.setBold(true);
            item->setFont(ColumnText, bold);
        }
        items << item;
    }
    m_table->addTopLevelItems(items);
    for (QTreeWidgetItem *item : qAsConst(items)) {
        if (selected.contains(item->data(0, Qt::UserRole + 2).toLongLong()))
            item->setSelected(true);
    }
    for (int c : {ColumnTime, ColumnKind, ColumnCleared})
        m_table->resizeColumnToContents(c);
    m_table->verticalScrollBar()->setValue(scroll);
}

int LumetraEventsView::rowCount() const
{
    return m_table->topLevelItemCount();
}

QString LumetraEventsView::rowText(int row, int column) const
{
    const QTreeWidgetItem *item = m_table->topLevelItem(row);
    return item ? item->text(column) : QString();
}

void LumetraEventsView::acknowledgeSelected()
{
    LumetraRecorder *recorder = m_source ? m_source->recorder() : nullptr;
    if (!recorder || !m_source->isLive())
        return;
    for (QTreeWidgetItem *item : m_table->selectedItems()) {
        if (item->data(0, Qt::UserRole).toBool())
            recorder->acknowledge(item->data(0, Qt::UserRole + 1).toString(), userName());
    }
    // Shown as acknowledged once written, within a second.
    recorder->flush();
}

QString LumetraEventsView::suggestedFileName() const
{
    // Active alarms stand before the history, so the span is taken over every row exported.
    qint64 from = 0, to = 0;
    for (const RecordEvent &e : m_shown) {
        from = from == 0 ? e.t : std::min(from, e.t);
        to = std::max(to, e.t);
    }
    return LumetraCsvFileName::suggest(m_source ? m_source->laser() : QString(), QStringLiteral("events"),
                                       from, to);
}

void LumetraEventsView::exportCsv()
{
    const QString file =
        QFileDialog::getSaveFileName(this, tr("Export CSV"), suggestedFileName(), tr("CSV files (*.csv)"));
    if (file.isEmpty())
        return;
    const LumetraRecordStore *store = m_source ? m_source->store() : nullptr;
    QString error;
    const auto write = [this](QIODevice *out, QString *writeError) {
        return LumetraCsvExport::writeEvents(m_shown, out, writeError);
    };
    if (!LumetraCsvExport::save(file, store ? store->fileName() : QString(),
                                {m_source ? m_source->folder() : QString()}, write, &error))
        QMessageBox::warning(this, tr("Export CSV"), tr("Cannot write %1: %2").arg(file, error));
}

void LumetraEventsView::showProblem(const QString &message)
{
    m_banner->setText(message);
    m_banner->show();
}

void LumetraEventsView::clearProblem()
{
    m_banner->hide();
}
