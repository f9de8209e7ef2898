#include "app/SerialMonitor.h"

#include "device/LumetraController.h"
#include "ui_SerialMonitor.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDockWidget>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QMenu>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSettings>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTimer>
#include <QToolButton>

Q_LOGGING_CATEGORY(lcSerialMonitor, "lumetra.app.serialmonitor")

namespace {

struct TagFormat
{
    const char *tag;
    const char *format;
};

// Direction tags and their colours; any other tag is shown in red.
const TagFormat tagFormats[] = {
    {"TX:", "<font color=#0000ff>%1</font>"},
    {"RX:", "<font color=#00aaff>%1</font>"},
};
const char *const otherTagFormat = "<font color=#ff0000>%1</font>";
const char *const prefixFormat = "<font color=#000000>%1</font>";
const char *const hexFormat = "<font color=#ff00ff>%1</font>";

const char settingsHidePolling[] = "SerialMonitor/hidePolling";
const char settingsLinkLabel[] = "SerialMonitor/linkLabel";
const char settingsPortInTitle[] = "SerialMonitor/portInTitle";
const char settingsHistory[] = "SerialMonitor/commandHistory";

QSettings userSettings()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QCoreApplication::organizationName(),
                     QCoreApplication::applicationName());
}

} // namespace

SerialMonitor::SerialMonitor(QWidget *parent) : QWidget(parent), ui(new Ui::SerialMonitor)
{
    ui->setupUi(this);
    ui->plainTextEdit->setMaximumBlockCount(maximumLines);
    ui->plainTextEdit->setReadOnly(true);
    ui->plainTextEdit->setLineWrapMode(QPlainTextEdit::NoWrap);

    batchTimer = new QTimer(this);
    batchTimer->setSingleShot(true);
    batchTimer->setInterval(batchIntervalMs);
    connect(batchTimer, &QTimer::timeout, this, &SerialMonitor::renderPending);

    buildExtraControls();
    history = userSettings().value(QLatin1String(settingsHistory)).toStringList();
    keepNewestCommands();
    historyIndex = history.size();
    ui->lineEditCommand->installEventFilter(this);

    connect(ui->toolButtonClear, &QToolButton::clicked, this, &SerialMonitor::onToolButtonClear_clicked);
    connect(ui->toolButtonSend, &QToolButton::clicked, this, &SerialMonitor::onToolButtonSend_clicked);
    connect(ui->lineEditCommand, &QLineEdit::returnPressed, this, &SerialMonitor::onToolButtonSend_clicked);
    connect(ui->plainTextEdit->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &SerialMonitor::onVScrollChanged);
    connect(ui->plainTextEdit, &QPlainTextEdit::textChanged, this, &SerialMonitor::onTextChanged);
}

SerialMonitor::~SerialMonitor()
{
    delete ui;
}

void SerialMonitor::buildExtraControls()
{
    // After the specified controls, so the row starts as it always has.
    pauseButton = new QToolButton(this);
    pauseButton->setObjectName(QStringLiteral("toolButtonPause"));
    pauseButton->setText(tr("Pause"));
    pauseButton->setToolTip(tr("Stop adding lines; the traffic meanwhile is shown on resuming"));
    pauseButton->setCheckable(true);
    connect(pauseButton, &QToolButton::toggled, this, [this](bool paused) {
        if (!paused)
            resume();
    });

    auto *copyButton = new QToolButton(this);
    copyButton->setObjectName(QStringLiteral("toolButtonCopy"));
    copyButton->setText(tr("Copy"));
    copyButton->setToolTip(tr("Copy the selected lines, or all lines when none are selected"));
    connect(copyButton, &QToolButton::clicked, this, &SerialMonitor::copyLines);

    auto *optionsButton = new QToolButton(this);
    optionsButton->setObjectName(QStringLiteral("toolButtonOptions"));
    optionsButton->setText(tr("View"));
    optionsButton->setToolTip(tr("How the traffic is shown"));
    optionsButton->setPopupMode(QToolButton::InstantPopup);
    auto *menu = new QMenu(optionsButton);
    const QSettings settings = userSettings();
    const auto addOption = [&](const QString &name, const QString &text, const char *key) {
        QAction *action = menu->addAction(text);
        action->setObjectName(name);
        action->setCheckable(true);
        action->setChecked(settings.value(QLatin1String(key), false).toBool());
        connect(action, &QAction::toggled, this, [this, key](bool on) {
            userSettings().setValue(QLatin1String(key), on);
            optionsChanged();
        });
        return action;
    };
    hidePollingAction = addOption(QStringLiteral("actionHidePolling"),
                                  tr("Hide polled queries and their answers"), settingsHidePolling);
    linkLabelAction = addOption(QStringLiteral("actionLinkLabel"),
                                tr("Link labels (port:seconds-milliseconds) instead of the time of day"),
                                settingsLinkLabel);
    portInTitleAction = addOption(QStringLiteral("actionPortInTitle"),
                                  tr("Port in the title, not on every line"), settingsPortInTitle);
    optionsButton->setMenu(menu);

    ui->horizontalLayout->addWidget(pauseButton);
    ui->horizontalLayout->addWidget(copyButton);
    ui->horizontalLayout->addWidget(optionsButton);
}

