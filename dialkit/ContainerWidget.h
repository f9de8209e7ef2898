#pragma once

#include "dialkit/DialkitExport.h"

#include <QWidget>

// A plain panel that takes the white or light-grey background of the application style sheet.
class DIALKIT_EXPORT ContainerWidget : public QWidget
{
    Q_OBJECT
public:
    explicit ContainerWidget(QWidget *parent = nullptr);

    void setDarkBackground(bool dark);

protected:
    void paintEvent(QPaintEvent *event) override;
};
