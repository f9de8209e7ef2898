#pragma once

#include "dialkit/DialkitExport.h"

#include <QScrollArea>

// Flat scroll area with its own inner widget; with fitWidth it never scrolls sideways and widens
// itself so that its contents are never cut horizontally.
class DIALKIT_EXPORT ScrollArea : public QScrollArea
{
    Q_OBJECT
public:
    explicit ScrollArea(bool fitWidth, QWidget *parent = nullptr);

    void setLayout(QLayout *layout);
    void setWidgetProperty(const char *name, const QVariant &value);
    QWidget *innerWidget() const { return m_inner; }
    bool fitsWidth() const { return m_fitWidth; }

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool m_fitWidth;
    QWidget *m_inner = nullptr;
};
