#include "platform/qt/form_style.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QPalette>
#include <cmath>

namespace kernova::qt {

QFont MapFont(const FontSpec& style) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setStyleHint(QFont::SansSerif);
    // Points at 96 dpi, rounded to whole pixels as the layout's text was measured.
    font.setPixelSize(static_cast<int>(std::lround(style.points * 96.0 / 72.0)));
    font.setBold(style.bold);
    font.setItalic(false);
    font.setUnderline(false);
    return font;
}

QColor MapColor(std::uint32_t color) {
    if ((color & 0xFF000000u) == 0x80000000u) {
        QPalette palette = QGuiApplication::palette();
        switch (color & 0xFFu) {
        case 0x05: // window background
            return palette.color(QPalette::Base);
        case 0x08: // window text
            return palette.color(QPalette::Text);
        case 0x0D: // highlight
            return palette.color(QPalette::Highlight);
        case 0x10: // button shadow
            return palette.color(QPalette::Dark);
        case 0x0F: // button face
        default:
            return palette.color(QPalette::Window);
        }
    }
    return QColor(static_cast<int>(color & 0xFFu), static_cast<int>((color >> 8) & 0xFFu),
                  static_cast<int>((color >> 16) & 0xFFu));
}

QRect TwipsToRect(const Rect& rect) {
    return QRect(TwipsToPixels(rect.left), TwipsToPixels(rect.top), TwipsToPixels(rect.width),
                 TwipsToPixels(rect.height));
}

QString ToDisplayText(const std::string& text) {
    QString result = QString::fromStdString(text);
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    result.replace(QChar('\r'), QChar('\n'));
    return result;
}

} // namespace kernova::qt