QString SerialMonitor::hexDump(const QByteArray &bytes)
{
    QString dump;
    dump.reserve(bytes.size() * 4);
    for (const char byte : bytes)
        dump += QString::number(quint8(byte), 16).rightJustified(2, QLatin1Char('0')).toUpper() +
                QLatin1String("h ");
    return dump;
}

QString SerialMonitor::formatLine(const QString &portname, const QString &tag, const QByteArray &bytes)
{
    return formatStampedLine(portname + QLatin1String(": "), tag, bytes);
}

QString SerialMonitor::formatStampedLine(const QString &stamp, const QString &tag, const QByteArray &bytes)
{
    const char *tagFormat = otherTagFormat;
    for (const TagFormat &entry : tagFormats)
        if (tag == QLatin1String(entry.tag))
            tagFormat = entry.format;

    // The device's bytes are data, not markup: a '<' from the laser must show as '<', not open a tag.
    // The same holds for the label, which carries a port name the monitor does not choose.
    const int nul = bytes.indexOf('\0');
    const QString text = QString::fromLatin1(nul < 0 ? bytes : bytes.left(nul)).toHtmlEscaped();

    return QString::fromLatin1(prefixFormat).arg(stamp.toHtmlEscaped()) +
           QString::fromLatin1(tagFormat).arg(tag) + QLatin1Char(' ') + text + QLatin1Char(' ') +
           QString::fromLatin1(hexFormat).arg(hexDump(bytes));
}

SerialMonitor::Label SerialMonitor::parseLabel(const QString &label)
{
    static const QRegularExpression form(QStringLiteral("^(.*)([:_])(\\d\\d)-(\\d\\d\\d)$"));
    const QRegularExpressionMatch match = form.match(label);
    Label parsed;
    if (!match.hasMatch())
        return parsed;
    parsed.port = match.captured(1);
    parsed.separator = match.captured(2);
    parsed.seconds = match.captured(3).toInt();
    parsed.milliseconds = match.captured(4).toInt();
    if (parsed.seconds > 59)
        return Label();
    return parsed;
}

QTime SerialMonitor::transferTime(const QTime &arrival, const Label &label)
{
    const QTime sameMinute(arrival.hour(), arrival.minute(), label.seconds, label.milliseconds);
    return sameMinute > arrival ? sameMinute.addSecs(-60) : sameMinute;
}

QString SerialMonitor::shortPortName(const QString &port)
{
    if (port.startsWith(QLatin1String("/dev/")))
        return port.mid(5);
    const int separator = qMax(port.lastIndexOf(QLatin1Char('/')), port.lastIndexOf(QLatin1Char('\\')));
    return port.mid(separator + 1);
}

