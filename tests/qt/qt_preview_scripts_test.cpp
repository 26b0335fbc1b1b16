// The preview on Qt of fonts without the Latin alphabet: their own glyphs, shaped, fitted
// to the area's width, the area fitted to the lines.

#include "fonts/face_name.h"
#include "qt/qt_wizard.h"

#include <QFile>
#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <QRawFont>
#include <gtest/gtest.h>

namespace kernova::test {
namespace {

// The columns and the rows of the area's drawing that hold anything but white.
struct Ink {
    int left = -1, right = -1, rows = 0;
};
Ink InkOf(const QImage& image, int height) {
    Ink ink;
    for (int y = 0; y < height; ++y) {
        bool inked = false;
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != qRgb(255, 255, 255)) {
                ink.left = ink.left < 0 ? x : std::min(ink.left, x);
                ink.right = std::max(ink.right, x);
                inked = true;
            }
        }
        ink.rows += inked;
    }
    return ink;
}

// `text` drawn glyph by glyph from the file, unshaped, as the usual lines are drawn.
QImage Unshaped(const std::string& font, const QString& text, QSize size, int pixels) {
    QFile file(QString::fromStdString(TestFont(font).string()));
    file.open(QIODevice::ReadOnly);
    QRawFont raw(file.readAll(), pixels);
    QGlyphRun run;
    run.setRawFont(raw);
    const QList<quint32> glyphs = raw.glyphIndexesForString(text);
    QList<QPointF> positions;
    qreal x = 0;
    for (const QPointF& advance : raw.advancesForGlyphIndexes(glyphs)) {
        positions.append(QPointF(x, 0));
        x += advance.x();
    }
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.drawGlyphRun(QPointF(0, std::ceil(raw.ascent())), run);
    return image;
}

// Arabic (DejaVu's letters with their joining rules), Chinese characters and icons in the
// Private Use Area drawn as bars no other font has: every line inked, none wider than the
// area, the area as tall as the lines.
TEST(QtPreviewScripts, FontsWithoutLatinLettersDrawTheirOwnGlyphsFittedToTheArea) {
    for (const auto& [font, lines] : {std::pair{"KernovaArabic-Regular.ttf", 2},
                                      {"KernovaHan-Regular.ttf", 2},
                                      {"KernovaIcons-Regular.ttf", 2},
                                      {"KernovaColorIcons-Regular.ttf", 2}}) {
        SCOPED_TRACE(font);
        QtTestWorld world;
        QtWizard wizard(world, {.fonts = {font}});
        qt::QtPreviewCanvas& canvas = wizard.runtime().previewCanvas();
        QWidget& area = wizard.widget("picPreview");
        EXPECT_TRUE(area.isVisible());
        EXPECT_EQ(area.height(), canvas.size().height());
        EXPECT_EQ(canvas.CurrentY() + 4, canvas.size().height());
        const Ink ink = InkOf(canvas.image(), canvas.size().height());
        EXPECT_GT(ink.rows, lines * 5);
        EXPECT_LT(canvas.CurrentY() / lines, 40) << "a line of a preview at 14 points at most";
        EXPECT_GE(ink.left, 0);
        EXPECT_LT(ink.right, canvas.size().width() - 1) << "nothing reaches the edge";
        EXPECT_TRUE(canvas.AddedFaceNames().empty());
    }
}

// Joined and ordered right to left, the Arabic line is not the letters' isolated forms
// side by side.
TEST(QtPreviewScripts, ArabicIsShapedRightToLeft) {
    QtTestWorld world;
    const std::string font = "KernovaArabic-Regular.ttf";
    const QString words = QString::fromUtf8("مرحبا بالعالم");
    qt::QtPreviewCanvas canvas(LinuxPlatform().fonts, QSize(289, 40), 1.0);
    canvas.AddFontFile(TestFont(font).string());
    canvas.SetFontName(GetFontName(LinuxPlatform().fonts, TestFont(font).string()));
    canvas.SetFontSize(12);
    canvas.Print(words.toStdString());
    const QImage unshaped = Unshaped(font, words, QSize(289, 40), 16);
    const QImage shaped = canvas.image().copy(0, 0, 289, 40);
    EXPECT_NE(shaped.convertToFormat(QImage::Format_RGB32),
              unshaped.convertToFormat(QImage::Format_RGB32));
    // Right to left from the left edge: the line's ink starts there.
    EXPECT_LE(InkOf(shaped, 40).left, 2);
}

// The colour icons' bars are red over a blue base in the font's palette: this Qt draws such
// glyphs as plain outlines, the preview in their colours.
TEST(QtPreviewScripts, GlyphsInColourLayersComeOutInTheirColours) {
    QtTestWorld world;
    QtWizard wizard(world, {.fonts = {"KernovaColorIcons-Regular.ttf"}});
    const qt::QtPreviewCanvas& canvas = wizard.runtime().previewCanvas();
    int red = 0, blue = 0;
    for (int y = 0; y < canvas.size().height(); ++y) {
        for (int x = 0; x < canvas.size().width(); ++x) {
            const QColor pixel = canvas.image().pixelColor(x, y);
            red += pixel.red() > 180 && pixel.green() < 80 && pixel.blue() < 80;
            blue += pixel.blue() > 180 && pixel.red() < 80;
        }
    }
    EXPECT_GT(red, 100);
    EXPECT_GT(blue, 100);
}

} // namespace
} // namespace kernova::test
