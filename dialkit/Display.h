#pragma once

#include "dialkit/DialkitExport.h"

#include <QFont>
#include <QPair>
#include <QStringList>
#include <QVector>
#include <QWidget>

// A character display of a fixed number of rows and columns, like the text panel of an
// instrument. Text is cut into rows of exactly the column count; characters the display font
// cannot show can be mapped to others with addReplacement().
class DIALKIT_EXPORT Display : public QWidget
{
    Q_OBJECT
public:
    explicit Display(int rows, int columns, QWidget *parent = nullptr);

    void setFontSize(int pixelSize);
    void addReplacement(QChar from, QChar to);

    int rows() const { return m_rows; }
    int columns() const { return m_columns; }
    int fontSize() const { return m_fontPixelSize; }
    QString text() const { return m_text; }
    QStringList lines() const { return m_lines; }
    // Pixel size the lines are drawn with at the current widget size (never above fontSize()).
    int drawnFontSize() const;

public slots:
    void setText(QString text);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool linesFit(int pixelSize, const QSize &area) const;

    int m_rows;
    int m_columns;
    int m_fontPixelSize = 18;
    double m_ratio = 1.0;
    QFont m_font;
    QVector<QPair<QChar, QChar>> m_replacements;
    QString m_text;
    QStringList m_lines;
};
