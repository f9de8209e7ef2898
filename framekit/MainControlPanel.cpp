#include "framekit/MainControlPanel.h"

#include <QFrame>
#include <QGridLayout>
#include <QLoggingCategory>
#include <QSplitter>

Q_LOGGING_CATEGORY(lcMainControlPanel, "framekit.maincontrolpanel")

namespace {

QFrame *createPane(QWidget *parent, QGridLayout **layout)
{
    auto *pane = new QFrame(parent);
    pane->setFrameStyle(QFrame::NoFrame);
    pane->hide();
    *layout = new QGridLayout(pane);
    (*layout)->setContentsMargins(0, 0, 0, 0);
    (*layout)->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return pane;
}

} // namespace

MainControlPanel::MainControlPanel(QWidget *parent) : QWidget(parent)
{
    panelLayout = new QGridLayout(this);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->setSpacing(2);

    splitter = new QSplitter(Qt::Vertical, this);
    splitter->setHandleWidth(10);
    splitter->setChildrenCollapsible(false);

    mainPane = createPane(splitter, &mainPaneLayout);
    childPane = createPane(splitter, &childPaneLayout);
    splitter->addWidget(mainPane);
    splitter->addWidget(childPane);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 0);

    panelLayout->addWidget(splitter);

    connect(splitter, &QSplitter::splitterMoved, this, &MainControlPanel::onSplitterMoved);
}

MainControlPanel::~MainControlPanel() = default;

void MainControlPanel::showChildControl(QWidget *widget, bool showState)
{
    showControl(childPane, childPaneLayout, childControls, widget, showState);
}

void MainControlPanel::showMainControl(QWidget *widget, bool showState)
{
    showControl(mainPane, mainPaneLayout, mainControls, widget, showState);
}

void MainControlPanel::setSplitterState(QByteArray state)
{
    if (!splitter->restoreState(state))
        qCDebug(lcMainControlPanel) << "splitter state not restored," << state.size() << "bytes";
}

void MainControlPanel::onSplitterMoved(int pos, int index)
{
    qCDebug(lcMainControlPanel) << "splitter moved to" << pos << "handle" << index;
    emit splitterStateChanged(splitter->saveState());
}

void MainControlPanel::showControl(QFrame *pane, QGridLayout *paneLayout, QList<QPointer<QWidget>> &controls,
                                   QWidget *widget, bool showState)
{
    if (!widget) {
        for (const QPointer<QWidget> &control : qAsConst(controls)) {
            if (control)
                control->hide();
        }
        pane->hide();
        return;
    }

    bool known = false;
    for (const QPointer<QWidget> &control : qAsConst(controls)) {
        if (control == widget) {
            known = true;
            break;
        }
    }
    if (!known) {
        // Controls deleted by their owners leave null guards behind; drop them while registering.
        controls.removeAll(QPointer<QWidget>());
        widget->hide();
        controls.append(QPointer<QWidget>(widget));
        paneLayout->addWidget(widget);
    }

    if (!showState)
        return;

    for (const QPointer<QWidget> &control : qAsConst(controls)) {
        if (control && control != widget)
            control->hide();
    }
    widget->show();
    pane->show();
}