QString SerialMonitor::stamp(const Entry &entry) const
{
    const bool linkLabel = linkLabelAction->isChecked();
    const bool portInTitle = portInTitleAction->isChecked();
    const Label label = parseLabel(entry.label);
    if (!label.isValid())
        return entry.label + (linkLabel ? QLatin1String(": ") : QLatin1String(" > "));
    if (linkLabel) {
        if (!portInTitle)
            return entry.label + QLatin1String(": ");
        // The separator also tells a line ended by the read timeout ('_') from one ended by its line end.
        const QString time = entry.label.right(6);
        return (label.separator == QLatin1String("_") ? label.separator + time : time) + QLatin1String(": ");
    }
    const QString time = transferTime(entry.arrival, label).toString(QStringLiteral("hh:mm:ss.zzz"));
    if (portInTitle)
        return time + QLatin1String(" > ");
    return time + QLatin1Char(' ') + shortPortName(label.port) + QLatin1String(" > ");
}

void SerialMonitor::followPolling(const LumetraController *controller)
{
    connect(controller, &LumetraController::sigAddMonitorCommand, this, &SerialMonitor::slotAddPolledCommand);
    connect(controller, &LumetraController::sigDelMonitorCommand, this, &SerialMonitor::slotDelPolledCommand);
    connect(controller, &LumetraController::sigClrAllMonitorCommands, this,
            &SerialMonitor::slotClrPolledCommands);
}

void SerialMonitor::slotAddPolledCommand(QString command)
{
    polledCommands.insert(command.toLatin1().trimmed());
}

void SerialMonitor::slotDelPolledCommand(QString command)
{
    polledCommands.remove(command.toLatin1().trimmed());
}

void SerialMonitor::slotClrPolledCommands()
{
    polledCommands.clear();
}

bool SerialMonitor::isPolling(const QString &tag, const QByteArray &bytes)
{
    if (tag != QLatin1String("TX:"))
        return hidingAnswer;
    const QByteArray line = bytes.trimmed();
    // What the operator typed shows with its answer, even when it is one of the polled queries.
    if (typedCommands.removeOne(line)) {
        hidingAnswer = false;
        return false;
    }
    hidingAnswer = polledCommands.contains(line);
    return hidingAnswer;
}

void SerialMonitor::appendChunk(const QString &portname, const QString &tag, const QByteArray &bytes)
{
    Entry entry{portname, tag, bytes, QTime::currentTime(), isPolling(tag, bytes)};
    entries.push_back(std::move(entry));
    if (int(entries.size()) > maximumLines)
        entries.pop_front();
    unrendered = qMin(unrendered + 1, int(entries.size()));

    if (portInTitleAction->isChecked())
        updateTitle();
    // Hidden (or paused), the line is only kept: it is laid out when it can be seen.
    if (isVisible() && !pauseButton->isChecked() && !batchTimer->isActive())
        batchTimer->start();
}

void SerialMonitor::renderPending()
{
    batchTimer->stop();
    if (pauseButton->isChecked())
        return;
    QTextDocument *document = ui->plainTextEdit->document();
    const auto first = rebuildNeeded ? entries.cbegin() : entries.cend() - unrendered;
    QStringList lines;
    const bool hidePolling = hidePollingAction->isChecked();
    for (auto it = first; it != entries.cend(); ++it)
        if (!hidePolling || !it->polling)
            lines << formatStampedLine(stamp(*it), it->tag, it->bytes);
    const bool replaceAll = rebuildNeeded || lines.size() >= maximumLines;
    rebuildNeeded = false;
    unrendered = 0;
    if (lines.isEmpty() && !replaceAll)
        return;
    if (lines.size() > maximumLines)
        lines = lines.mid(lines.size() - maximumLines);

    // One edit for the whole batch: the document is laid out and the view updated once, not per line.
    // Each line goes in as its own paragraph, exactly as appending it alone would put it.
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    if (replaceAll) {
        cursor.select(QTextCursor::Document);
        cursor.removeSelectedText();
        cursor.setBlockFormat(QTextBlockFormat());
        cursor.setCharFormat(QTextCharFormat());
    }
    bool empty = document->isEmpty();
    for (const QString &line : qAsConst(lines)) {
        cursor.movePosition(QTextCursor::End);
        if (!empty)
            cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
        else
            cursor.setCharFormat(QTextCharFormat());
        cursor.insertHtml(line);
        empty = false;
    }
    cursor.endEditBlock();
}

