#pragma once

#include <QMainWindow>

class QTabWidget;

// Window of the widget gallery: one tab per family of Dialkit widgets.
class GalleryWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit GalleryWindow(QWidget *parent = nullptr);

    // Writes one PNG per tab into the folder; returns the number written.
    int saveScreenshots(const QString &folder);

private:
    QWidget *buildControlsPage();
    QWidget *buildInputsPage();
    QWidget *buildSlidersPage();
    QWidget *buildMainViewPage();
    QWidget *scrolled(QWidget *page);

    QTabWidget *m_tabs = nullptr;
};
