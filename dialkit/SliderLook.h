#pragma once

#include <QFont>
#include <QRgb>

// Colours and scale font shared by the painted sliders: grey track, dark-red handle that turns orange
// while dragged and grey when disabled.
namespace SliderLook {

constexpr QRgb trackColor = 0xFFC5C6C6;
constexpr QRgb handleColorNormal = 0xFF87212E;
constexpr QRgb handleColorDisabled = 0xFFA6A6A6;
constexpr QRgb handleColorActive = 0xFFED6E00;
constexpr QRgb tickColor = 0xFF444444;

inline QFont scaleFont()
{
    return QFont(QStringLiteral("Calibri"), 8);
}

} // namespace SliderLook
