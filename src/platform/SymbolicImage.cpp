#include "platform/SymbolicImage.h"

#include <QIcon>
#include <QImage>

#include <algorithm>
#include <array>
#include <functional>

namespace vantel::platform {

namespace {

// Pixels fainter than this carry too little colour to judge.
constexpr int faintAlpha = 96;
// Colours are compared in boxes of 32 levels per channel.
constexpr int levelsPerBox = 32;
constexpr int boxesPerChannel = 256 / levelsPerBox;
// A symbol has its colour and at most an accent, and they cover this share
// of its solid pixels.
constexpr int symbolColours = 2;
constexpr double symbolShare = 0.9;
constexpr int probeSide = 32;

} // namespace

bool isSymbolicImage(const QImage& source)
{
    if (source.isNull())
        return false;
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    std::array<int, boxesPerChannel * boxesPerChannel * boxesPerChannel> boxes{};
    int solid = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = line[x];
            if (qAlpha(pixel) < faintAlpha)
                continue;
            ++solid;
            ++boxes[std::size_t((qRed(pixel) / levelsPerBox) * boxesPerChannel * boxesPerChannel
                                + (qGreen(pixel) / levelsPerBox) * boxesPerChannel + qBlue(pixel) / levelsPerBox)];
        }
    }
    if (solid == 0)
        return false;
    // The symbol's colour and its accent cover (nearly) every solid pixel;
    // a picture spreads over many colours.
    std::partial_sort(boxes.begin(), boxes.begin() + symbolColours, boxes.end(), std::greater<int>());
    int covered = 0;
    for (int i = 0; i < symbolColours; ++i)
        covered += boxes[std::size_t(i)];
    return covered >= symbolShare * solid;
}

bool isSymbolicImage(const QIcon& icon)
{
    if (icon.isNull())
        return false;
    return isSymbolicImage(icon.pixmap(QSize(probeSide, probeSide), 1.0).toImage());
}

} // namespace vantel::platform
