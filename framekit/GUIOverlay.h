#pragma once

#include "framekit/FramekitExport.h"

#include <QString>
#include <QWidget>

// Transparent layer over its parent. It greys the parent out with a message while the parent is
// disabled, or whenever an explicit overlay message is set; otherwise it is invisible. Mouse events
// always pass through to the widgets below.
class FRAMEKIT_EXPORT GUIOverlay : public QWidget
{
    Q_OBJECT
public:
    explicit GUIOverlay(QWidget *parent = nullptr);
    ~GUIOverlay() override;

    QString disabledMessage() const { return m_disabledMessage; }
    QString overlayMessage() const { return m_overlayMessage; }
    // A smaller second line under the message that says why, e.g. since when the device is silent.
    QString reasonMessage() const { return m_reasonMessage; }

public slots:
    void setDisabledMessage(QString message);
    void setOverlayMessage(QString message);
    void setReasonMessage(QString message);

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void followParent();

    QString m_disabledMessage;
    QString m_overlayMessage;
    QString m_reasonMessage;
};
