#pragma once

#include "framekit/FramekitExport.h"

#include <QString>
#include <QWidget>

class GUIOverlay;

// Plain container widget that carries a GUIOverlay, so a whole control page can be greyed out.
class FRAMEKIT_EXPORT GUIWidget : public QWidget
{
    Q_OBJECT
public:
    explicit GUIWidget(QWidget *parent = nullptr);
    ~GUIWidget() override;

    GUIOverlay *getOverlay() const { return overlay; }

public slots:
    void setDisabledMessage(QString message);
    void setOverlayMessage(QString message);

private:
    GUIOverlay *overlay = nullptr;
};
