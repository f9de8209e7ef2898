#pragma once

#include "device/LumetraHarmonic.h"

#include <QString>

class LineEdit;
class QGridLayout;
class QLabel;
class QVBoxLayout;
class QWidget;

// Building blocks shared by the pages of the control panel, so that every page lays out its labels,
// read-outs and fields alike.
namespace LumetraPageKit {

constexpr int pageMargin = 25;

// A label with its value read-out; shown and hidden together.
struct Readout
{
    QLabel *label = nullptr;
    QLabel *value = nullptr;
    void setVisible(bool visible) const;
};

// A label with a read-only field ("System Details", "Temperature Details").
struct Field
{
    QLabel *label = nullptr;
    LineEdit *edit = nullptr;
    void setVisible(bool visible) const;
};

// Labels are plain text: values come from the laser, and markup in them must be shown as written.
QLabel *makeLabel(const QString &text, const char *type, QWidget *parent);
Readout addReadout(QGridLayout *grid, const QString &text, QWidget *parent);
Field addField(QGridLayout *grid, const QString &text, QWidget *parent);
LineEdit *makeReadOnlyField(QWidget *parent);
QWidget *makeGroup(const QString &title, QWidget *parent, QVBoxLayout **layout);
// The page's own vertical layout with the margins every page shares.
QVBoxLayout *pageLayout(QWidget *page, const QString &objectName);

// "IR", "Green", "UV", "DUV"; empty for an index that names no harmonic.
QString harmonicName(int index);

} // namespace LumetraPageKit
