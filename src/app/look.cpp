#include "app/look.h"

#include <QPainter>
#include <QPixmap>

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

QIcon window_icon() {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    // A magnifier over a page: looking a page up.
    p.setPen(QPen(QColor(128, 128, 0), 1));
    p.setBrush(Qt::white);
    p.drawRect(1, 1, 10, 12);
    p.setPen(QPen(QColor(0, 128, 128), 2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(9.5, 9.5), 3.5, 3.5);
    p.drawLine(QPointF(12, 12), QPointF(15, 15));
    return QIcon(pixmap);
}

} // namespace lomarind
