#pragma once

#include "dialkit/DialkitExport.h"
#include "dialkit/ScrollArea.h"
#include "dialkit/Selector.h"
#include "dialkit/stackWidget.h"

#include <QLabel>
#include <QPushButton>
#include <QWidget>

// Frame of an instrument control panel: a white left panel with logo, headers and a stack of pages
// (page 0 the main page, the others settings pages opened from the "Settings" menu), and a dark-red
// right panel with the warning button, the menu and the remote-control area.
class DIALKIT_EXPORT MainView : public QWidget
{
    Q_OBJECT
public:
    // When the frame takes the style sheet. Immediate: at once, so every child is styled again as it is
    // added. Deferred: the panel builds its whole tree first and then calls applyStyleSheet(), which sets
    // the sheet once, or not at all when the application already carries the same sheet (a second copy
    // makes every widget match every rule twice, which is most of what building a large panel costs).
    enum class StyleSheetTiming
    {
        Immediate,
        Deferred
    };

    explicit MainView(QWidget *parent = nullptr, StyleSheetTiming timing = StyleSheetTiming::Immediate);

    int addControlPage(const QString &title, QWidget *page);
    void setRemoteControlWidget(QWidget *widget);
    void setSettingsPageAccess(int index, bool access);
    void showSettings(bool show);
    QString currentWidgetInfo() const;

    // Parts of the frame, for panels that place their own widgets beside the page stack.
    stackWidget *pageStack() const { return m_stack; }
    Selector *settingsMenu() const { return m_settingsMenu; }
    QWidget *settingsBar() const { return m_settingsBar; }
    QLabel *headerLabel() const { return m_header; }
    QLabel *tinyHeaderLabel() const { return m_tinyHeader; }
    QPushButton *warningButton() const { return m_warningButton; }
    QPushButton *closeButton() const { return m_closeButton; }
    QWidget *leftPanel() const { return m_leftPanel; }
    QWidget *sparePanel() const { return m_sparePanel; }
    QWidget *remoteControlArea() const { return m_remoteArea; }

public slots:
    void setTinyHeader(QString text);
    void setHeader(QString text);
    void setControlPage(int index);
    void closeSettings();
    void showWarning(bool show);
    void setWarningTooltip(QString text);

signals:
    void closeClicked();
    void warningClicked();
    void controlPageChanged(int index);

protected:
    // Styles the finished tree in one pass; see StyleSheetTiming.
    void applyStyleSheet();

private:
    QLabel *m_header = nullptr;
    QLabel *m_tinyHeader = nullptr;
    QLabel *m_logo = nullptr;
    QWidget *m_settingsBar = nullptr;
    QPushButton *m_closeButton = nullptr;
    stackWidget *m_stack = nullptr;
    QWidget *m_leftPanel = nullptr;
    Selector *m_settingsMenu = nullptr;
    QPushButton *m_warningButton = nullptr;
    QWidget *m_sparePanel = nullptr;
    QWidget *m_remoteArea = nullptr;
};
