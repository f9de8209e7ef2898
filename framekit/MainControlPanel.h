#pragma once

#include "framekit/FramekitExport.h"

#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QWidget>

class QFrame;
class QGridLayout;
class QSplitter;

// Two-pane control area: the top pane shows one main control, the bottom pane one child control.
// Controls are registered once and then only switched visible or hidden, so a device controller
// can keep several pages alive and flip between them without rebuilding anything.
class FRAMEKIT_EXPORT MainControlPanel : public QWidget
{
    Q_OBJECT
public:
    explicit MainControlPanel(QWidget *parent = nullptr);
    ~MainControlPanel() override;

    QSplitter *getSplitter() const { return splitter; }
    QFrame *getMainPane() const { return mainPane; }
    QFrame *getChildPane() const { return childPane; }

signals:
    void splitterStateChanged(QByteArray state);

public slots:
    void showChildControl(QWidget *widget, bool showState);
    void showMainControl(QWidget *widget, bool showState);
    void setSplitterState(QByteArray state);

private slots:
    void onSplitterMoved(int pos, int index);

private:
    static void showControl(QFrame *pane, QGridLayout *paneLayout, QList<QPointer<QWidget>> &controls,
                            QWidget *widget, bool showState);

    QGridLayout *panelLayout = nullptr;
    QSplitter *splitter = nullptr;
    QFrame *mainPane = nullptr;
    QGridLayout *mainPaneLayout = nullptr;
    QFrame *childPane = nullptr;
    QGridLayout *childPaneLayout = nullptr;
    QList<QPointer<QWidget>> mainControls;
    QList<QPointer<QWidget>> childControls;
};