void SerialMonitor::optionsChanged()
{
    updateTitle();
    rebuildNeeded = true;
    if (isVisible())
        renderPending();
}

void SerialMonitor::updateTitle()
{
    auto *dock = qobject_cast<QDockWidget *>(parentWidget());
    if (!dock)
        return;
    if (titleWithoutPort.isEmpty())
        titleWithoutPort = dock->windowTitle();
    if (!entries.empty()) {
        const Label label = parseLabel(entries.back().label);
        if (label.isValid())
            lastPort = shortPortName(label.port);
    }
    const QString title = portInTitleAction->isChecked() && !lastPort.isEmpty()
                              ? tr("%1 - %2").arg(titleWithoutPort, lastPort)
                              : titleWithoutPort;
    if (dock->windowTitle() == title)
        return;
    dock->setWindowTitle(title);
    // The menu entry that shows and hides the dock keeps its name.
    dock->toggleViewAction()->setText(titleWithoutPort);
}

void SerialMonitor::slotBytesReceived(QString portname, QByteArray bytes)
{
    appendChunk(portname, QStringLiteral("RX:"), bytes);
}

void SerialMonitor::slotBytesTransmitted(QString portname, QByteArray bytes)
{
    appendChunk(portname, QStringLiteral("TX:"), bytes);
}

void SerialMonitor::onToolButtonClear_clicked()
{
    ui->plainTextEdit->clear();
    entries.clear();
    unrendered = 0;
    rebuildNeeded = false;
}

void SerialMonitor::onToolButtonSend_clicked()
{
    const QString text = ui->lineEditCommand->text();
    if (text.isEmpty())
        return;
    qCDebug(lcSerialMonitor) << "manual command" << text;
    if (history.isEmpty() || history.last() != text) {
        history << text;
        keepNewestCommands();
        userSettings().setValue(QLatin1String(settingsHistory), history);
    }
    historyIndex = history.size();
    draft.clear();
    // A command dropped on the way never shows up on the wire; only the newest few are waited for.
    typedCommands.append(text.toLatin1().trimmed());
    if (typedCommands.size() > maximumHistory)
        typedCommands.removeFirst();
    emit sigSendCommand(text.toLatin1() + '\n');
    ui->lineEditCommand->clear();
}

bool SerialMonitor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->lineEditCommand && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            browseHistory(key == Qt::Key_Up ? -1 : 1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void SerialMonitor::keepNewestCommands()
{
    if (history.size() > maximumHistory)
        history.erase(history.begin(), history.end() - maximumHistory);
}

void SerialMonitor::browseHistory(int step)
{
    const int target = qBound(0, historyIndex + step, int(history.size()));
    if (target == historyIndex)
        return;
    // What was being typed comes back when browsing returns past the newest command.
    if (historyIndex == history.size())
        draft = ui->lineEditCommand->text();
    historyIndex = target;
    ui->lineEditCommand->setText(historyIndex < history.size() ? history.at(historyIndex) : draft);
}

void SerialMonitor::copyLines()
{
    QPlainTextEdit *view = ui->plainTextEdit;
    const QString text = view->textCursor().hasSelection() ? view->textCursor().selection().toPlainText()
                                                           : view->toPlainText();
    QApplication::clipboard()->setText(text);
}

void SerialMonitor::resume()
{
    // Resuming means following the traffic again, wherever the operator scrolled to while paused.
    autoScroll = true;
    renderPending();
    onTextChanged();
}

void SerialMonitor::onVScrollChanged(int value)
{
    autoScroll = value == ui->plainTextEdit->verticalScrollBar()->maximum();
}

void SerialMonitor::onTextChanged()
{
    if (autoScroll) {
        QScrollBar *bar = ui->plainTextEdit->verticalScrollBar();
        bar->setValue(bar->maximum());
    }
}

void SerialMonitor::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    onTextChanged();
}

void SerialMonitor::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    renderPending();
    // The editor brings its cursor into view when first shown, and the cursor rides along at the end of the
    // appended text: that would open the dock scrolled sideways to the end of a hex dump, labels hidden.
    ui->plainTextEdit->horizontalScrollBar()->setValue(0);
    onTextChanged();
}
