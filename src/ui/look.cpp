#include "ui/look.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace lomarind {

QString olive_style_sheet() {
    return QStringLiteral(R"(
QPushButton {
    color: black;
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fbfcf5, stop:1 #dfe6c8);
    border: 1px solid rgb(111, 133, 72);
    border-radius: 3px;
    padding: 2px 6px;
}
QPushButton:hover { border-color: rgb(164, 185, 127); background: #f4f8e6; }
QPushButton:pressed { background: #d2dcb4; }
QPushButton:focus { border: 1px solid rgb(89, 110, 52); }
QPushButton:disabled { color: rgb(160, 160, 150); background: #eef0e6; border-color: rgb(190, 200, 170); }
QRadioButton, QCheckBox { color: black; }
QRadioButton::indicator, QCheckBox::indicator {
    width: 11px; height: 11px; border: 1px solid rgb(111, 133, 72); background: white;
}
QRadioButton::indicator { border-radius: 6px; }
QRadioButton::indicator:checked {
    background: qradialgradient(cx:0.5, cy:0.5, radius:0.5, fx:0.5, fy:0.5,
                                stop:0 rgb(89, 110, 52), stop:0.55 rgb(120, 146, 74), stop:0.6 white);
}
QCheckBox::indicator:checked { background: rgb(120, 146, 74); }
QLineEdit, QComboBox, QSpinBox {
    border: 1px solid rgb(164, 185, 127);
    padding: 0px;
    background: palette(base);
    color: palette(text);
}
QGroupBox { border: 1px solid rgb(164, 185, 127); margin-top: 8px; }
)");
}

const std::array<QRgb, 16> ICON_PALETTE = {
    qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
    qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
    qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
    qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255),
};

QIcon window_icon() {
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing, false);
        // A magnifier over a page: looking a page up.
        p.setPen(QColor(ICON_PALETTE[3]));
        p.setBrush(QColor(ICON_PALETTE[15]));
        p.drawRect(1, 1, 10, 12);
        p.setPen(QPen(QColor(ICON_PALETTE[6]), 2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPoint(9, 9), 3, 3);
        p.drawLine(QPoint(12, 12), QPoint(15, 15));
    }
    // 4 bits a pixel: every opaque pixel one of the palette's colours, the rest transparent.
    QList<QRgb> table(ICON_PALETTE.begin(), ICON_PALETTE.end());
    table.append(qRgba(0, 0, 0, 0));
    const QImage indexed = image.convertToFormat(QImage::Format_Indexed8, table,
                                                 Qt::ThresholdDither | Qt::AvoidDither);
    return QIcon(QPixmap::fromImage(indexed));
}

QString wrap_caption(const QString& text, const QFontMetrics& metrics, int width) {
    if (text.isEmpty() || metrics.horizontalAdvance(text) <= width)
        return text;
    QStringList lines;
    qsizetype start = 0;
    while (start < text.size()) {
        // The longest part from `start` that fits, one character at least.
        qsizetype last_fit = start + 1;
        while (last_fit < text.size() &&
               metrics.horizontalAdvance(text.mid(start, last_fit + 1 - start)) <= width)
            ++last_fit;
        qsizetype cut = last_fit;
        if (last_fit < text.size()) {
            // Prefer the last blank inside the part that fits.
            const qsizetype blank = text.lastIndexOf(QLatin1Char(' '), last_fit - 1);
            if (blank > start)
                cut = blank + 1;
        }
        lines << text.mid(start, cut - start).trimmed();
        start = cut;
    }
    return lines.join(QLatin1Char('\n'));
}

void CaptionButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QRect contents = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    option.text = wrap_caption(option.text, fontMetrics(), contents.width());
    painter.drawControl(QStyle::CE_PushButton, option);
}

void CentredRadioButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString text = option.text;
    option.text.clear();
    painter.drawControl(QStyle::CE_RadioButton, option); // the indicator and the focus frame
    const QRect contents = style()->subElementRect(QStyle::SE_RadioButtonContents, &option, this);
    painter.drawItemText(contents, Qt::AlignCenter, option.palette, isEnabled(),
                         wrap_caption(text, fontMetrics(), contents.width()), QPalette::WindowText);
}

} // namespace lomarind
