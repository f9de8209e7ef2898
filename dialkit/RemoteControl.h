#pragma once

#include "dialkit/DialkitExport.h"
#include "dialkit/IndicatorButton.h"

#include <QWidget>

// Emission on/off button with its lamp.
class DIALKIT_EXPORT RemoteControl : public QWidget
{
    Q_OBJECT
public:
    explicit RemoteControl(QWidget *parent = nullptr);

    IndicatorButton *emissionButton() const { return m_button; }

public slots:
    void setEmission(bool on);

signals:
    void emissionChanged(bool on);

private:
    IndicatorButton *m_button = nullptr;
};
