#include "app/ApplicationLog.h"

#include "framekit/_AppLog.h"
#include "ui_ApplicationLog.h"

#include <QScrollBar>
#include <QTextDocument>

ApplicationLog::ApplicationLog(QWidget *parent) : QWidget(parent), ui(new Ui::ApplicationLog)
{
    ui->setupUi(this);

    // The store owns the document; the view only shows it.
    ui->plainTextEdit->setDocument(_AppLog::instance()->getLogDocument());
    ui->plainTextEdit->setReadOnly(true);
    // Long messages (a device answer, a port's failure reason) are read whole, not cut at the dock's
    // edge behind a sideways scroll; a word longer than the line breaks wherever it has to.
    ui->plainTextEdit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    ui->plainTextEdit->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);

    connect(ui->toolButtonClear, &QToolButton::clicked, this, &ApplicationLog::onToolButtonClear_clicked);
    connect(ui->toolButtonSave, &QToolButton::clicked, this, &ApplicationLog::onToolButtonSave_clicked);
    connect(ui->toolButtonPrint, &QToolButton::clicked, this, &ApplicationLog::onToolButtonPrint_clicked);
    connect(ui->plainTextEdit->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &ApplicationLog::onVScrollChanged);
    connect(ui->plainTextEdit, &QPlainTextEdit::textChanged, this, &ApplicationLog::onTextChanged);
}

ApplicationLog::~ApplicationLog()
{
    delete ui;
}

void ApplicationLog::onToolButtonClear_clicked()
{
    _AppLog::instance()->ClearLogLines(this);
}

void ApplicationLog::onToolButtonPrint_clicked()
{
    _AppLog::instance()->PrintLogLines(this);
}

void ApplicationLog::onToolButtonSave_clicked()
{
    _AppLog::instance()->SaveLogLines(this);
}

void ApplicationLog::onVScrollChanged(int value)
{
    autoScroll = value == ui->plainTextEdit->verticalScrollBar()->maximum();
}

void ApplicationLog::onTextChanged()
{
    if (autoScroll) {
        QScrollBar *bar = ui->plainTextEdit->verticalScrollBar();
        bar->setValue(bar->maximum());
    }
}

void ApplicationLog::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    onTextChanged();
}

void ApplicationLog::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    onTextChanged();
}
