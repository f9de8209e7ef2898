#pragma once

#include "dialkit/DialkitExport.h"

#include <QWidget>

class QLabel;
class ShowHideButton;

// Header of a collapsible column: a title and a show/hide triangle. The owner hides or shows the
// column's contents on sigShowStateChanged.
class DIALKIT_EXPORT ColHeader : public QWidget
{
    Q_OBJECT
public:
    explicit ColHeader(QWidget *parent = nullptr);

    void setText(QString text);
    QString text() const;
    void setTextStyleSheet(QString styleSheet);
    QString textStyleSheet() const;
    bool showState() const { return m_showState; }
    ShowHideButton *showHideButton() const { return m_button; }

public slots:
    void setShowState(bool shown);

signals:
    void sigShowStateChanged(bool shown);
    void sigCustomContextMenuRequested(QWidget *widget, QPoint pos);

private slots:
    void showHideClicked();
    void onCustomContextMenuRequested(QPoint pos);

private:
    QLabel *m_title;
    ShowHideButton *m_button;
    bool m_showState = true;
};
