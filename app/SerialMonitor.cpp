#include "app/SerialMonitor.h"

#include "ui_SerialMonitor.h"

#include <QLoggingCategory>
#include <QScrollBar>

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
const char *const prefixFormat = "<font color=#000000>%1: </font>";
const char *const hexFormat = "<font color=#ff00ff>%1</font>";

} // namespace

SerialMonitor::SerialMonitor(QWidget *parent) : QWidget(parent), ui(new Ui::SerialMonitor)
{
    ui->setupUi(this);
    ui->plainTextEdit->setMaximumBlockCount(maximumLines);
    ui->plainTextEdit->setReadOnly(true);
    ui->plainTextEdit->setLineWrapMode(QPlainTextEdit::NoWrap);

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
    const char *tagFormat = otherTagFormat;
    for (const TagFormat &entry : tagFormats)
        if (tag == QLatin1String(entry.tag))
            tagFormat = entry.format;

    // The device's bytes are data, not markup: a '<' from the laser must show as '<', not open a tag.
    const int nul = bytes.indexOf('\0');
    const QString text = QString::fromLatin1(nul < 0 ? bytes : bytes.left(nul)).toHtmlEscaped();

    return QString::fromLatin1(prefixFormat).arg(portname) + QString::fromLatin1(tagFormat).arg(tag) +
           QLatin1Char(' ') + text + QLatin1Char(' ') + QString::fromLatin1(hexFormat).arg(hexDump(bytes));
}

void SerialMonitor::appendChunk(const QString &portname, const QString &tag, const QByteArray &bytes)
{
    ui->plainTextEdit->appendHtml(formatLine(portname, tag, bytes));
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
}

void SerialMonitor::onToolButtonSend_clicked()
{
    const QString text = ui->lineEditCommand->text();
    if (text.isEmpty())
        return;
    qCDebug(lcSerialMonitor) << "manual command" << text;
    emit sigSendCommand(text.toLatin1() + '\n');
    ui->lineEditCommand->clear();
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
    // The editor brings its cursor into view when first shown, and the cursor rides along at the end of the
    // appended text: that would open the dock scrolled sideways to the end of a hex dump, labels hidden.
    ui->plainTextEdit->horizontalScrollBar()->setValue(0);
    onTextChanged();
}
