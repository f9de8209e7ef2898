#pragma once

#include "dialkit/DialkitExport.h"

#include <QList>
#include <QPointer>
#include <QWidget>

class QVBoxLayout;

// Page stack that keeps every page in one layout and shows only the current one; pages deleted
// elsewhere read as absent.
class DIALKIT_EXPORT stackWidget : public QWidget
{
    Q_OBJECT
public:
    explicit stackWidget(QWidget *parent = nullptr);

    int addWidget(QWidget *widget);
    int insertWidget(int index, QWidget *widget);
    void removeWidget(QWidget *widget);
    void removeWidgetAt(int index);
    int count() const { return m_pages.size(); }
    int currentIndex() const { return m_currentIndex; }
    QWidget *currentWidget() const;
    QWidget *widgetAt(int index) const;
    int indexOf(QWidget *widget) const;

public slots:
    void setCurrentIndex(int index);
    void setCurrentWidget(QWidget *widget);

signals:
    void currentChanged(int index);
    void widgetRemoved(int index);

private:
    void takeAt(int index);

    QVBoxLayout *m_layout = nullptr;
    QList<QPointer<QWidget>> m_pages;
    int m_currentIndex = -1;
};
